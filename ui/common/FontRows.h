#pragma once

// The rows of a font list, whichever list it is: the main window's (a
// folder or project) or a search window's results. Each row holds one use
// of its font at the font manager, given back when the row goes. The
// commands, the row menu, drag and drop and the keys work on this, so that
// a font is used in the same way wherever it is listed.
//
// A row hands out its font as a handle (CFontHandle) to whoever keeps or
// changes it, and as a plain item for reading and for finding it again.

#include <QAbstractTableModel>
#include <QString>
#include <algorithm>
#include <functional>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "ui/common/FontListRoles.h"

namespace Quillmark {

class CFontItem;

class CFontRows : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    // The words for a distance in the similarity column.
    static QString SimilarityWords(int distance);

    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows can be dragged (their files go with them).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The row's font, with a use for the holder of the handle; null for no
    // such row.
    virtual CFontHandle FontAt(int row) const = 0;
    // The row's font for reading and finding it again; valid while the row
    // is listed, null for no such row.
    virtual const CFontItem* ItemAt(int row) const = 0;
    // The first row of `font`, -1 when it has none.
    virtual int RowOf(const CFontItem* font) const = 0;

    // Adds a row for each font, in the present order.
    virtual void AddFonts(std::vector<CFontHandle> fonts) = 0;
    // Removes the rows of every font given, letting go of them; how many
    // rows went.
    virtual int RemoveFonts(const std::vector<const CFontItem*>& fonts) = 0;
    int RemoveFont(const CFontItem* font) { return RemoveFonts({font}); }
    // Removes every row.
    virtual void Clear() = 0;

    // Orders the rows by a column's ordering (the similarity column: the
    // likest last when ascending), and keeps that order for rows added.
    virtual void Sort(int column, bool descending) = 0;
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }
    // The direction a click on a column that is not the sort column sorts
    // in: the likest first for similarity, else ascending.
    bool FirstSortDescending(int column) const {
        return ShowsSimilarity() && column == FontList::FileColumn;
    }

    // The file column says how similar each font is to a reference font.
    virtual bool ShowsSimilarity() const { return false; }
    // The tooltips give each font's folder (rows from many folders).
    virtual bool ShowsLocation() const = 0;
    // The row's tooltip text; empty for a font without a name.
    QString ToolTip(int row) const;

protected:
    // The texts of the row's columns other than the name.
    virtual QString DisplayName(int row) const = 0;
    virtual QString FileText(int row) const = 0;
    virtual QString SizeText(int row) const = 0;
    void SetSortOrder(int column, bool descending) {
        m_sortColumn = column;
        m_sortDescending = descending;
    }
    // Puts the rows in a new order (`order[new row]` is the old row), each
    // moved once, the persistent indexes following in one pass; `moved`
    // runs once they are in place, before the views hear of it.
    template <typename Row>
    void Reorder(std::vector<Row>& rows, const std::vector<std::size_t>& order,
                 const std::function<void()>& moved = {});

private:
    int m_sortColumn = FontList::NameColumn;
    bool m_sortDescending = false;
};

template <typename Row>
void CFontRows::Reorder(std::vector<Row>& rows, const std::vector<std::size_t>& order,
                        const std::function<void()>& moved) {
    if (std::is_sorted(order.begin(), order.end())) {
        return;  // nothing moves
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRow(order.size());
    std::vector<Row> sorted;
    sorted.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newRow[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows[order[i]]));
    }
    rows.swap(sorted);
    if (moved) {
        moved();
    }
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(this->index(newRow[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace Quillmark
