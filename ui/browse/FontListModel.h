#pragma once

// The rows of a font list: one font item each, holding one use of it at the
// font manager, given back when the row goes.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "fontdata/manager/FontManager.h"

#include "ui/common/FontListRoles.h"

namespace Quillmark {

class CFontItem;
class CFontManager;

class CFontListModel : public QAbstractTableModel {
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
    // What the list shows: a folder or project, or search results.
    enum Mode { MainList = 0, SimilarResults = 1, NameResults = 2, CharacterResults = 3 };
    // The words for a distance in the similarity column.
    static QString SimilarityWords(int distance);

    explicit CFontListModel(CFontManager& manager, QObject* parent = nullptr);
    ~CFontListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows can be dragged (their files go with them).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SetMode(Mode mode) { m_mode = mode; }
    Mode GetMode() const { return m_mode; }
    // Mode 1: the reference font's path.
    void SetSimilaritySource(const QString& path) { m_similaritySource = path; }
    // Whether the rows are a project's (the tooltips then give the folder).
    void SetShowsLocation(bool showsLocation) { m_showsLocation = showsLocation; }

    struct CNewRow {
        CFontHandle item;  // the row holds the font while it is listed
        QString displayName;
    };
    // Appends rows in the given order, in one insertion.
    void AppendRows(std::vector<CNewRow> rows);
    // Removes every row, letting go of their fonts.
    void Clear();
    // Removes the rows of `item`, letting go of it. Returns how many rows went.
    int RemoveItem(const CFontItem* item);

    const CFontItem* ItemAt(int row) const;
    int RowOf(const CFontItem* item) const;
    int RowOfFileName(const QString& fileName, int start = 0) const;
    std::vector<QString> Paths() const;

    // Sorts with the column's ordering (mode 1, column 1: by similarity).
    void Sort(int column, bool descending);
    // The row's tooltip text; empty for a font without a name.
    QString ToolTip(int row) const;

private:
    struct CRow;
    CFontManager& m_manager;
    std::vector<CRow> m_rows;
    Mode m_mode = MainList;
    QString m_similaritySource;
    bool m_showsLocation = false;
};

}  // namespace Quillmark
