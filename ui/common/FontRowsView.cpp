#include "ui/common/FontRowsView.h"

#include <QHeaderView>
#include <QTimer>

#include "ui/common/ColumnFitter.h"
#include "ui/common/FontListDelegate.h"
#include "ui/common/FontListRoles.h"

namespace Quillmark {

CFontRowsView::CFontRowsView(QAbstractItemModel& model, const CProgramOptions& options,
                             QFont uiFont, QWidget* parent)
    : QTreeView(parent), m_delegate(new CFontListDelegate(options, uiFont, this)) {
    setModel(&model);
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
