#include "collections/LocationList.h"

#include <QCoreApplication>
#include <filesystem>

#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

namespace {

const QString kRoot = QStringLiteral("locations");
const QString kLocation = QStringLiteral("location");
const QString kProject = QStringLiteral("project");
const QString kName = QStringLiteral("name");

QString Tr(const char* text) {
    return QCoreApplication::translate("CLocationList", text);
}

// The folder a full path names with every link resolved; empty when there
// is no such folder, or the path is relative (what it names would depend on
// the folder the program was started from).
QString FolderIdentity(const QString& path) {
    if (!IsFullPath(path)) {
        return {};
    }
    std::error_code error;
    const std::filesystem::path folder = FilePath(path);
    if (!Platform::IsFolder(folder)) {
        return {};
    }
    const std::filesystem::path canonical = std::filesystem::canonical(folder, error);
    return error ? QString() : PathText(canonical);
}

}  // namespace

CLocationList::CLocationList() : m_file(kRoot, {kLocation}) {}

bool CLocationList::IsVirtual(const QString& path) {
    return path.startsWith(QLatin1String("::"));
}

void CLocationList::Load(const QString& path, CXmlStoreFile::Keep keep) {
    std::vector<CLocation> items;
    const auto read = [&](const CStoreElement& root, CLeftOut& leftOut) {
        leftOut.AddUnknownAttributes(root, {});
        for (const CStoreElement& element : root.children) {
            leftOut.AddUnknownAttributes(element, {kProject, kName});
            const QString* name = element.Attribute(kName);
            if (!name) {
                leftOut.Add(Tr("1 location without a name"), Tr("%1 locations without a name"));
                continue;
            }
            const QString* project = element.Attribute(kProject);
            const bool isProject = project && *project == QLatin1String("true");
            // Which folder a relative path names, and so whether it is
            // kept, would depend on the folder the program was started from.
            if (!isProject && !IsVirtual(*name) && !IsFullPath(*name)) {
                leftOut.Add(Tr("1 folder location that is not a full path"),
                            Tr("%1 folder locations that are not full paths"));
                continue;
            }
            items.push_back({isProject ? CLocation::Project : CLocation::Folder, *name});
        }
    };
    CStoreElement root;
    if (m_file.Load(path, root, keep, read) == CXmlStoreFile::LoadResult::Missing) {
        return;
    }
    m_items = std::move(items);
}

CResult<> CLocationList::Save(const QString& path, const CFileWriter& writer) const {
    CStoreElement root = m_file.NewRoot();
    for (const CLocation& item : m_items) {
        CStoreElement& element = root.AddChild(kLocation);
        element.attributes.emplace_back(kProject, item.kind == CLocation::Project
                                                      ? QStringLiteral("true")
                                                      : QStringLiteral("false"));
        element.attributes.emplace_back(kName, item.name);
    }
    return m_file.Save(path, root, writer);
}

QString CLocationList::TakeKeptFileNotice() {
    return m_file.TakeNotice(Tr("recent locations"));
}

bool CLocationList::RemoveFile(const QString& path) {
    const std::filesystem::path file = FilePath(path);
    if (!Platform::EntryExists(file)) {
        return true;
    }
    std::error_code error;
    return !std::filesystem::is_directory(std::filesystem::symlink_status(file, error)) &&
           !Platform::RemoveEntry(file);
}

int CLocationList::FindFolder(const QString& path) const {
    if (IsVirtual(path)) {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].kind == CLocation::Folder && m_items[i].name == path) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    const QString wanted = FolderIdentity(path);
    if (wanted.isEmpty()) {
        return -1;
    }
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].kind == CLocation::Folder && !IsVirtual(m_items[i].name) &&
            FolderIdentity(m_items[i].name) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CLocationList::FindProject(const QString& name) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].kind == CLocation::Project && m_items[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CLocationList::BringToTop(const CLocation& location) {
    const int found = location.kind == CLocation::Project ? FindProject(location.name)
                                                          : FindFolder(location.name);
    if (found < 0) {
        if (location.kind == CLocation::Folder && !IsVirtual(location.name) &&
            (!IsFullPath(location.name) || !Platform::IsFolder(FilePath(location.name)))) {
            return false;
        }
        m_items.insert(m_items.begin(), location);
        return true;
    }
    // The location as it was reached now: a folder keeps the path last used.
    m_items.erase(m_items.begin() + found);
    m_items.insert(m_items.begin(), location);
    return true;
}

void CLocationList::ApplyLimit(std::size_t limit) {
    if (m_items.size() > limit) {
        m_items.resize(limit);
    }
}

void CLocationList::RemoveStale(const std::function<bool(const QString&)>& projectExists) {
    std::erase_if(m_items, [&](const CLocation& item) {
        if (item.kind == CLocation::Project) {
            return !projectExists(item.name);
        }
        return !IsVirtual(item.name) &&
               (!IsFullPath(item.name) || !Platform::IsFolder(FilePath(item.name)));
    });
}

void CLocationList::KeepOnlyCurrent() {
    ApplyLimit(1);
}

}  // namespace Quillmark
