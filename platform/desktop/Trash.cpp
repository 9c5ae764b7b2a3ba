#include "platform/desktop/Trash.h"

#include <QObject>

#include <cerrno>

#include "platform/Files.h"

namespace Quillmark::Platform {

std::vector<TrashOutcome> MoveToTrash(const std::vector<std::filesystem::path>& paths) {
    std::vector<TrashOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const std::filesystem::path& path : paths) {
        const std::error_code error = MoveEntryToTrash(path);
        std::string why;
        if (error.value() == ENOENT && !EntryExists(path)) {
            why = QObject::tr("The file no longer exists.").toStdString();
        } else if (error.value() == EXDEV) {
            why = QObject::tr("There is no trash for this location.").toStdString();
        }
        outcomes.push_back({path, CResult<>::FromCode(error, std::move(why))});
    }
    return outcomes;
}

CResult<> DeletePermanently(const std::filesystem::path& path) {
    const bool folder = IsFolder(path) && EntryExists(path);
    const std::error_code error = RemoveEntry(path);
    if (!error) {
        return {};
    }
    if (error.value() == ENOENT && !EntryExists(path)) {
        return CFailure(error, QObject::tr("The file no longer exists.").toStdString());
    }
    if (folder) {
        return CFailure(
            error,
            QObject::tr("Some of the folder's contents could not be deleted.").toStdString());
    }
    return CFailure(error);
}

}  // namespace Quillmark::Platform
