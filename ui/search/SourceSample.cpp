#include "ui/search/SourceSample.h"

#include <QPainter>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"

namespace Quillmark {

namespace {
constexpr int kHeight = 24;
constexpr int kMaximumWidth = 600;
}  // namespace

CSourceSample::CSourceSample(const CProgramOptions& options, QFont uiFont, QWidget* parent)
    : QWidget(parent), m_options(options), m_uiFont(std::move(uiFont)) {
    setAccessibleName(tr("Sample"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CSourceSample::Show(const CFontHandle& font, const QString& text) {
    m_text = text;
    setAccessibleDescription(text);
    if (font != nullptr && font->GetStatus() == CFontItem::Loaded) {
        m_path = PathText(font->GetPath());
        m_data = font->GetData();
        m_symbol = m_data != nullptr && m_data->IsSymbolFont();
    } else {
        m_path.clear();
        m_data.reset();
        m_symbol = false;
    }
    Refresh();
}

void CSourceSample::Refresh() {
    if (!m_path.isEmpty()) {
        Platform::CTextLook look;
        look.cellHeight = kHeight;
        look.quality = m_options.GetFontListRenderingOption();
        look.symbolFont = m_symbol;
        look.data = m_data;
        const auto line = Platform::CExactFontCache::Instance().Shape(m_path, look, m_text);
        m_width = line.IsValid()
                      ? static_cast<int>(line.width + 1)
                      : QFontMetrics(m_uiFont).horizontalAdvance(UndrawableFontText()) + 1;
    } else {
        m_width = QFontMetrics(m_uiFont).horizontalAdvance(m_text) + 1;
    }
    m_width = std::min(m_width, kMaximumWidth);
    updateGeometry();
    update();
}

QSize CSourceSample::sizeHint() const {
    return {std::max(m_width, 16), kHeight + 4};
}

void CSourceSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor color = palette().color(QPalette::WindowText);
    if (!m_path.isEmpty()) {
        Platform::CTextLook look;
        look.cellHeight = kHeight;
        look.quality = m_options.GetFontListRenderingOption();
        look.symbolFont = m_symbol;
        look.data = m_data;
        if (!Platform::CExactFontCache::Instance().DrawLine(painter, QRectF(rect()), m_path, look,
                                                            m_text, color)) {
            DrawUndrawableNote(painter, QRectF(rect()), m_uiFont, color);
        }
        return;
    }
    painter.setFont(m_uiFont);
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(m_uiFont).elidedText(m_text, Qt::ElideRight, width()));
}

}  // namespace Quillmark
