#pragma once

// Copying and moving files and folders into a folder, as a file manager
// does for a drop, without ever overwriting a file silently and without
// ever leaving a half-written file behind.

#include <QString>
#include <QStringList>

#include <functional>

namespace Quillmark::Platform {

enum class TransferMode { Copy, Move };

// What to do when the target folder already holds an entry of the same name.
enum class ConflictChoice {
    Replace,   // the new file takes the old one's place; folders are merged
    KeepBoth,  // the new file is named "NAME (2).ext", "NAME (3).ext", ...
    Skip,      // this one is left where it is
    Cancel     // nothing more is transferred
};

// Asked once for each name clash: the source and the existing target path.
using ConflictAsker = std::function<ConflictChoice(const QString& source, const QString& existing)>;
// Told after each file; returns false to stop the transfer.
using TransferProgress = std::function<bool(int done, int total)>;

struct TransferResult {
    QStringList created;    // target paths that now hold a transferred entry
    QStringList skipped;    // sources left alone because of a clash
    QString failedSource;   // the source that could not be transferred, if any
    QString failure;        // why, in words for the user ("No space left on device")
    bool canceled = false;  // stopped by the asker or the progress callback

    bool Succeeded() const { return failedSource.isEmpty() && !canceled; }
};

// Transfers each source (a file or a folder, recursively) into targetFolder.
// A file is first written under a temporary name in the target folder and
// renamed into place only when complete, so that a failure midway (a full
// disk, a vanished source) leaves no partial file; the transfer stops at the
// first failure and says which source failed and why. A move within one file
// system is a rename; across file systems a copy followed by removing the
// source once the copy is complete. A source that already lies in
// targetFolder is left alone (listed in skipped); a folder dropped into
// itself or below itself is refused as a failure without touching anything.
// A folder whose name is taken by a folder is merged into it on Replace,
// each clash inside asked again.
TransferResult TransferFiles(const QStringList& sources, const QString& targetFolder,
                             TransferMode mode, const ConflictAsker& askOnConflict,
                             const TransferProgress& progress = {});

// The first free name of the form "NAME (N).ext" (N from 2) in folder for a
// file named fileName; "NAME (N)" for a name without an extension.
QString KeepBothName(const QString& folder, const QString& fileName);

// True when child is folder itself or lies below it (paths compared as the
// file system does, after making both absolute and clean).
bool IsSameOrBelow(const QString& child, const QString& folder);

}  // namespace Quillmark::Platform
