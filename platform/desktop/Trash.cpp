#include "platform/desktop/Trash.h"

#include <QObject>

#include <cerrno>

#include "platform/Files.h"

namespace Quillmark::Platform {

std::vector<TrashOutcome> MoveToTrash(const std::vector<std::filesystem::path>& paths) {
    std::vector<TrashOutcome> outcomes;
    outcomes.reserve(paths.size());
    for (const std::filesystem::path& path : paths) {
        TrashOutcome outcome;
        outcome.path = path;
        const std::error_code error = MoveEntryToTrash(path);
        outcome.trashed = !error;
        if (error.value() == ENOENT && !EntryExists(path)) {
            outcome.failure = QObject::tr("The file no longer exists.");
        } else if (error.value() == EXDEV) {
            outcome.failure = QObject::tr("There is no trash for this location.");
        } else if (error) {
            outcome.failure = QString::fromStdString(error.message());
        }
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

bool DeletePermanently(const std::filesystem::path& path, QString* failure) {
    const bool folder = IsFolder(path) && EntryExists(path);
    const std::error_code error = RemoveEntry(path);
    if (!error) {
        return true;
    }
    if (failure) {
        *failure = error.value() == ENOENT && !EntryExists(path)
                       ? QObject::tr("The file no longer exists.")
                   : folder ? QObject::tr("Some of the folder's contents could not be deleted.")
                            : QString::fromStdString(error.message());
    }
    return false;
}

}  // namespace Quillmark::Platform
