#pragma once

// What a font list's model gives its delegate and views beyond the column
// texts: the columns and the data roles of every font list (the main list
// and the search results alike).

#include <Qt>

namespace Quillmark::FontList {

enum Column { NameColumn = 0, FileColumn = 1, SizeColumn = 2, ColumnCount = 3 };

enum Role {
    ItemRole = Qt::UserRole + 1,  // const CFontItem*, as const void*
    PathRole,                     // the file's full path
};

}  // namespace Quillmark::FontList
