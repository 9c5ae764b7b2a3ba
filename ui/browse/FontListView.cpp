#include "ui/browse/FontListView.h"

#include <QHeaderView>

#include "fontdata/item/FontItem.h"
#include "ui/browse/FontListModel.h"

namespace Quillmark {

CFontListView::CFontListView(CFontListModel& model, const CProgramOptions& options, QFont uiFont,
                             QWidget* parent)
    : CFontRowsView(model, options, std::move(uiFont), parent), m_model(model) {
    setObjectName(QStringLiteral("FontList"));
    setAccessibleName(tr("Fonts"));
    QHeaderView* bar = header();
    connect(bar, &QHeaderView::sectionClicked, this, &CFontListView::OnHeaderClicked);
    bar->setSortIndicator(m_sortColumn,
                          m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
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
