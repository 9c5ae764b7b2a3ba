#pragma once

// The desktop's trash (the freedesktop.org trash), for the windows.

#include <filesystem>
#include <vector>

#include "platform/Result.h"

namespace Quillmark::Platform {

struct TrashOutcome {
    std::filesystem::path path;
    CResult<> moved;  // a failure says why in words for the user
};

// Moves each path (file or folder) to the trash: the home trash under
// $XDG_DATA_HOME/Trash for the home file system, the volume's own trash
// folder elsewhere. Each entry gets its .trashinfo file naming the original
// path. Every path is tried; the outcomes come back in the same order.
std::vector<TrashOutcome> MoveToTrash(const std::vector<std::filesystem::path>& paths);

// Deletes a file, or a folder with everything in it, for good. Used only
// after the user agreed, when the trash was not available.
CResult<> DeletePermanently(const std::filesystem::path& path);

}  // namespace Quillmark::Platform
