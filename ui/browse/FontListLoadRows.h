#pragma once

// The rows a folder load or a synchronisation read, as the list model takes
// them (for the list controller's own files).

#include <QString>
#include <vector>

#include "fontdata/manager/FolderLoad.h"
#include "ui/browse/FontListModel.h"

namespace Quillmark {

inline std::vector<CFontListModel::CNewRow> NewRows(std::vector<CFolderLoadRow> rows) {
    std::vector<CFontListModel::CNewRow> newRows;
    newRows.reserve(rows.size());
    for (auto& row : rows) {
        newRows.push_back({std::move(row.item), QString::fromStdU16String(row.displayName)});
    }
    return newRows;
}

}  // namespace Quillmark
