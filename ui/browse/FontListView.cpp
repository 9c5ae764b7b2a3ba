#include "ui/browse/FontListView.h"

#include <QHeaderView>

#include "fontdata/item/FontItem.h"
#include "ui/browse/FontListModel.h"
#include "ui/common/ColumnFitter.h"
#include "ui/common/FontListDelegate.h"

namespace Quillmark {

CFontListView::CFontListView(CFontListModel& model, const CProgramOptions& options, QFont uiFont,
                             QWidget* parent)
    : QTreeView(parent), m_model(model), m_delegate(new CFontListDelegate(options, uiFont, this)) {
    setObjectName(QStringLiteral("FontList"));
    setAccessibleName(tr("Fonts"));
    setModel(&m_model);
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
    connect(bar, &QHeaderView::sectionClicked, this, &CFontListView::OnHeaderClicked);
    bar->setSortIndicator(m_sortColumn,
                          m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

CFontListView::~CFontListView() {
    // The fitter watches the viewport: it goes before the view's bases do,
    // while the viewport's last events would still reach it.
    delete m_columns;
    m_columns = nullptr;
}

void CFontListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    CFontListDelegate::CColumns columns{};
    const QHeaderView* bar = header();
    for (int column = 0; column < CFontListModel::ColumnCount; ++column) {
        columns.left[column] = bar->sectionViewportPosition(column);
        columns.width[column] = bar->isSectionHidden(column) ? 0 : bar->sectionSize(column);
    }
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    const bool selected =
        selectionModel() != nullptr && selectionModel()->isRowSelected(index.row(), index.parent());
    m_delegate->PaintRow(painter, row, index, selected, columns, palette());
}

void CFontListView::SortBy(int column, bool descending) {
    m_sortColumn = column;
    m_sortDescending = descending;
    header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_model.Sort(column, descending);
}

void CFontListView::OnHeaderClicked(int section) {
    bool descending = false;
    if (section == m_sortColumn) {
        descending = !m_sortDescending;
    } else if (section == 1 && m_model.GetMode() == CFontListModel::SimilarResults) {
        descending = true;
    }
    SortBy(section, descending);
    emit SortChosen(section, descending);
}

void CFontListView::SelectFile(const QString& fileName) {
    const int row = m_model.RowOfFileName(fileName);
    QItemSelectionModel* selection = selectionModel();
    for (const QModelIndex& index : selection->selectedRows()) {
        if (index.row() != row) {
            selection->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (row < 0) {
        return;
    }
    const QModelIndex index = m_model.index(row, 0);
    if (!selection->isRowSelected(row, {})) {
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    scrollTo(index);
}

void CFontListView::ShowFont(const CFontItem* item) {
    const int row = m_model.RowOf(item);
    if (row < 0) {
        return;
    }
    m_reporting = false;
    const QModelIndex index = m_model.index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    m_reporting = true;
}

void CFontListView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (!m_reporting || selected.isEmpty()) {
        return;
    }
    const CFontItem* item = m_model.ItemAt(selected.indexes().first().row());
    emit FontChosen(item != nullptr && item->GetStatus() == CFontItem::Loaded ? item : nullptr);
}

void CFontListView::startDrag(Qt::DropActions) {
    if (m_dragStarter) {
        m_dragStarter();
    }
}

}  // namespace Quillmark
