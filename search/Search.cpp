#include "search/Search.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "platform/Files.h"
#include "platform/Mounts.h"
#include "search/ReadAhead.h"

namespace Quillmark {

namespace fs = std::filesystem;

CSearchLocation CSearchLocation::Folder(fs::path folder, bool subfolders) {
    CSearchLocation location;
    location.kind = Kind::Folder;
    location.folder = std::move(folder);
    location.subfolders = subfolders;
    return location;
}

CSearchLocation CSearchLocation::Computer(bool removable, bool subfolders) {
    CSearchLocation location;
    location.kind = Kind::Computer;
    location.removable = removable;
    location.subfolders = subfolders;
    return location;
}

CSearchLocation CSearchLocation::Project(std::vector<fs::path> files,
                                         std::vector<std::uint32_t> faces) {
    CSearchLocation location;
    location.kind = Kind::Project;
    location.files = std::move(files);
    location.faces = std::move(faces);
    return location;
}

namespace {

// The controller of a search: its three operations bound to what runs it.
class CSearchController final : public ISearchController {
public:
    CSearchController(std::function<bool()> keep, std::function<void(const fs::path&)> report,
                      std::function<void(const CFontHandle&)> test)
        : m_keep(std::move(keep)), m_report(std::move(report)), m_test(std::move(test)) {}
    bool KeepSearching() const override { return m_keep(); }
    void ReportFolder(const fs::path& folder) override { m_report(folder); }
    void TestFont(const CFontHandle& font) override { m_test(font); }

private:
    std::function<bool()> m_keep;
    std::function<void(const fs::path&)> m_report;
    std::function<void(const CFontHandle&)> m_test;
};

std::string Reason(const fs::path& place, const std::string& why) {
    return place.string() + ": " + why;
}

// Walks folders depth first, each folder's subfolders before its files.
class CWalker {
public:
    CWalker(ISearchController& controller, CReadAhead& reader)
        : m_controller(controller), m_reader(reader) {}

    // `mountPoints`: walk one volume, entering no other mount. False, with
    // `failure` set, when `root` itself cannot be walked.
    bool Walk(const fs::path& root, bool subfolders, const std::set<std::string>* mountPoints,
              std::string* failure) {
        if (Platform::IsSystemFolder(root.native())) {
            *failure = Reason(root, "a system folder is never searched");
            return false;
        }
        struct stat info {};
        if (::stat(root.c_str(), &info) != 0) {
            *failure = Reason(root, std::strerror(errno));
            return false;
        }
        if (!S_ISDIR(info.st_mode)) {
            *failure = Reason(root, "not a folder");
            return false;
        }
        if (const std::error_code ec =
                Platform::ListFolder(root, [](const Platform::CFolderEntry&) { return false; })) {
            *failure = Reason(root, ec.message());
            return false;
        }
        if (!m_visited.insert({info.st_dev, info.st_ino}).second) {
            return true;  // walked already (a volume reached through another)
        }
        m_subfolders = subfolders;
        m_mountPoints = mountPoints;
        m_device = info.st_dev;
        WalkFolder(root);
        return true;
    }

private:
    bool Keep() const { return m_controller.KeepSearching(); }

    // Whether to walk a subfolder: not a system folder, not walked before
    // (a link loop), and within the volume when walking one.
    bool Enter(const fs::path& path, bool isLink) {
        if (Platform::IsSystemFolder(path.native())) {
            return false;
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            return false;
        }
        if (m_mountPoints != nullptr &&
            (info.st_dev != m_device || m_mountPoints->count(path.native()) != 0)) {
            return false;
        }
        std::error_code ec;
        if (isLink) {
            const fs::path target = fs::canonical(path, ec);
            if (ec || Platform::IsSystemFolder(target.native()) ||
                (m_mountPoints != nullptr && m_mountPoints->count(target.native()) != 0)) {
                return false;
            }
        }
        return m_visited.insert({info.st_dev, info.st_ino}).second;
    }

    void WalkFolder(const fs::path& folder) {
        if (!Keep()) {
            return;
        }
        m_controller.ReportFolder(folder);
        std::vector<std::pair<fs::path, bool>> subfolders;  // and whether a link
        std::vector<fs::path> files;
        bool stopped = false;
        // A folder that cannot be read yields nothing; the walk goes on.
        Platform::ListFolder(folder, [&](const Platform::CFolderEntry& entry) {
            if (!Keep()) {
                stopped = true;
                return false;
            }
            const bool folderEntry = entry.IsFolder();
            if (!folderEntry && Platform::IsFontFileName(entry.Name())) {
                if (Platform::IsRegularFile(folder / entry.Name())) {
                    files.push_back(folder / entry.Name());
                }
            } else if (m_subfolders && folderEntry) {
                subfolders.emplace_back(folder / entry.Name(), entry.IsLink());
            }
            return true;
        });
        if (stopped) {
            return;
        }
        std::sort(subfolders.begin(), subfolders.end());
        std::sort(files.begin(), files.end());
        for (const auto& subfolder : subfolders) {
            if (!Keep()) {
                return;
            }
            if (Enter(subfolder.first, subfolder.second)) {
                WalkFolder(subfolder.first);
            }
        }
        if (!Keep()) {
            return;
        }
        m_reader.ForEach(
            files, [this] { return Keep(); },
            [this](const CFontHandle& font) { m_controller.TestFont(font); });
    }

    ISearchController& m_controller;
    CReadAhead& m_reader;
    bool m_subfolders = true;
    const std::set<std::string>* m_mountPoints = nullptr;
    dev_t m_device = 0;
    std::set<std::pair<dev_t, ino_t>> m_visited;  // every folder walked, across volumes
};

unsigned DefaultHelpers() {
    const unsigned processors = std::thread::hardware_concurrency();
    return processors > 1 ? processors - 1 : 0;
}

}  // namespace

std::vector<std::string> VolumesToWalk(const std::vector<Platform::CMount>& mounts,
                                       bool removable) {
    std::vector<std::string> volumes;
    for (const Platform::CMount& mount : mounts) {
        std::erase(volumes, mount.mountPoint);
        if (!Platform::IsUserMount(mount)) {
            continue;
        }
        const Platform::MountKind kind = Platform::KindOfMount(mount);
        if (kind == Platform::MountKind::Fixed ||
            (kind == Platform::MountKind::Removable && removable)) {
            volumes.push_back(mount.mountPoint);
        }
    }
    std::sort(volumes.begin(), volumes.end());
    return volumes;
}

CSearch::CSearch(CFontManager& manager, CSearchLocation location, FontTest test,
                 ISearchReceiver& receiver)
    : m_manager(manager),
      m_location(std::move(location)),
      m_test(std::move(test)),
      m_receiver(receiver),
      m_opener([this](const fs::path& path) { return m_manager.Open(path); }),
      m_helpers(DefaultHelpers()) {}

CSearch::~CSearch() {
    Stop();
    Wait();
}

void CSearch::SetOpener(std::function<CFontHandle(const fs::path&)> opener) {
    m_opener = std::move(opener);
}

void CSearch::Start() {
    if (m_worker.joinable()) {
        return;
    }
    m_running = true;
    m_worker = std::thread([this] { Run(); });
}

void CSearch::Wait() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void CSearch::Run() {
    CSearchEnd end;
    try {
        // A project's files are read once each, however many of their
        // faces it holds; the faces it holds are tested.
        std::vector<fs::path> projectFiles;
        std::map<std::string, std::vector<std::uint32_t>> projectFaces;
        const bool byFace = m_location.kind == CSearchLocation::Kind::Project &&
                            m_location.faces.size() == m_location.files.size();
        if (m_location.kind == CSearchLocation::Kind::Project) {
            for (std::size_t i = 0; i < m_location.files.size(); ++i) {
                const auto [it, first] = projectFaces.try_emplace(m_location.files[i].native());
                if (first) {
                    projectFiles.push_back(m_location.files[i]);
                }
                if (byFace) {
                    it->second.push_back(m_location.faces[i]);
                }
            }
        }
        const auto test = [this, &end](const CFontHandle& font) {
            if (const std::optional<int> value = m_test(*font)) {
                ++end.found;
                m_receiver.FontFound(font, *value);
            }
        };
        CSearchController controller(
            [this] { return KeepSearching(); },
            [this](const fs::path& folder) { m_receiver.SearchingFolder(folder); },
            [&](const CFontHandle& font) {
                if (font == nullptr) {
                    return;
                }
                // The file's first face, read; its other faces are read here.
                const std::vector<std::uint32_t>* only = nullptr;
                if (byFace) {
                    const auto it = projectFaces.find(font->GetPathText());
                    only = it != projectFaces.end() ? &it->second : nullptr;
                }
                const auto wanted = [only](std::uint32_t face) {
                    return only == nullptr ||
                           std::find(only->begin(), only->end(), face) != only->end();
                };
                if (wanted(0)) {
                    test(font);
                }
                for (std::uint32_t face = 1; face < font->GetFaceCount() && KeepSearching();
                     ++face) {
                    if (wanted(face)) {
                        test(m_manager.Open(font->GetPath(), face));
                    }
                }
            });
        // Niceness is a thread's own on Linux; the helpers start with the
        // worker's.
        if (m_niceness != 0) {
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), m_niceness);
        }
        CReadAhead reader(m_opener, m_helpers);
        CWalker walker(controller, reader);
        switch (m_location.kind) {
            case CSearchLocation::Kind::Folder:
                walker.Walk(m_location.folder, m_location.subfolders, nullptr, &end.failure);
                break;
            case CSearchLocation::Kind::Computer: {
                const auto mounts = Platform::ReadMounts();
                if (!mounts) {
                    end.failure = Reason(Platform::MountTableFile(), std::strerror(errno));
                    break;
                }
                std::set<std::string> mountPoints;
                for (const Platform::CMount& mount : *mounts) {
                    mountPoints.insert(mount.mountPoint);
                }
                const std::vector<std::string> volumes =
                    VolumesToWalk(*mounts, m_location.removable);
                for (const std::string& volume : volumes) {
                    if (!KeepSearching()) {
                        break;
                    }
                    std::string unreadable;  // a volume that cannot be read yields nothing
                    walker.Walk(volume, m_location.subfolders, &mountPoints, &unreadable);
                }
                break;
            }
            case CSearchLocation::Kind::Project:
                reader.ForEach(
                    projectFiles, [this] { return KeepSearching(); },
                    [&controller](const CFontHandle& font) { controller.TestFont(font); });
                break;
        }
    } catch (const std::exception& failure) {
        end.failure = failure.what();
    }
    end.canceled = !KeepSearching();
    m_running = false;
    m_receiver.SearchComplete(end);
}

}  // namespace Quillmark
