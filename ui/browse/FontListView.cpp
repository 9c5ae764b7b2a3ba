#include "ui/browse/FontListView.h"

#include "fontdata/item/FontItem.h"
#include "ui/browse/FontListModel.h"

namespace Quillmark {

CFontListView::CFontListView(CFontListModel& model, const CProgramOptions& options, QFont uiFont,
                             QWidget* parent)
    : CFontRowsView(model, options, std::move(uiFont), parent), m_model(model) {
    setObjectName(QStringLiteral("FontList"));
    setAccessibleName(tr("Fonts"));
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
    m_reported = index;
    m_reporting = true;
}

// The lower pane shows the current row's font. A click sets the current row
// before it selects, a key selects before it sets the current row: the one
// that finds the current row selected reports it, the other not again.
void CFontListView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    if (selected.contains(currentIndex())) {
        ReportCurrent();
    }
}

void CFontListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (current.isValid() && m_reported != current.siblingAtColumn(0)) {
        ReportCurrent();
    }
}

void CFontListView::ReportCurrent() {
    const QModelIndex current = currentIndex();
    if (!m_reporting || !current.isValid() ||
        !selectionModel()->isRowSelected(current.row(), current.parent())) {
        return;
    }
    m_reported = current.siblingAtColumn(0);
    const CFontItem* item = m_model.ItemAt(current.row());
    emit FontChosen(item != nullptr && item->GetStatus() == CFontItem::Loaded ? item : nullptr);
}

}  // namespace Quillmark
