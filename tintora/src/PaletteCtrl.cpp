#include <Tintora/PaletteCtrl.h>
#include <Tintora/PaletteData.h>

#include <QMouseEvent>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace Tintora {

CPaletteCtrl::CPaletteCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaletteCtrl"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PaletteTabs"));
    m_basic = new CBasicPaletteWinCtrl(this);
    m_field = new CPaletteWinCtrl(this);
    // Each page holds its palette at its own size, in the top-left corner.
    for (auto [palette, title] : {std::pair<QWidget*, QString>{m_basic, tr("Basic")},
                                  std::pair<QWidget*, QString>{m_field, tr("Advanced")}}) {
        auto* page = new QWidget(m_tabs);
        page->setAccessibleName(title);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        layout->addWidget(palette, 0, Qt::AlignLeft | Qt::AlignTop);
        m_tabs->addTab(page, title);
    }
    m_tabs->setCurrentIndex(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    setAccessibleName(tr("Palette"));
    m_field->PositionOn(m_selectedColor);
    m_basic->SelectColour(m_selectedColor);
}

CPaletteCtrl::~CPaletteCtrl() = default;

void CPaletteCtrl::SetSelectedColor(uint colour) {
    m_selectedColor = colour & 0xFFFFFF;
    m_field->PositionOn(m_selectedColor);
    m_basic->SelectColour(m_selectedColor);
}

QColor CPaletteCtrl::GetColor() const {
    return QColor(Red(m_selectedColor), Green(m_selectedColor), Blue(m_selectedColor));
}

void CPaletteCtrl::SetColor(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    SetSelectedColor(Colour(rgb.red(), rgb.green(), rgb.blue()));
}

int CPaletteCtrl::CurrentTab() const {
    return m_tabs->currentIndex();
}

void CPaletteCtrl::SetCurrentTab(int index) {
    m_tabs->setCurrentIndex(index);
}

void CPaletteCtrl::Select(uint colour) {
    m_selectedColor = colour;
    emit ColorChange(colour);
}

void CPaletteCtrl::Hover(uint colour) {
    emit ColorOver(colour);
}

// The basic grid.

CBasicPaletteWinCtrl::CBasicPaletteWinCtrl(CPaletteCtrl* owner, QWidget* parent)
    : QWidget(parent), m_owner(owner) {
    setObjectName(QStringLiteral("BasicPalette"));
    setAccessibleName(tr("Basic"));
    setFixedSize(kFieldWidth, kFieldHeight);
    setMouseTracking(true);
}

QSize CBasicPaletteWinCtrl::sizeHint() const {
    return {kFieldWidth, kFieldHeight};
}

void CBasicPaletteWinCtrl::SelectColour(quint32 colour) {
    m_selected = BasicCellOf(colour);
    update();
}

void CBasicPaletteWinCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const auto& cells = BasicCells();
    for (const CBasicCell& cell : cells) {
        const QColor colour(Red(cell.colour), Green(cell.colour), Blue(cell.colour));
        painter.fillRect(cell.rect.adjusted(1, 1, -1, -1), colour);
    }
    if (m_selected >= 0) {
        const CBasicCell& cell = cells[m_selected];
        const QColor colour(Red(cell.colour), Green(cell.colour), Blue(cell.colour));
        // A black frame around the whole cell, then a white one inside it.
        painter.setPen(Qt::black);
        painter.setBrush(colour);
        painter.drawRect(cell.rect.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.rect.adjusted(1, 1, -2, -2));
    }
}

void CBasicPaletteWinCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int index = BasicCellAt(event->position().toPoint());
    if (index < 0) {
        return;
    }
    m_selected = index;
    m_owner->Select(BasicCells()[index].colour);
    update();
}

void CBasicPaletteWinCtrl::mouseMoveEvent(QMouseEvent* event) {
    const int index = BasicCellAt(event->position().toPoint());
    if (index >= 0) {
        m_owner->Hover(BasicCells()[index].colour);
    }
}

// The advanced field.

CPaletteWinCtrl::CPaletteWinCtrl(CPaletteCtrl* owner, QWidget* parent)
    : QWidget(parent), m_owner(owner), m_marker(kOffField) {
    setObjectName(QStringLiteral("ColourField"));
    setAccessibleName(tr("Advanced"));
    setFixedSize(kFieldWidth, kFieldHeight);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

QSize CPaletteWinCtrl::sizeHint() const {
    return {kFieldWidth, kFieldHeight};
}

void CPaletteWinCtrl::PositionOn(quint32 colour) {
    m_marker = FieldPositionOf(colour);
    update();
}

void CPaletteWinCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setClipRect(QRect(0, 0, kFieldWidth, kFieldHeight));
    painter.drawImage(0, 0, FieldImage());
    if (m_marker == kOffField) {
        return;
    }
    // A 15 × 15 cross-hair, XOR-drawn so that it shows on every colour.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const int x = m_marker.x();
    const int y = m_marker.y();
    const QColor white(255, 255, 255);
    painter.fillRect(QRect(x - 7, y, 5, 1), white);
    painter.fillRect(QRect(x + 3, y, 5, 1), white);
    painter.fillRect(QRect(x, y - 7, 1, 5), white);
    painter.fillRect(QRect(x, y + 3, 1, 5), white);
    painter.fillRect(QRect(x, y, 1, 1), white);
}

namespace {

bool OnField(QPoint p) {
    return p.x() >= 0 && p.y() >= 0 && p.x() < kFieldWidth && p.y() < kFieldHeight;
}

QPoint OntoField(QPoint p) {
    return {std::clamp(p.x(), 0, kFieldWidth - 1), std::clamp(p.y(), 0, kFieldHeight - 1)};
}

}  // namespace

void CPaletteWinCtrl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !OnField(at)) {
        return;
    }
    // The colour under the press itself: a press that no move came before
    // (a touch, a key-driven click) picks what it points at.
    m_underMouse = FieldColour(at.x(), at.y());
    m_marker = at;
    update();
    m_dragging = true;
    m_owner->Select(m_underMouse);
}

void CPaletteWinCtrl::mouseMoveEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    // While the button is down the marker stays on the field: a drag past
    // its edge follows the edge.
    if (m_dragging) {
        at = OntoField(at);
    } else if (!OnField(at)) {
        return;
    }
    m_underMouse = FieldColour(at.x(), at.y());
    m_owner->Hover(m_underMouse);
    if (m_dragging) {
        m_marker = at;
        update();
        m_owner->Select(m_underMouse);
    }
}

void CPaletteWinCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
}

}  // namespace Tintora
