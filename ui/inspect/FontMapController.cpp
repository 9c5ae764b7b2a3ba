#include "ui/inspect/FontMapController.h"

#include <QEvent>
#include <QMessageBox>
#include <boost/bind/bind.hpp>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
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
      m_font(hub, manager, [this] { DropFont(); }),
      m_fontSize(static_cast<int>(options.GetFontMapSize())) {
    m_error = [this](const QString& text) {
        QMessageBox::critical(m_view, QStringLiteral("Quillmark"), text);
    };
    view->SetColors(ColorFromStored(options.GetFontMapFontColor()),
                    ColorFromStored(options.GetFontMapBackgroundColor()));
    view->installEventFilter(this);

    connect(view, &CFontMapView::CharacterSelected, this,
            [this](char32_t code) { m_hub.FireCharacterSelected(code, NameOf(code)); });
    connect(view, &CFontMapView::CopyRequested, this,
            [this](char32_t code) { CopyCharacterOf(code, m_font.Get(), m_error); });
    connect(view, &CFontMapView::AppendRequested, this,
            [this](char32_t code) { m_hub.FireAppendCharacterToPreview(code); });

    hub.ConnectFontSelected(boost::bind(&CFontMapController::OnFontSelected, this, _1));
    hub.ConnectFontMapSizeChanged(boost::bind(&CFontMapController::OnFontMapSizeChanged, this, _1));
    hub.ConnectOptionsChanged(boost::bind(&CFontMapController::OnOptionsChanged, this));
    hub.ConnectColorChanged(boost::bind(&CFontMapController::OnColorChanged, this, _1, _2));
    hub.ConnectDesignChosen(boost::bind(&CFontMapController::OnDesignChosen, this, _1, _2));
}

CFontMapController::~CFontMapController() = default;

void CFontMapController::SetErrorSink(std::function<void(const QString&)> sink) {
    m_error = std::move(sink);
    if (m_detail) {
        m_detail->SetErrorSink(m_error);
    }
}

void CFontMapController::SetFindCharacter(FindCharacter find) {
    m_find = std::move(find);
    // Without a finder the views leave the command out.
    std::function<void(char32_t)> finder;
    if (m_find) {
        finder = [this](char32_t code) { m_find(code, NameOf(code), m_font.Get()); };
    }
    if (m_view) {
        m_view->SetFindOtherFonts(finder);
    }
    if (m_detail) {
        m_detail->SetFindCharacter(m_find);
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
    // One detail window and one name table for every map of the main window.
    m_detail = CCharDetailController::For(m_hub, m_options, m_manager, m_document, m_detailParent);
    m_detail->SetErrorSink(m_error);
    m_detail->LoadNames();
    if (m_detail->Names() != nullptr && m_view) {
        m_view->SetNameLookup([this](char32_t code) { return NameOf(code); });
    }
    if (m_find) {
        SetFindCharacter(m_find);
    }
}

const CUnicodeCharDescriptions* CFontMapController::Names() const {
    return m_detail ? m_detail->Names() : nullptr;
}

QString CFontMapController::NameOf(char32_t code) const {
    return m_detail ? m_detail->NameOf(code) : QString();
}

void CFontMapController::DropFont() {
    m_font.Reset();
    if (m_view) {
        m_view->ClearFont();
    }
}

void CFontMapController::OnFontSelected(const CFontItem* font) {
    if (!m_font.Hold(font) || !m_view) {
        DropFont();
        return;
    }
    m_view->SetFont(PathText(m_font->GetPath()),
                    m_font->GetStatus() == CFontItem::Loaded ? m_font->GetData() : nullptr,
                    m_fontSize, m_options.GetFontMapRenderingOption());
}

void CFontMapController::OnDesignChosen(const CFontItem* font,
                                        const Varnholt::OpenTypeFontData::CDesignLook& look) {
    if (m_view && m_font.Holds(font)) {
        m_view->SetDesign(look);
    }
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
    if (m_font && m_view) {
        m_view->SetQuality(m_options.GetFontMapRenderingOption());
    }
}

void CFontMapController::OnColorChanged(quint32 colour, bool isTextColor) {
    // The colours of the detail pane's current mode: 1 is the map.
    if (m_options.GetFontDetailMode() != 1) {
        return;
    }
    // Kept, so that the swatches, the palette and the next start show it.
    if (isTextColor) {
        m_options.SetFontMapFontColor(colour);
    } else {
        m_options.SetFontMapBackgroundColor(colour);
    }
    if (m_view) {
        m_view->SetColors(ColorFromStored(m_options.GetFontMapFontColor()),
                          ColorFromStored(m_options.GetFontMapBackgroundColor()));
    }
}

}  // namespace Quillmark
