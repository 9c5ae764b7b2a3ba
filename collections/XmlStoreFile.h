#pragma once

// The file of a store kept as a small XML file in Quillmark's data folder
// (font projects, favourites), so that each store only reads and builds its
// elements. Nothing a user gathered is lost: a save is written beside the old
// file and moved over it (a crash, a full disk or a failing write leaves the
// old file whole), and a file that could not be read is kept under another
// name before the first save replaces it.

#include <QByteArray>
#include <QDomDocument>
#include <QString>
#include <functional>

namespace Quillmark {

// Writes `bytes` to an open file; returns false on failure. Tests pass one
// that fails or stops half-way.
using CFileWriter = std::function<bool(class QIODevice& file, const QByteArray& bytes)>;
bool WriteAll(QIODevice& file, const QByteArray& bytes);

class CXmlStoreFile {
public:
    enum class LoadResult {
        Missing,        // no file: nothing to read
        Unreadable,     // the file exists but cannot be opened or read
        NotWellFormed,  // the parser refused it
        NoRoot,         // well-formed, without the store's root element
        Parsed,
    };

    // A store whose document element is named `rootName`, exactly.
    explicit CXmlStoreFile(QString rootName);

    // Reads and parses `path`; when Parsed, `root` is the first child node of
    // the document named exactly as the root. A file that exists and is not
    // Parsed is kept by the next Save to the same path.
    LoadResult Load(const QString& path, QDomDocument& document, QDomElement& root);

    // Makes `document` a new one holding the declaration <?xml version="1.0"?>
    // and an empty root element; returns the root.
    QDomElement NewDocument(QDomDocument& document) const;

    // Writes `document` to `path`: the declaration, then the elements without
    // whitespace, as UTF-8. A file at `path` that the last Load could not use
    // is first copied to "<path>.unreadable" (or .unreadable-2, -3, ...: an
    // earlier copy is never replaced); when that copy fails, nothing is
    // written. Returns whether the new file is in place.
    bool Save(const QString& path, const QDomDocument& document,
              const CFileWriter& writer = WriteAll);

    // The name the unusable file was kept under by the last save, if any.
    const QString& KeptCopy() const { return m_keptCopy; }

private:
    bool KeepUnusableFile(const QString& path);

    QString m_rootName;
    QString m_unusablePath;
    QString m_keptCopy;
};

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
