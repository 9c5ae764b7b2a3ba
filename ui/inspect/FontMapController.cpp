#include "ui/inspect/FontMapController.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
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

QColor ColorFromStored(quint32 value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

quint32 StoredFromColor(const QColor& color) {
    return static_cast<quint32>(color.red()) | static_cast<quint32>(color.green()) << 8 |
           static_cast<quint32>(color.blue()) << 16;
}

CFontMapController::CFontMapController(CQuillmarkSignals& hub, CProgramOptions& options,
                                       CFontManager& manager, CQuillmarkDoc& document,
                                       CFontMapView* view, QWidget* detailParent)
    : QObject(view),
      m_hub(hub),
      m_options(options),
      m_manager(manager),
      m_document(document),
      m_view(view),
      m_detailParent(detailParent),
      m_fontSize(static_cast<int>(options.GetFontMapSize())) {
    m_error = [this](const QString& text) {
        QMessageBox::critical(m_view, QStringLiteral("Quillmark"), text);
    };
    view->SetColors(ColorFromStored(options.GetFontMapFontColor()),
                    ColorFromStored(options.GetFontMapBackgroundColor()));
    view->installEventFilter(this);

    connect(view, &CFontMapView::CharacterSelected, this,
            [this](char16_t code) { m_hub.FireCharacterSelected(code, NameOf(code)); });
    connect(view, &CFontMapView::CopyRequested, this, &CFontMapController::Copy);
    connect(view, &CFontMapView::AppendRequested, this,
            [this](char16_t code) { m_hub.FireAppendCharacterToPreview(code); });

    hub.ConnectFontSelected(boost::bind(&CFontMapController::OnFontSelected, this, _1));
    hub.ConnectFontMapSizeChanged(boost::bind(&CFontMapController::OnFontMapSizeChanged, this, _1));
    hub.ConnectOptionsChanged(boost::bind(&CFontMapController::OnOptionsChanged, this));
    hub.ConnectReleaseFont(boost::bind(&CFontMapController::OnReleaseFont, this, _1));
    hub.ConnectFontRemoved(boost::bind(&CFontMapController::OnFontRemoved, this, _1));
    hub.ConnectColorChanged(boost::bind(&CFontMapController::OnColorChanged, this, _1, _2));
}

CFontMapController::~CFontMapController() = default;

void CFontMapController::SetErrorSink(std::function<void(const QString&)> sink) {
    m_error = std::move(sink);
    if (m_detail != nullptr) {
        m_detail->SetErrorSink(m_error);
    }
}

void CFontMapController::SetFindCharacter(FindCharacter find) {
    m_find = std::move(find);
    // Without a finder the views leave the command out.
    std::function<void(char16_t)> finder;
    if (m_find) {
        finder = [this](char16_t code) { m_find(code, NameOf(code), m_font.get()); };
    }
    if (m_view) {
        m_view->SetFindOtherFonts(finder);
    }
    if (m_detail != nullptr && m_detail->Window() != nullptr) {
        m_detail->Window()->SetFindOtherFonts(finder);
    }
}

bool CFontMapController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::Show && !m_initialised) {
        InitialUpdate();
    }
    return QObject::eventFilter(watched, event);
}

void CFontMapController::InitialUpdate() {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    if (const CFontItem* current = m_document.GetCurrentFont()) {
        OnFontSelected(current);
    }
    try {
        m_names = std::make_unique<CUnicodeCharDescriptions>();
        m_view->SetNameLookup([this](char16_t code) { return NameOf(code); });
    } catch (const CFileNotFoundException& error) {
        m_error(tr("The file %1 could not be found.")
                    .arg(PathText(std::filesystem::path(error.GetPath()))));
    } catch (const std::bad_alloc&) {
        m_error(
            tr("An error occurred due to low memory.  Please close other applications or "
               "documents and try again."));
    }
    m_detail = std::make_unique<CCharDetailController>(m_hub, m_options, m_manager, m_document,
                                                       m_detailParent);
    m_detail->SetErrorSink(m_error);
    if (m_find) {
        SetFindCharacter(m_find);
    }
}

QString CFontMapController::NameOf(char16_t code) const {
    if (m_names == nullptr) {
        return {};
    }
    const std::u16string_view name = m_names->Name(code);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

void CFontMapController::DropFont() {
    m_font.reset();
    if (m_view) {
        m_view->ClearFont();
    }
}

void CFontMapController::OnFontSelected(const CFontItem* font) {
    CFontHandle held = font != nullptr ? m_manager.Hold(font) : nullptr;
    if (held == nullptr || !m_view) {
        DropFont();
        return;
    }
    m_font = std::move(held);
    m_view->SetFont(PathText(m_font->GetPath()),
                    m_font->GetStatus() == CFontItem::Loaded ? m_font->GetData() : nullptr,
                    m_fontSize, m_options.GetFontMapRenderingOption());
}

void CFontMapController::OnFontMapSizeChanged(unsigned short size) {
    // Kept, as the preview keeps its own: the size box shows it again when
    // the map comes back, and so does the next start.
    m_options.SetFontMapSize(size);
    m_fontSize = size;
    if (m_view) {
        m_view->SetFontSize(size);
    }
}

void CFontMapController::OnOptionsChanged() {
    if (m_font != nullptr && m_view) {
        m_view->SetQuality(m_options.GetFontMapRenderingOption());
    }
}

int CFontMapController::OnReleaseFont(const CFontItem* font) {
    if (font == nullptr || font != m_font.get()) {
        return 0;
    }
    DropFont();
    return 1;
}

void CFontMapController::OnFontRemoved(const CFontItem* font) {
    if (font != nullptr && font == m_font.get()) {
        DropFont();
    }
}

void CFontMapController::OnColorChanged(quint32 colour, bool isTextColor) {
    // The colours of the detail pane's current mode: 1 is the map.
    if (m_options.GetFontDetailMode() != 1 || !m_view) {
        return;
    }
    if (isTextColor) {
        m_view->SetColors(ColorFromStored(colour), m_view->BackColor());
    } else {
        m_view->SetColors(m_view->TextColor(), ColorFromStored(colour));
    }
}

void CFontMapController::Copy(char16_t code) {
    if (code == 0 || m_font == nullptr) {
        return;
    }
    if (!CopyCharacter(*QGuiApplication::clipboard(), code,
                       QString::fromStdU16String(m_font->GetName()))) {
        m_error(tr("Cannot open clipboard"));
    }
}

}  // namespace Quillmark
