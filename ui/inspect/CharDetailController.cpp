#include "ui/inspect/CharDetailController.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <boost/bind/bind.hpp>
#include <new>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "platform/QuillmarkException.h"
#include "ui/inspect/CharacterCopy.h"

namespace Quillmark {

using namespace boost::placeholders;

CCharDetailController::CCharDetailController(CQuillmarkSignals& hub, CProgramOptions& options,
                                             CFontManager& manager, CQuillmarkDoc& document,
                                             QWidget* parent)
    : QObject(parent),
      m_hub(hub),
      m_options(options),
      m_font(hub, manager, [this] { DropFont(); }) {
    setObjectName(QStringLiteral("CharDetailController"));
    m_window = new CCharDetailWnd(parent);
    m_error = [this](const QString& text) {
        QMessageBox::critical(m_window, QStringLiteral("Quillmark"), text);
    };
    const QScreen* screen = parent != nullptr && parent->screen() != nullptr
                                ? parent->screen()
                                : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect place =
        CCharDetailModel::Placement(options.GetCharDetailWindowPos(),
                                    options.GetCharDetailWindowSize(), area, FirstSize(*m_window));
    // The inside of the window, as it is stored at closing.
    m_window->setGeometry(place);

    connect(m_window, &CCharDetailWnd::CopyRequested, this,
            [this](char32_t code) { CopyCharacterOf(code, m_font.Get(), m_error); });
    connect(m_window, &CCharDetailWnd::AppendRequested, this,
            [this](char32_t code) { m_hub.FireAppendCharacterToPreview(code); });

    hub.ConnectFontSelected(boost::bind(&CCharDetailController::OnFontSelected, this, _1));
    hub.ConnectCharacterSelected(
        boost::bind(&CCharDetailController::OnCharacterSelected, this, _1, _2));
    hub.ConnectApplicationClosing(boost::bind(&CCharDetailController::OnApplicationClosing, this));
    hub.ConnectOptionsChanged(boost::bind(&CCharDetailController::OnOptionsChanged, this));

    if (const CFontItem* current = document.GetCurrentFont()) {
        OnFontSelected(current);
    }
}

CCharDetailController::~CCharDetailController() {
    delete m_window.data();
}

CCharDetailController* CCharDetailController::For(CQuillmarkSignals& hub, CProgramOptions& options,
                                                  CFontManager& manager, CQuillmarkDoc& document,
                                                  QWidget* parent) {
    if (parent != nullptr) {
        if (auto* made = parent->findChild<CCharDetailController*>(
                QStringLiteral("CharDetailController"), Qt::FindDirectChildrenOnly)) {
            return made;
        }
    }
    return new CCharDetailController(hub, options, manager, document, parent);
}

QSize CCharDetailController::FirstSize(const CCharDetailWnd& window) {
    const QFontMetrics metrics = window.fontMetrics();
    const int line = metrics.height();
    // The title with room for the frame's buttons; the two lines of the
    // band under a glyph of several lines' height.
    const int width = metrics.horizontalAdvance(window.windowTitle()) + 5 * line;
    const int height = 2 * line + CCharDetailModel::kBandPadding + 6 * line;
    return {std::max(CCharDetailModel::kFirstSide, width),
            std::max(CCharDetailModel::kFirstSide, height)};
}

void CCharDetailController::SetFindCharacter(CFindCharacter find) {
    if (!m_window) {
        return;
    }
    std::function<void(char32_t)> finder;
    if (find) {
        finder = [this, find = std::move(find)](char32_t code) {
            find(code, NameOf(code), m_font.Get());
        };
    }
    m_window->SetFindOtherFonts(std::move(finder));
}

void CCharDetailController::LoadNames() {
    if (m_namesRead) {
        return;
    }
    m_namesRead = true;
    try {
        m_names = std::make_unique<CUnicodeCharDescriptions>();
    } catch (const CFileNotFoundException& error) {
        m_error(tr("The file %1 could not be found.")
                    .arg(PathText(std::filesystem::path(error.GetPath()))));
    } catch (const std::bad_alloc&) {
        m_error(
            tr("An error occurred due to low memory.  Please close other applications or "
               "documents and try again."));
    }
}

QString CCharDetailController::NameOf(char32_t code) const {
    if (m_names == nullptr) {
        return {};
    }
    const std::u16string_view name = m_names->Name(code);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

void CCharDetailController::DropFont() {
    m_font.Reset();
    if (m_window) {
        m_window->ClearFont();
        m_window->hide();
    }
}

void CCharDetailController::OnFontSelected(const CFontItem* font) {
    if (!m_font.Hold(font) || !m_window) {
        DropFont();
        return;
    }
    m_window->SetFont(PathText(m_font->GetPath()),
                      m_font->GetStatus() == CFontItem::Loaded ? m_font->GetData() : nullptr,
                      m_options.GetCharDetailRenderingOption());
}

void CCharDetailController::OnCharacterSelected(char32_t code, const QString& name) {
    if (!m_window) {
        return;
    }
    m_window->Model().SetCharacter(code, name);
    if (code != 0 && m_font) {
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

}  // namespace Quillmark
