#pragma once

// Reading and writing the small XML files of the stores, so that nothing a
// user gathered is lost: a save is written beside the old file and moved
// over it (a crash, a full disk or a failing write leaves the old file
// whole), and a file that could not be read is kept under another name
// before the first save replaces it.

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
        Parsed,
    };

    // Reads and parses `path` into `document`.
    LoadResult Load(const QString& path, QDomDocument& document);

    // Marks the file just loaded as one whose content the store could not
    // take (for example: its root element is missing).
    void MarkUnusable(const QString& path) { m_unusablePath = path; }

    // Writes `document` to `path`: the XML declaration with version="1.0"
    // only, then the elements without whitespace, as UTF-8. A file at
    // `path` that could not be used is first copied to
    // "<path>.unreadable" (or .unreadable-2, -3, ...: an earlier copy is
    // never replaced); when that copy fails, nothing is written. Returns
    // whether the new file is in place.
    bool Save(const QString& path, const QDomDocument& document,
              const CFileWriter& writer = WriteAll);

    // The name the unusable file was kept under by the last save, if any.
    const QString& KeptCopy() const { return m_keptCopy; }

private:
    bool KeepUnusableFile(const QString& path);

    QString m_unusablePath;
    QString m_keptCopy;
};

// A new document with the declaration <?xml version="1.0"?> and an empty
// root element of this name; returns the root.
QDomElement NewStoreDocument(QDomDocument& document, const QString& rootName);

// The first child node of the document whose node name is exactly `name`,
// or a null element.
QDomElement FindRoot(const QDomDocument& document, const QString& name);

// Builds the path of a data file in Quillmark's data folder; with
// `forWriting` the folder is created with its parents.
QString DataFilePath(const QString& fileName, bool forWriting);
// The same file in the earlier edition's data folder (never created).
QString EarlierEditionFilePath(const QString& fileName);

}  // namespace Quillmark
