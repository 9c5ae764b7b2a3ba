#pragma once

// The rows of a font list: one font item each, holding one use of it at the
// font manager, given back when the row goes.
//
// Built for folders of tens of thousands of fonts: rows come and go in
// batches (one insertion, one pass over the rows for a removal), a sort
// compares keys computed once per row and moves each row once, and a row is
// found by its item or file name through an index, not by a scan.

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "fontdata/manager/FontManager.h"

#include "ui/common/FontRows.h"

namespace Quillmark {

class CFontItem;
class CFontManager;

class CFontListModel : public CFontRows {
    Q_OBJECT

public:
    enum Column {
        NameColumn = FontList::NameColumn,
        FileColumn = FontList::FileColumn,
        SizeColumn = FontList::SizeColumn,
        ColumnCount = FontList::ColumnCount
    };
    enum Role {
        ItemRole = FontList::ItemRole,  // const CFontItem*
        PathRole = FontList::PathRole,  // the file's full path
    };
    explicit CFontListModel(CFontManager& manager, QObject* parent = nullptr);
    ~CFontListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;

    // Whether the rows are a project's (the tooltips then give the folder).
    void SetShowsLocation(bool showsLocation) { m_showsLocation = showsLocation; }
    bool ShowsLocation() const override { return m_showsLocation; }
    // Rows added from now on show in the file name column their path below
    // this folder (given with a trailing separator, as the file system
    // spells it); empty: the file's own name.
    void SetFileNamesBelow(std::string folderPrefix) { m_namesBelow = std::move(folderPrefix); }

    struct CNewRow {
        CFontHandle item;  // the row holds the font while it is listed
        QString displayName;
    };
    // Appends rows in the given order, in one insertion.
    void AppendRows(std::vector<CNewRow> rows);
    // Puts `replacement` in row `row` in place of its font (read again from
    // its changed file), letting go of the old one; the row stays where it
    // is, with its selection, until the next sort.
    void ReplaceRow(int row, CNewRow replacement);
    // Appends the fonts' rows, then sorts them into the present order.
    void AddFonts(std::vector<CFontHandle> fonts) override;
    // Removes every row, letting go of their fonts.
    void Clear() override;
    // Removes the rows of `item`, letting go of it. Returns how many rows went.
    int RemoveItem(const CFontItem* item) { return RemoveItems({item}); }
    int RemoveFonts(const std::vector<const CFontItem*>& fonts) override {
        return RemoveItems(fonts);
    }
    // Removes the rows of every item given, in one pass over the rows: one
    // removal for each run of neighbouring rows. Returns how many rows went.
    // With `handOver`, the rows' fonts are moved there instead of let go of.
    int RemoveItems(const std::vector<const CFontItem*>& items,
                    std::vector<CFontHandle>* handOver = nullptr);

    const CFontItem* ItemAt(int row) const override;
    CFontHandle FontAt(int row) const override;
    int RowOf(const CFontItem* item) const override;
    int RowOfFileName(const QString& fileName, int start = 0) const;
    std::vector<QString> Paths() const;
    // The files the rows' fonts come from: the rows, unless faces of
    // collections are among them.
    std::size_t FileCount() const;

    // Sorts with the column's ordering.
    void Sort(int column, bool descending) override;

protected:
    QString DisplayName(int row) const override;
    QString FileText(int row) const override;
    QString SizeText(int row) const override;

private:
    struct CRow;
    // Row `row` as the views see it: while RemoveItems runs, the rows it
    // has taken out lie between m_gapBegin and m_gapEnd of m_rows.
    CRow& Row(int row);
    const CRow& Row(int row) const;
    CRow MakeRow(CNewRow row) const;
    void Changed();  // the rows moved: the indexes are built again when asked
    const std::u16string& FileSortKey(const CRow& row) const;

    CFontManager& m_manager;
    std::vector<CRow> m_rows;
    std::size_t m_gapBegin = 0;
    std::size_t m_gapEnd = 0;
    // Built on first use after a change: (item, row) and (file name in
    // folded case, row), each sorted, so that the first row of a key is found
    // by a binary search.
    mutable std::vector<std::pair<const CFontItem*, int>> m_itemIndex;
    mutable std::vector<std::pair<QString, int>> m_fileNameIndex;
    mutable bool m_itemIndexValid = false;
    mutable bool m_fileNameIndexValid = false;
    bool m_showsLocation = false;
    std::string m_namesBelow;
};

}  // namespace Quillmark
