#include "ui/common/FontRowsView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

#include "ui/common/ColumnFitter.h"
#include "ui/common/FontListDelegate.h"
#include "ui/common/FontListRoles.h"
#include "ui/common/FontRows.h"

namespace Quillmark {

CFontRowsView::CFontRowsView(CFontRows& rows, const CProgramOptions& options, QFont uiFont,
                             QWidget* parent)
    : QTreeView(parent), m_rows(rows), m_delegate(new CFontListDelegate(options, uiFont, this)) {
    setModel(&rows);
    setItemDelegate(m_delegate);
    setFont(uiFont);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* bar = header();
    bar->setStretchLastSection(false);
    bar->setSectionsMovable(false);
    bar->setSectionsClickable(true);
    bar->setSortIndicatorShown(true);
    bar->setSectionResizeMode(QHeaderView::Interactive);
    bar->setMinimumSectionSize(0);
    m_columns = new CColumnFitter(*this, uiFont);
    if (rows.ShowsSimilarity()) {
        bar->hideSection(FontList::SizeColumn);
    }
    connect(bar, &QHeaderView::sectionClicked, this, &CFontRowsView::OnHeaderClicked);
    bar->setSortIndicator(rows.SortColumn(),
                          rows.SortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

CFontRowsView::~CFontRowsView() {
    // The fitter watches the viewport: it goes before the view's bases do,
    // while the viewport's last events would still reach it.
    delete m_columns;
    m_columns = nullptr;
}

void CFontRowsView::SetPaintBudget(int milliseconds) {
    m_paintBudget = milliseconds;
    viewport()->update();
}

void CFontRowsView::SortBy(int column, bool descending) {
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_rows.Sort(column, descending);
}

int CFontRowsView::SortColumn() const {
    return m_rows.SortColumn();
}

bool CFontRowsView::SortDescending() const {
    return m_rows.SortDescending();
}

void CFontRowsView::OnHeaderClicked(int section) {
    const bool descending = section == m_rows.SortColumn() ? !m_rows.SortDescending()
                                                           : m_rows.FirstSortDescending(section);
    SortBy(section, descending);
    emit SortChosen(section, descending);
}

void CFontRowsView::mousePressEvent(QMouseEvent* event) {
    m_dragModifiers = event->modifiers();
    QTreeView::mousePressEvent(event);
}

void CFontRowsView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) {
        m_dragModifiers |= event->modifiers();
    }
    QTreeView::mouseMoveEvent(event);
}

Qt::KeyboardModifiers CFontRowsView::DragModifiers() const {
    return m_dragModifiers | QGuiApplication::keyboardModifiers();
}

void CFontRowsView::startDrag(Qt::DropActions) {
    if (m_dragStarter) {
        m_dragStarter();
    }
}

void CFontRowsView::paintEvent(QPaintEvent* event) {
    m_delegate->BeginPaint(m_paintBudget);
    QTreeView::paintEvent(event);
    if (m_delegate->LeftSomeUndrawn()) {
        // After the events waiting now: input first, then the rest.
        QTimer::singleShot(0, viewport(), qOverload<>(&QWidget::update));
    }
}

void CFontRowsView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    CFontListDelegate::CColumns columns{};
    const QHeaderView* bar = header();
    for (int column = 0; column < FontList::ColumnCount; ++column) {
        columns.left[column] = bar->sectionViewportPosition(column);
        columns.width[column] = bar->isSectionHidden(column) ? 0 : bar->sectionSize(column);
    }
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected =
        selectionModel() != nullptr && selectionModel()->isRowSelected(index.row(), index.parent());
    m_delegate->PaintRow(painter, row, index, selected, columns, palette());
}

}  // namespace Quillmark
