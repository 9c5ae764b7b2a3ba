#pragma once

// What a font list's model gives its delegate and views beyond the column
// texts: the columns and the data roles of every font list (the main list
// and the search results alike).

#include <QCoreApplication>
#include <QString>
#include <Qt>

namespace Quillmark::FontList {

enum Column { NameColumn = 0, FileColumn = 1, SizeColumn = 2, ColumnCount = 3 };

enum Role {
    ItemRole = Qt::UserRole + 1,  // const CFontItem*, as const void*
    PathRole,                     // the file's full path
};

// A column's header; the file column of find-similar results says how
// similar each font is instead.
inline QString HeaderText(int column, bool similarity) {
    switch (column) {
        case NameColumn:
            return QCoreApplication::translate("FontList", "Font Name");
        case FileColumn:
            return similarity ? QCoreApplication::translate("FontList", "Similarity")
                              : QCoreApplication::translate("FontList", "File Name");
        case SizeColumn:
            return QCoreApplication::translate("FontList", "Size");
        default:
            return {};
    }
}

}  // namespace Quillmark::FontList
