#include "fontdata/manager/FolderLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <new>
#include <set>
#include <string_view>

#include "platform/Files.h"

namespace Quillmark {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kFilesPerThread = 50;
constexpr std::size_t kReadAhead = 8;          // files asked for ahead of the reading
constexpr off_t kReadAheadBytes = 256 * 1024;  // of each: its tables' directory and most tables

// Asks the system to start reading the beginning of the file, without
// waiting for it. Only a regular file is asked for.
void Prefetch(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        ::posix_fadvise(fd, 0, kReadAheadBytes, POSIX_FADV_WILLNEED);
    }
    ::close(fd);
}

std::vector<std::string> Texts(std::vector<fs::path> paths) {
    std::vector<std::string> texts;
    texts.reserve(paths.size());
    for (const fs::path& path : paths) {
        texts.push_back(path.native());
    }
    return texts;
}
}  // namespace

CFolderLoad::Plan CFolderLoad::PlanFor(std::size_t files, unsigned processors) {
    Plan plan;
    const std::size_t byFiles = files / kFilesPerThread;
    plan.threads = static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>(byFiles, std::max(1u, processors))));
    plan.chunk = files / plan.threads + 1;
    return plan;
}

// One walk over the folder finds both kinds: the set is the same as two
// walks, one a pattern, would give, and a folder of 50,000 files is read
// once.
std::vector<fs::path> CFolderLoad::Enumerate(const fs::path& folder) {
    std::vector<std::string> found = EnumerateTexts(folder);
    return {found.begin(), found.end()};
}

std::vector<std::string> CFolderLoad::EnumerateTexts(const fs::path& folder) {
    return List(folder, false).paths;
}

namespace {

// Trees of the system that hold no fonts and would only cost time (or
// never end, as /proc does).
bool IsSystemTree(const std::string& path) {
    for (const char* tree : {"/proc", "/sys", "/dev", "/run"}) {
        if (path == tree) {
            return true;
        }
    }
    return false;
}

// One walk over a folder and, when asked, the folders below it, in name
// order. `onFile` gets each font file's path, `onFolder` each folder below
// the first as it is entered (once, however it is reached); either stops
// the walk by returning false.
class CWalk {
public:
    using FileHandler = std::function<bool(std::string path)>;
    using FolderHandler = std::function<bool(const std::string& path)>;

    CWalk(bool subfolders, FileHandler onFile, FolderHandler onFolder = {})
        : m_subfolders(subfolders), m_onFile(std::move(onFile)), m_onFolder(std::move(onFolder)) {}

    // Returns errno of the first folder's failure, 0 when it was listed.
    int Run(const fs::path& folder) {
        std::vector<std::string> pending{folder.native()};
        bool first = true;
        int error = 0;
        while (!pending.empty() && !m_stopped) {
            std::string path = std::move(pending.back());
            pending.pop_back();
            const int failed = ListOne(path, pending, first);
            if (first) {
                error = failed;
                first = false;
            }
        }
        return error;
    }

private:
    int ListOne(const std::string& path, std::vector<std::string>& pending, bool first) {
        std::string prefix = path;
        if (!prefix.empty() && prefix.back() != '/') {
            prefix += '/';
        }
        std::vector<std::string> below;
        Platform::FileIdentity self;
        bool entered = false;
        const std::error_code error = Platform::ListFolder(
            path,
            [&](const Platform::CFolderEntry& entry) {
                if (!entered) {
                    entered = true;
                    if (!m_seen.insert({self.device, self.inode}).second) {
                        return false;  // reached before, through a link or another way
                    }
                    if (!first && m_onFolder && !m_onFolder(path)) {
                        m_stopped = true;
                        return false;
                    }
                }
                const std::string_view name = entry.Name();
                const bool font = Platform::IsFontFileName(name);
                if (!font && !m_subfolders) {
                    return true;
                }
                // What a link leads to; an entry that cannot be looked at is
                // listed, and its reading says what is wrong with it.
                if (entry.IsFolder()) {
                    if (m_subfolders && name.front() != '.') {
                        std::string sub = prefix + std::string(name);
                        if (!IsSystemTree(sub)) {
                            below.push_back(std::move(sub));
                        }
                    }
                } else if (font && !m_onFile(prefix + std::string(name))) {
                    m_stopped = true;
                    return false;
                }
                return true;
            },
            &self);
        if (error) {
            return error.value();
        }
        if (!entered && !m_seen.insert({self.device, self.inode}).second) {
            return 0;
        }
        if (!entered && !first && m_onFolder && !m_onFolder(path)) {
            m_stopped = true;
            return 0;
        }
        // Taken from the back: walked in name order.
        std::sort(below.begin(), below.end(), std::greater<>());
        for (auto& sub : below) {
            pending.push_back(std::move(sub));
        }
        return 0;
    }

    const bool m_subfolders;
    FileHandler m_onFile;
    FolderHandler m_onFolder;
    std::set<std::pair<dev_t, ino_t>> m_seen;
    bool m_stopped = false;
};

}  // namespace

CFolderLoad::Listing CFolderLoad::List(const fs::path& folder, bool subfolders) {
    Listing listing;
    CWalk walk(subfolders, [&listing](std::string path) {
        listing.paths.push_back(std::move(path));
        return true;
    });
    listing.error = walk.Run(folder);
    // Ordinal order, no duplicates.
    std::sort(listing.paths.begin(), listing.paths.end());
    listing.paths.erase(std::unique(listing.paths.begin(), listing.paths.end()),
                        listing.paths.end());
    return listing;
}

bool CFolderLoad::HasFontsInSubfolders(const fs::path& folder, std::size_t folderLimit) {
    const std::string own = folder.native();
    std::string prefix = own;
    if (!prefix.empty() && prefix.back() != '/') {
        prefix += '/';
    }
    bool found = false;
    std::size_t folders = 0;
    CWalk walk(
        true,
        [&](const std::string& path) {
            // A font of the folder itself does not count.
            if (path.find('/', prefix.size()) != std::string::npos) {
                found = true;
                return false;
            }
            return true;
        },
        [&](const std::string&) { return ++folders <= folderLimit; });
    walk.Run(folder);
    return found;
}

std::vector<std::string> CFolderLoad::Subfolders(const fs::path& folder, std::size_t limit) {
    std::vector<std::string> folders;
    CWalk walk(
        true, [](const std::string&) { return true; },
        [&](const std::string& path) {
            if (folders.size() >= limit) {
                return false;
            }
            folders.push_back(path);
            return true;
        });
    walk.Run(folder);
    return folders;
}

CFolderLoad::CFolderLoad(CFontManager& manager, std::vector<fs::path> paths,
                         Platform::IFontSystem* system, unsigned processors)
    : CFolderLoad(manager, Texts(std::move(paths)), system, processors) {}

CFolderLoad::CFolderLoad(CFontManager& manager, std::vector<std::string> paths,
                         Platform::IFontSystem* system, unsigned processors)
    : m_manager(manager),
      m_system(system),
      m_paths(std::move(paths)),
      m_plan(PlanFor(m_paths.size(), processors)) {}

CFolderLoad::~CFolderLoad() {
    Cancel();
    Wait();
    // Fonts unshared as the rows nobody took go reach other applications once.
    Platform::CFontSystemBatch batch(m_system);
    m_results.clear();
}

void CFolderLoad::Start() {
    m_started = std::chrono::steady_clock::now();
    if (m_paths.empty()) {
        return;
    }
    if (m_system != nullptr) {
        // Fonts shared while loading reach other applications once, at the end.
        m_system->BeginBatch();
        m_batchOpen = true;
    }
    m_manager.Reserve(m_paths.size());
    m_chunkCount = (m_paths.size() + m_plan.chunk - 1) / m_plan.chunk;
    m_results.resize(m_chunkCount);
    m_chunkEnded.assign(m_chunkCount, false);
    m_workers.reserve(m_chunkCount);
    for (std::size_t chunk = 0; chunk < m_chunkCount; ++chunk) {
        m_workers.emplace_back(&CFolderLoad::Work, this, chunk);
    }
}

void CFolderLoad::Work(std::size_t chunk) {
    const std::size_t first = chunk * m_plan.chunk;
    const std::size_t last = std::min(m_paths.size(), first + m_plan.chunk);
    {
        std::lock_guard lock(m_rowsMutex);
        m_results[chunk].reserve(last - first);
    }
    // The disk is asked for the next files while this one is read, so that
    // a folder not yet in memory is read with several requests in flight
    // rather than one file's at a time.
    for (std::size_t next = first; next < std::min(last, first + kReadAhead); ++next) {
        Prefetch(m_paths[next]);
    }
    for (std::size_t i = first; i < last && !IsCanceled(); ++i) {
        if (i + kReadAhead < last) {
            Prefetch(m_paths[i + kReadAhead]);
        }
        bool report = false;
        try {
            const fs::path path(m_paths[i]);
            const std::uint32_t only = i < m_onlyFaces.size() ? m_onlyFaces[i] : 0;
            CFontHandle item = only != 0    ? m_manager.Open(path, only)
                               : m_acquirer ? m_acquirer(path)
                                            : m_manager.Open(path);
            // A collection's other faces follow its first, in face order.
            std::vector<CFolderLoadRow> rows;
            rows.reserve(item->GetFaceCount());
            rows.push_back({item, item->GetDisplayName()});
            const std::uint32_t faces = m_onlyFaces.empty() ? item->GetFaceCount() : 1;
            for (std::uint32_t face = 1; face < faces && !IsCanceled(); ++face) {
                CFontHandle other = m_manager.Open(path, face);
                rows.push_back({other, other->GetDisplayName()});
            }
            m_faces.fetch_add(rows.size(), std::memory_order_relaxed);
            std::lock_guard lock(m_rowsMutex);
            std::move(rows.begin(), rows.end(), std::back_inserter(m_results[chunk]));
            report = chunk == m_firstOpenChunk && !m_readyReported;
            m_readyReported = m_readyReported || report;
        } catch (const std::bad_alloc&) {
            // Out of memory ends this load, not the program: the rows read
            // so far stay, and the user is told.
            m_outOfMemory.store(true);
            Cancel();
            break;
        }
        m_done.fetch_add(1, std::memory_order_relaxed);
        if (report && m_ready) {
            m_ready();
        }
    }
    EndChunk(chunk);
}

void CFolderLoad::EndChunk(std::size_t chunk) {
    bool report = false;
    {
        std::lock_guard lock(m_rowsMutex);
        m_chunkEnded[chunk] = true;
        // The end of the first open chunk lets the next chunks' rows through.
        report = chunk == m_firstOpenChunk && !m_readyReported;
        m_readyReported = m_readyReported || report;
    }
    bool last = false;
    {
        std::lock_guard lock(m_finishMutex);
        last = m_finishedThreads.fetch_add(1) + 1 == m_chunkCount;
    }
    m_finishedChanged.notify_all();
    if ((report || last) && m_ready) {
        m_ready();
    }
}

bool CFolderLoad::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_finishMutex);
    return m_finishedChanged.wait_for(lock, timeout, [this] { return Finished(); });
}

void CFolderLoad::Wait() {
    if (m_joined) {
        return;
    }
    for (auto& worker : m_workers) {
        worker.join();
    }
    m_joined = true;
    m_elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    if (m_batchOpen) {
        m_batchOpen = false;
        m_system->EndBatch();
    }
}

std::vector<CFolderLoadRow> CFolderLoad::TakeReadyRows() {
    std::vector<CFolderLoadRow> rows;
    std::lock_guard lock(m_rowsMutex);
    m_readyReported = false;
    for (; m_firstOpenChunk < m_results.size(); ++m_firstOpenChunk) {
        auto& chunk = m_results[m_firstOpenChunk];
        std::move(chunk.begin(), chunk.end(), std::back_inserter(rows));
        chunk.clear();
        if (!m_chunkEnded[m_firstOpenChunk]) {
            break;
        }
    }
    return rows;
}

std::vector<CFolderLoadRow> CFolderLoad::TakeRows() {
    Wait();
    return TakeReadyRows();
}

std::string CFolderLoad::NoFontsText() {
    return "No fonts to display";
}

namespace {
// "12 fonts" or, when they came from fewer files, "12 fonts from 3 files".
std::string FontsText(std::size_t fonts, std::size_t files) {
    std::string text = std::to_string(fonts) + " fonts";
    if (files != 0 && files != fonts) {
        text += " from " + std::to_string(files) + (files == 1 ? " file" : " files");
    }
    return text;
}
}  // namespace

std::string CFolderLoad::ReadText(std::size_t fonts, double seconds, bool canceled,
                                  std::size_t files) {
    if (canceled) {
        return FontsText(fonts, files) + " read, font information scan was canceled";
    }
    char time[64];
    std::snprintf(time, sizeof time, " read in %4.2f seconds", seconds);
    return FontsText(fonts, files) + time;
}

std::string CFolderLoad::DisplayedText(std::size_t rows, std::size_t files) {
    return FontsText(rows, files) + " displayed";
}

}  // namespace Quillmark
