#pragma once

// The locations of the location bar, kept in locations.xml between runs:
// item 0 is the current location, the ones below it were visited before.
// A folder is one item whatever path leads to it (links resolved), a
// project one item per name (case-sensitive). Folders that are virtual
// locations of the namespace (their path begins with "::") compare as
// written.
//
// The file is read and written through CXmlStoreFile: a save replaces the
// old file only when the new one is whole, and a file that cannot be used
// is set aside as "locations.xml.unreadable" and told once.

#include <QString>
#include <functional>
#include <vector>

#include "collections/HistoryList.h"
#include "collections/XmlStoreFile.h"

namespace Quillmark {

class CLocationList {
public:
    static constexpr const char* kFileName = "locations.xml";

    CLocationList();

    // Appends the file's locations in file order, after emptying the list;
    // a missing file changes nothing. Neither existence nor repeats are
    // checked. A file that cannot be used leaves the list empty. A location
    // without a name, a folder that is neither a full path nor virtual, and
    // elements, attributes and text the list does not know are left out,
    // the file copied first as `keep` says (CXmlStoreFile::Load) and told.
    void Load(const QString& path, CXmlStoreFile::Keep keep = CXmlStoreFile::Keep::AtOnce);
    // Writes every item in order; on failure the old file stays.
    CResult<> Save(const QString& path, const CFileWriter& writer = WriteAll) const;
    QString TakeKeptFileNotice();
    // How the last Load went (LastLoad, LoadProblem, LeftOut, KeptCopy).
    const CXmlStoreFile& StoreFile() const { return m_file; }
    // Deletes the file when it exists; false when it exists and stays.
    static bool RemoveFile(const QString& path);

    const std::vector<CLocation>& Items() const { return m_items; }
    std::size_t Count() const { return m_items.size(); }

    // The index of the item naming the same folder, or -1. A path that does
    // not exist (and is not virtual) matches nothing; items whose folder no
    // longer exists are passed over.
    int FindFolder(const QString& path) const;
    int FindProject(const QString& name) const;
    // Makes the location item 0: moves its item up when it is there, else
    // inserts it at the top. A real folder that does not exist, or is not
    // given by its full path, is left out (false, nothing changes).
    bool BringToTop(const CLocation& location);
    // Drops the last items while there are more than `limit`.
    void ApplyLimit(std::size_t limit);
    // Drops every folder item whose folder no longer exists and every
    // project item for which `projectExists` says false; virtual folders stay.
    void RemoveStale(const std::function<bool(const QString& project)>& projectExists);
    // Keeps only item 0.
    void KeepOnlyCurrent();
    void Clear() { m_items.clear(); }

    // Whether a folder path names a virtual location rather than a folder.
    static bool IsVirtual(const QString& path);

private:
    std::vector<CLocation> m_items;
    mutable CXmlStoreFile m_file;
};

}  // namespace Quillmark
