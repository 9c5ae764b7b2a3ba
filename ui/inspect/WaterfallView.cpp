#include "ui/inspect/WaterfallView.h"

#include <QPainter>
#include <boost/bind/bind.hpp>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"
#include "ui/inspect/RichTextPreviewView.h"
#include "ui/inspect/WaterfallLayout.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {

QColor ToQColor(quint32 colour) {
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

constexpr quint32 kWaterfallMode = 2;

}  // namespace

CWaterfallView::CWaterfallView(CQuillmarkSignals& hub, CProgramOptions& options,
                               CFontManager& manager, const CQuillmarkDoc& document,
                               QWidget* parent)
    : QWidget(parent), m_options(options), m_font(hub, manager, [this] { update(); }) {
    setObjectName(QStringLiteral("Waterfall"));
    setAccessibleName(tr("Waterfall"));
    SetText(options.GetPreviewText());
    hub.ConnectFontSelected(boost::bind(&CWaterfallView::OnFontSelected, this, _1));
    hub.ConnectDesignChosen(boost::bind(&CWaterfallView::OnDesignChosen, this, _1, _2));
    hub.ConnectColorChanged(boost::bind(&CWaterfallView::OnColorChanged, this, _1, _2));
    OnFontSelected(document.GetCurrentFont());
}

void CWaterfallView::SetText(const QString& text) {
    m_text = text.section(QLatin1Char('\n'), 0, 0);
    update();
}

void CWaterfallView::OnFontSelected(const CFontItem* font) {
    m_font.Hold(font);
    m_design = {};
    update();
}

void CWaterfallView::OnDesignChosen(const CFontItem* font,
                                    const Varnholt::OpenTypeFontData::CDesignLook& look) {
    if (m_font.Holds(font)) {
        m_design = look;
        update();
    }
}

void CWaterfallView::OnColorChanged(quint32 colour, bool isTextColour) {
    // The waterfall shows the preview's colours, and keeps them while shown.
    if (m_options.GetFontDetailMode() != kWaterfallMode) {
        return;
    }
    if (isTextColour) {
        m_options.SetPreviewFontColor(colour);
    } else {
        m_options.SetPreviewBackgroundColor(colour);
    }
    update();
}

qreal CWaterfallView::LabelWidth() const {
    return fontMetrics().horizontalAdvance(CWaterfallLayout::Label(888));
}

QSize CWaterfallView::sizeHint() const {
    return {480, static_cast<int>(CWaterfallLayout::Height())};
}

void CWaterfallView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_options.GetPreviewBackgroundColor()));
    const QColor ink = ToQColor(m_options.GetPreviewFontColor());
    const CFontItem* item = m_font.Get();
    if (item == nullptr || item->GetStatus() != CFontItem::Loaded) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, CRichTextPreviewView::NoFontText());
        return;
    }
    const QString path = PathText(item->GetPath());
    auto& fonts = Platform::CExactFontCache::Instance();
    QColor labels = ink;
    labels.setAlphaF(0.55f);
    for (const CWaterfallLine& line : CWaterfallLayout::Lines(width(), LabelWidth())) {
        painter.setPen(labels);
        painter.drawText(line.label, Qt::AlignRight | Qt::AlignVCenter,
                         CWaterfallLayout::Label(line.size));
        Platform::CTextLook look;
        look.cellHeight = line.size;
        look.data = item->GetData();
        look.symbolFont = look.data != nullptr && look.data->IsSymbolFont();
        look.variations = m_design.variations;
        look.features = m_design.features;
        const QString text =
            PreviewTextFor(*item, m_text, CPreviewLook(line.size, Rendering::Default));
        if (!fonts.DrawLine(painter, line.text, path, look, text, ink)) {
            DrawUndrawableNote(painter, line.text, font(), ink);
        }
    }
}

}  // namespace Quillmark
