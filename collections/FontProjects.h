#pragma once

// Named lists of fonts gathered from any folders, kept in fontprojects.xml.
// A font is a file and, for a collection, which of its faces: the file's
// path is the element's text, as it always was, and a face other than the
// first is the element's `face` attribute, so that a reader that knows no
// faces reads the file (and sees its first face). Names and paths compare
// by UTF-16 code units, case sensitively. Copies of the store share one
// record.

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <set>

#include "collections/XmlStoreFile.h"

namespace Quillmark {

// No project of the given name exists (code 1).
struct CFontProjectException {
    std::int32_t code = 1;
};

// One font of a project: a face of a file.
struct CProjectFont {
    QString path;
    std::uint32_t face = 0;
    bool operator==(const CProjectFont&) const = default;
    bool operator<(const CProjectFont& other) const {
        return path != other.path ? path < other.path : face < other.face;
    }
};

class CFontProjects {
public:
    using FontSet = std::set<CProjectFont>;
    using Map = std::map<QString, std::shared_ptr<FontSet>>;
    using const_iterator = Map::const_iterator;
    static constexpr const char* kFileName = "fontprojects.xml";

    CFontProjects();

    // Replaces the content with the file's; a missing file changes nothing.
    // A file that cannot be used leaves the store empty and is set aside as
    // `keep` says (CXmlStoreFile::Load); TakeKeptFileNotice() then says so.
    // What the store cannot use is left out and the file copied as `keep`
    // says, and told too: a project without a name, a font path that is not
    // a full path, a face that is not a face number, elements, attributes
    // and text it does not know.
    void Load(const QString& path, CXmlStoreFile::Keep keep = CXmlStoreFile::Keep::AtOnce);
    // Writes every project. A failure leaves the previous file as it was.
    CResult<> Save(const QString& path, const CFileWriter& writer = WriteAll) const;

    void AddProject(const QString& name);
    void DeleteProject(const QString& name);
    // False, changing nothing, when `newName` is taken or `oldName` unknown.
    bool RenameProject(const QString& oldName, const QString& newName);
    bool ProjectExists(const QString& name) const;
    const_iterator FindProject(const QString& name) const;
    const_iterator begin() const;
    const_iterator end() const;
    std::size_t Count() const;

    // These three throw CFontProjectException for an unknown project.
    void AddFont(const QString& project, const QString& path, std::uint32_t face = 0);
    void RemoveFont(const QString& project, const QString& path, std::uint32_t face = 0);
    bool HasFont(const QString& project, const QString& path, std::uint32_t face = 0) const;
    // Whether the project holds any face of the file.
    bool HasFile(const QString& project, const QString& path) const;
    // Expires when the project is deleted; follows it when renamed.
    std::weak_ptr<FontSet> GetProjectFonts(const QString& project) const;

    // The copy kept of a file that could not be read, or of one with parts
    // left out, if a load or a save made one.
    QString KeptUnreadableCopy() const;
    // The message for the user about a file the last Load could not use, or
    // used leaving parts out, naming the copy it was kept as; once, then
    // empty.
    QString TakeKeptFileNotice();
    // How the last Load went (LastLoad, LoadProblem, LeftOut).
    const CXmlStoreFile& StoreFile() const;

    // Brings the earlier edition's file over once: copied when this edition
    // has none (an existing file is never replaced), then the earlier file
    // is renamed with ".old" appended.
    static void ImportEarlierEdition();

private:
    struct Record;
    FontSet& SetOf(const QString& project) const;
    std::shared_ptr<Record> m_d;
};

}  // namespace Quillmark
