#include "ui/inspect/CharDetailController.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <boost/bind/bind.hpp>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "ui/inspect/CharacterCopy.h"

namespace Quillmark {

using namespace boost::placeholders;

CCharDetailController::CCharDetailController(CQuillmarkSignals& hub, CProgramOptions& options,
                                             CFontManager& manager, CQuillmarkDoc& document,
                                             QWidget* parent)
    : m_hub(hub), m_options(options), m_manager(manager) {
    m_window = new CCharDetailWnd(parent);
    m_error = [this](const QString& text) {
        QMessageBox::critical(m_window, QStringLiteral("Quillmark"), text);
    };
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect place = CCharDetailModel::Placement(options.GetCharDetailWindowPos(),
                                                    options.GetCharDetailWindowSize(), area);
    // The inside of the window, as it is stored at closing.
    m_window->setGeometry(place);

    connect(m_window, &CCharDetailWnd::CopyRequested, this, &CCharDetailController::Copy);
    connect(m_window, &CCharDetailWnd::AppendRequested, this,
            [this](char16_t code) { m_hub.FireAppendCharacterToPreview(code); });

    hub.ConnectFontSelected(boost::bind(&CCharDetailController::OnFontSelected, this, _1));
    hub.ConnectCharacterSelected(
        boost::bind(&CCharDetailController::OnCharacterSelected, this, _1, _2));
    hub.ConnectApplicationClosing(boost::bind(&CCharDetailController::OnApplicationClosing, this));
    hub.ConnectOptionsChanged(boost::bind(&CCharDetailController::OnOptionsChanged, this));
    hub.ConnectReleaseFont(boost::bind(&CCharDetailController::OnReleaseFont, this, _1));
    hub.ConnectFontRemoved(boost::bind(&CCharDetailController::OnFontRemoved, this, _1));

    if (const CFontItem* current = document.GetCurrentFont()) {
        OnFontSelected(current);
    }
}

CCharDetailController::~CCharDetailController() {
    delete m_window.data();
}

void CCharDetailController::DropFont() {
    m_font.reset();
    if (m_window) {
        m_window->ClearFont();
        m_window->hide();
    }
}

void CCharDetailController::OnFontSelected(const CFontItem* font) {
    CFontHandle held = font != nullptr ? m_manager.Hold(font) : nullptr;
    if (held == nullptr || !m_window) {
        DropFont();
        return;
    }
    m_font = std::move(held);
    m_window->SetFont(PathText(m_font->GetPath()),
                      m_font->GetStatus() == CFontItem::Loaded ? m_font->GetData() : nullptr,
                      m_options.GetCharDetailRenderingOption());
}

void CCharDetailController::OnCharacterSelected(char16_t code, const QString& name) {
    if (!m_window) {
        return;
    }
    m_window->Model().SetCharacter(code, name);
    if (code != 0 && m_font != nullptr) {
        m_window->show();
    } else {
        m_window->hide();
    }
    m_window->update();
}

void CCharDetailController::OnApplicationClosing() {
    if (!m_window) {
        return;
    }
    const QRect frame = m_window->geometry();
    m_options.SetCharDetailWindowPos({frame.left(), frame.top()});
    m_options.SetCharDetailWindowSize({frame.width(), frame.height()});
    m_window->SetClosing();
    m_window->close();
}

void CCharDetailController::OnOptionsChanged() {
    if (m_window) {
        m_window->SetQuality(m_options.GetCharDetailRenderingOption());
    }
}

int CCharDetailController::OnReleaseFont(const CFontItem* font) {
    if (font == nullptr || font != m_font.get()) {
        return 0;
    }
    DropFont();
    return 1;
}

void CCharDetailController::OnFontRemoved(const CFontItem* font) {
    if (font != nullptr && font == m_font.get()) {
        DropFont();
    }
}

void CCharDetailController::Copy(char16_t code) {
    if (code == 0 || m_font == nullptr) {
        return;
    }
    const std::u16string& name = m_font->GetName();
    if (!CopyCharacter(*QGuiApplication::clipboard(), code, QString::fromStdU16String(name))) {
        m_error(tr("Cannot open clipboard"));
    }
}

}  // namespace Quillmark
