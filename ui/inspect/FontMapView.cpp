#include "ui/inspect/FontMapView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <memory>

#include "render/PreviewLine.h"

namespace Quillmark {

namespace {

QString NoFontText() {
    return QObject::tr("no font selected");
}

}  // namespace

CFontMapView::CFontMapView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("FontMap"));
    setAccessibleName(tr("Font Map"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    // Every pixel is painted: no background to erase first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);

    m_menu = new CCharacterMenu([this] { return m_model.Code(m_model.contextIndex); }, this);
    connect(m_menu, &CCharacterMenu::CopyRequested, this, &CFontMapView::CopyRequested);
    connect(m_menu, &CCharacterMenu::AppendRequested, this, &CFontMapView::AppendRequested);
    connect(m_menu, &QMenu::aboutToShow, this, [this] { m_menuOpen = true; });
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        m_menuOpen = false;
        // The pointer may have left while the menu was open.
        if (!viewport()->underMouse() && m_model.hover != 0) {
            const int old = m_model.hover;
            m_model.hover = 0;
            RepaintCell(old);
        }
    });
    Relayout();
}

CFontMapView::~CFontMapView() = default;

QSize CFontMapView::sizeHint() const {
    return {480, 320};
}

void CFontMapView::SetFont(const QString& path,
                           std::shared_ptr<const Varnholt::COpenTypeData> fontData, int fontSize,
                           Rendering quality) {
    m_look.variations.clear();
    m_look.features.clear();
    m_path = path;
    m_look.cellHeight = fontSize;
    m_look.quality = quality;
    m_look.symbolFont = false;  // the map shows the codes the font maps
    m_look.data = fontData;
    if (fontData != nullptr) {
        // The map holds the expanded list while it shows the font.
        auto [codes, count] = CFontMapModel::CodesOf(fontData->GetCharacterMap());
        m_model.SetCodes(std::move(codes), count);
    } else {
        m_model.SetCodes(nullptr, 0);
    }
    m_glyphs.clear();
    m_shaped.clear();
    UpdateCellMetrics();
    Relayout();
    viewport()->update();
}

void CFontMapView::ClearFont() {
    m_path.clear();
    m_look.data.reset();
    m_model.ClearFont();
    Relayout();
    viewport()->update();
}

void CFontMapView::SetFontSize(int fontSize) {
    m_look.cellHeight = fontSize;
    m_glyphs.clear();
    m_shaped.clear();
    if (m_model.HasFont()) {
        UpdateCellMetrics();
    }
    Relayout();
    viewport()->update();
}

void CFontMapView::SetQuality(Rendering quality) {
    m_look.quality = quality;
    viewport()->update();
}

void CFontMapView::SetColors(const QColor& text, const QColor& back) {
    m_textColor = text;
    m_backColor = back;
    viewport()->update();
}

void CFontMapView::SetFindOtherFonts(std::function<void(char32_t)> find) {
    m_menu->SetFindOtherFonts(std::move(find));
}

void CFontMapView::SetNameLookup(std::function<QString(char32_t)> lookup) {
    m_names = std::move(lookup);
}

void CFontMapView::UpdateCellMetrics() {
    const auto metrics = Platform::CExactFontCache::Instance().Metrics(m_path, m_look);
    // A file that cannot be drawn keeps cells of its text height.
    const int width =
        metrics.IsValid() ? static_cast<int>(std::ceil(metrics.maxCharWidth)) : m_look.cellHeight;
    m_model.SetCellFromFont(m_look.cellHeight, width);
}

void CFontMapView::Relayout() {
    const bool shown = verticalScrollBar()->isVisible();
    m_model.Layout(viewport()->size(), shown, m_scrollBarWidth);
    QScrollBar* bar = verticalScrollBar();
    // A file that cannot be drawn shows one note and no cells to scroll to.
    const bool cells = !m_model.HasFont() || Drawable();
    bar->setRange(0, cells ? std::max(0, m_model.TotalHeight() - viewport()->height()) : 0);
    bar->setPageStep(std::max(1, viewport()->height()));
    bar->setSingleStep(std::max(1, m_model.CellHeight() / 3));
}

void CFontMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void CFontMapView::scrollContentsBy(int, int) {
    viewport()->update();
}

int CFontMapView::IndexAt(QPoint viewportPoint) const {
    if (!Drawable()) {
        return 0;
    }
    return m_model.HitTest(viewportPoint + QPoint(0, verticalScrollBar()->value()));
}

bool CFontMapView::Drawable() const {
    return m_model.HasFont() &&
           Platform::CExactFontCache::Instance().Metrics(m_path, m_look).IsValid();
}

void CFontMapView::RepaintCell(int index) {
    const QRect cell = m_model.CellRect(index);
    if (!cell.isEmpty()) {
        viewport()->update(cell.translated(0, -verticalScrollBar()->value()));
    }
}

void CFontMapView::ScrollIntoView(int index) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(
        CFontMapModel::ScrollToShow(m_model.CellRect(index), bar->value(), viewport()->height()));
}

void CFontMapView::ChangeSelection(int index) {
    const int old = m_model.selected;
    m_model.selected = index;
    RepaintCell(old);
    RepaintCell(index);
    ScrollIntoView(index);
    emit CharacterSelected(m_model.Code(index));
}

void CFontMapView::Select(int index) {
    if (index != m_model.selected) {
        ChangeSelection(index);
    }
}

QString CFontMapView::ToolTipFor(int index) const {
    if (!m_names || index == 0) {
        return {};
    }
    const char32_t code = m_model.Code(index);
    return CFontMapModel::ToolTip(code, m_names(code));
}

void CFontMapView::mouseMoveEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index != m_model.hover) {
        const int old = m_model.hover;
        m_model.hover = index;
        RepaintCell(old);
        RepaintCell(index);
        if (QToolTip::isVisible()) {
            const QString tip = ToolTipFor(index);
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(
                    event->globalPosition().toPoint(), tip, viewport(),
                    m_model.CellRect(index).translated(0, -verticalScrollBar()->value()));
            }
        }
    }
}

bool CFontMapView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && !m_menuOpen && m_model.hover != 0) {
        const int old = m_model.hover;
        m_model.hover = 0;
        RepaintCell(old);
    }
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = IndexAt(help->pos());
        const QString tip = ToolTipFor(index);
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(
                help->globalPos(), tip, viewport(),
                m_model.CellRect(index).translated(0, -verticalScrollBar()->value()));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CFontMapView::mousePressEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        m_model.mouseDown = true;
        if (index != 0) {
            // The selected cell too: announced again, it brings back a
            // character detail window that was closed.
            ChangeSelection(index);
        } else if (m_model.selected != 0) {
            // A click off the cells drops the selection.
            const int old = m_model.selected;
            emit CharacterSelected(m_model.Code(old));
            m_model.selected = 0;
            RepaintCell(old);
        }
    } else if (event->button() == Qt::RightButton) {
        m_model.contextDown = m_model.hover = index;
    }
}

void CFontMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_model.mouseDown = false;
        RepaintCell(m_model.selected);
        RepaintCell(m_model.hover);
    } else if (event->button() == Qt::RightButton) {
        const int index = IndexAt(event->position().toPoint());
        if (index == m_model.contextDown && index != 0) {
            m_model.contextIndex = index;
            m_menu->popup(event->globalPosition().toPoint());
        }
        m_model.contextDown = -1;
    }
}

void CFontMapView::keyPressEvent(QKeyEvent* event) {
    if (!Drawable()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down: {
            const int rows =
                m_model.CellHeight() > 0 ? viewport()->height() / m_model.CellHeight() : 0;
            const int next = m_model.SelectionAfterKey(
                event->key(), event->modifiers().testFlag(Qt::ControlModifier), rows);
            if (next != m_model.selected) {
                ChangeSelection(next);
            }
            event->accept();
            return;
        }
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

void CFontMapView::EnsureShaped(int first, int end) {
    if (static_cast<int>(m_glyphs.size()) != m_model.Count()) {
        m_glyphs.assign(static_cast<std::size_t>(m_model.Count()), {});
        m_shaped.assign(static_cast<std::size_t>(m_model.Count()), false);
    }
    // The cells not shaped yet, in runs, each run shaped at once.
    auto& fonts = Platform::CExactFontCache::Instance();
    std::vector<char32_t> codes;
    for (int index = first; index < end;) {
        if (m_shaped[static_cast<std::size_t>(index)]) {
            ++index;
            continue;
        }
        int stop = index;
        codes.clear();
        while (stop < end && !m_shaped[static_cast<std::size_t>(stop)]) {
            codes.push_back(m_model.Code(stop));
            m_shaped[static_cast<std::size_t>(stop)] = true;
            ++stop;
        }
        fonts.ShapeEach(m_path, m_look, codes.data(), codes.size(),
                        m_glyphs.data() + static_cast<std::size_t>(index));
        index = stop;
    }
}

void CFontMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    painter.fillRect(dirty, m_backColor);
    if (!m_model.HasFont()) {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(25);
        font.setWeight(QFont::Normal);
        painter.setFont(font);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawText(viewport()->rect(), Qt::AlignCenter | Qt::TextSingleLine, NoFontText());
        return;
    }
    if (!Drawable()) {
        // Cells of nothing, or of another font's shapes, would both mislead.
        QFont font = this->font();
        font.setPixelSize(16);
        DrawUndrawableNote(painter, QRectF(viewport()->rect()), font, QColor(0x80, 0x80, 0x80),
                           Qt::AlignCenter);
        return;
    }
    const int top = verticalScrollBar()->value();
    const auto [first, end] = m_model.VisibleCells(top + dirty.top(), dirty.height());
    if (first >= end) {
        return;
    }
    const auto cellAt = [&](int index) { return m_model.CellRect(index).translated(0, -top); };

    // The hovered cell's fill, under its edges.
    if (m_model.hover >= first && m_model.hover < end) {
        painter.fillRect(cellAt(m_model.hover),
                         QColor::fromRgb(m_model.mouseDown ? CFontMapModel::kPressedFill
                                                           : CFontMapModel::kHoverFill));
    }

    // Each cell's right and bottom edges, drawn together.
    QList<QLine> edges;
    edges.reserve((end - first) * 2);
    for (int index = first; index < end; ++index) {
        const QRect cell = cellAt(index);
        edges.append(QLine(cell.topRight(), cell.bottomRight()));
        edges.append(QLine(cell.bottomLeft(), cell.bottomRight()));
    }
    painter.setPen(QColor::fromRgb(CFontMapModel::kEdgeColor));
    painter.drawLines(edges);
    if (m_model.selected >= first && m_model.selected < end) {
        const QRect cell = cellAt(m_model.selected);
        painter.setPen(Qt::black);
        painter.drawRect(cell.left(), cell.top(), cell.width() - 2, cell.height() - 2);
    }

    // Every character in one run, each centred in its cell on the line of
    // the font's cell height.
    EnsureShaped(first, end);
    auto& fonts = Platform::CExactFontCache::Instance();
    const QRawFont raw = fonts.RawFont(m_path, m_look);
    if (!raw.isValid()) {
        return;
    }
    const auto metrics = fonts.Metrics(m_path, m_look);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(end - first);
    positions.reserve(end - first);
    for (int index = first; index < end; ++index) {
        const auto& glyph = m_glyphs[static_cast<std::size_t>(index)];
        const QRect cell = cellAt(index);
        glyphs.append(glyph.index);
        positions.append(
            QPointF(cell.left() + (cell.width() - glyph.advance) / 2,
                    cell.top() + (cell.height() - m_look.cellHeight) / 2.0 + metrics.ascent));
    }
    if (!m_look.variations.empty()) {
        // A raw font draws the default design alone: the glyphs' outlines
        // at the chosen coordinates instead, together.
        const std::vector<quint32> ids(glyphs.begin(), glyphs.end());
        const auto outlines = fonts.Outlines(m_path, m_look, ids);
        QPainterPath all;
        all.setFillRule(Qt::WindingFill);
        for (std::size_t i = 0; i < outlines.size(); ++i) {
            all.addPath(outlines[i].translated(positions[static_cast<qsizetype>(i)]));
        }
        Platform::CShapedLine line;
        line.outline = all;
        line.outlined = true;
        Platform::CExactFontCache::DrawShaped(painter, QRectF(dirty), QPointF(0, 0), line, m_look,
                                              m_textColor);
        return;
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    Platform::CExactFontCache::DrawRun(painter, QRectF(dirty), QPointF(0, 0), run, m_look,
                                       m_textColor);
}

void CFontMapView::SetDesign(const Varnholt::OpenTypeFontData::CDesignLook& design) {
    if (m_look.variations == design.variations && m_look.features == design.features) {
        return;
    }
    m_look.variations = design.variations;
    m_look.features = design.features;
    // Glyphs and advances follow the design: every cell is shaped again.
    m_glyphs.clear();
    m_shaped.clear();
    viewport()->update();
}

}  // namespace Quillmark
