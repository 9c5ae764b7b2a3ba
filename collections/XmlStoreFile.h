#pragma once

// The file of a store kept as a small XML file in Quillmark's data folder
// (font projects, favourites), so that each store only reads and builds its
// elements. Nothing a user gathered is lost:
// - a save is written beside the old file and moved over it only once it is
//   whole: the bytes are flushed, synced and read back from the disk first,
//   so a crash, a full disk or a failing write leaves the old file whole;
// - a document that would not read back as what was meant is never written;
// - a file that could not be used (not a regular file, larger than 64 MB,
//   unopenable, not well-formed, nested too deep, without the root) is set
//   aside under another name, and the store can tell the user where;
// - a file that was read, but held something the store could not use (an
//   element it does not know, a project without a name, a relative path...),
//   stays and is used for what could be read; a copy of it is kept beside it
//   before a save replaces it, and the store can tell the user what was left
//   out and where the copy is.
//
// The file is read with a stream reader that keeps only the elements on the
// store's path (the root, then one element name for each level below it) and
// stops at a nesting depth of kMaxDepth, so that any file reads in linear
// time. Values XML 1.0 cannot hold are written encoded (StoreElement.h).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

#include "collections/LeftOut.h"
#include "collections/StoreElement.h"
#include "collections/StoreFiles.h"
#include "platform/Result.h"

namespace Quillmark {

class CXmlStoreFile {
public:
    enum class LoadResult {
        Missing,        // no file: nothing to read
        Unreadable,     // the file exists but cannot be opened or read
        NotAFile,       // a folder, a FIFO, a device...: never opened
        TooLarge,       // larger than kMaxBytes: never read
        NotWellFormed,  // the parser refused it
        TooDeep,        // elements nested deeper than kMaxDepth
        NoRoot,         // well-formed, without the store's root element
        Parsed,
    };
    // When a file that exists and cannot be used is set aside, or a file
    // with parts left out is copied.
    enum class Keep {
        AtOnce,           // by Load (the application's start)
        BeforeReplacing,  // by the first Save to the same path (a reading tool)
    };
    // Takes from a parsed root what the store uses, and adds to `leftOut`
    // what it cannot use (Parse has added the elements and text off the
    // store's path).
    using CRootReader = std::function<void(const CStoreElement& root, CLeftOut& leftOut)>;
    static constexpr qint64 kMaxBytes = kMaxStoreFileBytes;
    static constexpr int kMaxDepth = 256;

    // A store whose document element is named `rootName`, exactly, with
    // `levels` the names of the elements it uses below the root, one for
    // each level (for example "project", then "font").
    CXmlStoreFile(QString rootName, QStringList levels);

    // Reads `path` into `root`, then hands a Parsed root to `read`; with
    // Keep::AtOnce it first removes what a save killed half-way left
    // (RemoveLeftovers). A file that exists and is not Parsed leaves `root`
    // empty and is set aside as "<path>.unreadable" (or .unreadable-2, -3,
    // ...: an earlier copy is never replaced), at once or before the first
    // save to `path`, as `keep` says; a file that cannot be set aside is
    // never replaced. A Parsed file with anything left out stays where it is
    // and is copied, as `keep` says, to "<path>.left-out" (or .left-out-2,
    // ...: never replacing a copy, but using one that holds the same bytes);
    // a file that cannot be copied is never replaced.
    LoadResult Load(const QString& path, CStoreElement& root, Keep keep = Keep::AtOnce,
                    const CRootReader& read = {});
    LoadResult LastLoad() const { return m_lastLoad; }
    // Why the file of the last Load could not be used; empty when it could.
    const QString& LoadProblem() const { return m_loadProblem; }
    // What the last Load read and could not use.
    const CLeftOut& LeftOut() const { return m_leftOut; }

    // An empty root element.
    CStoreElement NewRoot() const;

    // Writes `root` to `path`: the declaration <?xml version="1.0"?>, a line
    // break, then the elements without whitespace, as UTF-8. On failure the
    // file at `path` is as it was (or set aside, see Load).
    CResult<> Save(const QString& path, const CStoreElement& root,
                   const CFileWriter& writer = WriteAll);

    // The name the unusable file, or the copy of a file with parts left
    // out, was kept under, if any.
    const QString& KeptCopy() const { return m_keptCopy; }
    // What the user is told about the file of the last Load when it could
    // not be used, or when parts of it were left out, naming the file it was
    // kept as, once: empty when there is nothing to tell or it was taken
    // before. `contents` names what the store held ("font projects").
    QString TakeNotice(const QString& contents);

    // The bytes Save writes for `root` (no check that they read back).
    QByteArray Serialize(const CStoreElement& root) const;
    // Reads a document as Load does; `why` gets the parser's message, and
    // `leftOut` each element off the store's path (counted where it starts:
    // what is inside it goes with it) and each kept element above the
    // deepest level with text other than whitespace.
    LoadResult Parse(const QByteArray& bytes, CStoreElement& root, QString* why = nullptr,
                     CLeftOut* leftOut = nullptr) const;

private:
    bool KeepUnusableFile(const QString& path);
    bool KeepLeftOutFile(const QString& path);

    QString m_rootName;
    QStringList m_levels;
    LoadResult m_lastLoad = LoadResult::Missing;
    QString m_loadedPath;
    QString m_loadProblem;  // why the file could not be used
    QString m_unusablePath;
    CLeftOut m_leftOut;
    QString m_leftOutPath;  // the file to copy before it is replaced
    QString m_keptCopy;
    bool m_noticeTaken = false;
    bool m_keepAtOnce = true;
};

}  // namespace Quillmark
