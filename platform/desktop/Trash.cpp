#include "platform/desktop/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Quillmark::Platform {

namespace {

// Where a trash keeps a file: TRASH/files/NAME, TRASH being the home trash
// "Trash" or a volume's ".Trash-UID" or ".Trash/UID".
bool IsInATrash(const QString& pathInTrash) {
    const QDir files = QFileInfo(pathInTrash).absoluteDir();
    if (files.dirName() != QLatin1String("files"))
        return false;
    QDir trash = files;
    if (!trash.cdUp())
        return false;
    const QString name = trash.dirName();
    if (name == QLatin1String("Trash") || name.startsWith(QLatin1String(".Trash-")))
        return true;
    return trash.cdUp() && trash.dirName() == QLatin1String(".Trash");
}

// Undoes a move that did not end in a trash (Qt puts the file under the
// current folder when it cannot set up the trash folder), removing the
// stray information file too.
void PutBack(const QString& movedTo, const QString& original) {
    QFile::rename(movedTo, original);
    QDir root = QFileInfo(movedTo).absoluteDir();
    if (!root.cdUp())
        return;
    QFile::remove(root.filePath(QStringLiteral("info/") + QFileInfo(movedTo).fileName() +
                                QStringLiteral(".trashinfo")));
    root.rmdir(QStringLiteral("files"));  // only when empty
    root.rmdir(QStringLiteral("info"));
}

}  // namespace

std::vector<TrashOutcome> MoveToTrash(const QStringList& paths) {
    // The home trash lives in the data folder, which a new account may not
    // have yet; without it every file of the home would fail to go.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!dataHome.isEmpty() && !QFileInfo::exists(dataHome) && QDir().mkpath(dataHome))
        QFile::setPermissions(dataHome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::vector<TrashOutcome> outcomes;
    outcomes.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths) {
        TrashOutcome outcome;
        outcome.path = path;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
            outcome.failure = QObject::tr("The file no longer exists.");
        } else {
            QFile file(path);
            // On success the QFile is renamed to its place in the trash.
            outcome.trashed = file.moveToTrash() && IsInATrash(file.fileName());
            if (!outcome.trashed && file.fileName() != path) {
                PutBack(file.fileName(), path);
                outcome.failure = QObject::tr("There is no trash for this location.");
            } else if (!outcome.trashed) {
                outcome.failure = file.errorString().isEmpty()
                                      ? QObject::tr("There is no trash for this location.")
                                      : file.errorString();
            }
        }
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

bool DeletePermanently(const QString& path, QString* failure) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink()) {
        if (QDir(path).removeRecursively())
            return true;
        if (failure)
            *failure = QObject::tr("Some of the folder's contents could not be deleted.");
        return false;
    }
    QFile file(path);
    if (file.remove())
        return true;
    if (failure)
        *failure = file.errorString();
    return false;
}

}  // namespace Quillmark::Platform
