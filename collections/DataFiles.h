#pragma once

// Where the stores keep their files: Quillmark's data folder, and the
// earlier edition's, whose files are brought over once.

#include <QString>
#include <functional>

namespace Quillmark {

// Builds the path of a data file in Quillmark's data folder; with
// `forWriting` the folder is created with its parents.
QString DataFilePath(const QString& fileName, bool forWriting);
// The same file in the earlier edition's data folder (never created).
QString EarlierEditionFilePath(const QString& fileName);

// Brings the earlier edition's `fileName` over, once: when it exists, it is
// copied to this edition's data folder if this edition has no such file, or
// over ours if `replaceOurs` is given and answers true (ours is replaced only
// by a whole copy); then, in every case, the earlier file is renamed with
// ".old" appended (an existing ".old" file is never replaced).
void ImportEarlierEditionFile(const QString& fileName,
                              const std::function<bool()>& replaceOurs = {});

}  // namespace Quillmark
