#pragma once

// Folders the user wants to reach quickly, kept in favorites.xml. Two paths
// are one favourite when they are the same path (file names differ by case
// on this system); the order is that of the lower-cased forms. Folders that
// do not exist stay while the program runs; when written, a folder that is
// surely gone (its parent folder is there and it is not) is dropped, and one
// that may be on a drive that is not mounted is kept.

#include <QString>
#include <functional>
#include <memory>
#include <set>

#include "collections/XmlStoreFile.h"

namespace Quillmark {

struct CFavoriteFoldersException {
    enum : std::int32_t {
        kUnreadable = 1,  // the file could not be read or has no root
        kNotWritten = 2,  // the file could not be written
    };
    std::int32_t code = 0;
    QString reason;  // why, for kNotWritten
};

class CFavoriteFolders {
public:
    static constexpr const char* kFileName = "favorites.xml";

    CFavoriteFolders();

    // A missing file changes nothing; a file that is not well-formed (or
    // nested too deep) leaves no favourites and throws nothing; an
    // unreadable file (one that is not a regular file or is too large
    // included) or a file without its root leaves no favourites and throws
    // kUnreadable. A file that cannot be used is set aside as `keep` says
    // (CXmlStoreFile::Load); TakeKeptFileNotice() then says so. What the
    // store cannot use is left out and the file copied as `keep` says, and
    // told too: a folder that is not a full path, elements, attributes and
    // text it does not know.
    void Load(const QString& path, CXmlStoreFile::Keep keep = CXmlStoreFile::Keep::AtOnce);
    // Throws kNotWritten, with the reason, when the file cannot be written;
    // the previous file then stays as it was.
    void Save(const QString& path, const CFileWriter& writer = WriteAll) const;

    // The copy kept of a file that could not be read, or of one with parts
    // left out, if a load or a save made one.
    QString KeptUnreadableCopy() const;
    // The message for the user about a file the last Load could not use, or
    // used leaving parts out, naming the copy it was kept as; once, then
    // empty.
    QString TakeKeptFileNotice();
    // How the last Load went (LastLoad, LoadProblem, LeftOut).
    const CXmlStoreFile& StoreFile() const;

    bool IsEmpty() const;
    std::size_t Count() const;
    // Throws std::out_of_range("Value is out of range") past the end.
    QString GetAt(std::size_t index) const;
    bool Contains(const QString& path) const;
    void Add(const QString& path);
    void Remove(const QString& path);
    void ForEach(const std::function<void(const QString&)>& callback) const;

    // When the earlier edition has a favourites file: copied when this
    // edition has none; when both exist, copied over ours only if
    // `importOverOurs` (asked of the user) answers true. Then the earlier
    // file is renamed with ".old" appended, in every case.
    static void ImportEarlierEdition(const std::function<bool()>& importOverOurs);
    // The question to ask.
    static QString ImportQuestion();

private:
    struct Record;
    std::shared_ptr<Record> m_d;
};

}  // namespace Quillmark
