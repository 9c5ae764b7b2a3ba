#include "platform/FontconfigFontSystem.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "platform/Paths.h"

extern char** environ;

namespace Quillmark::Platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLockName = ".lock";

// The longest file name the file systems we link in take.
constexpr std::size_t kMaxNameBytes = 255;
// A link name's share for the start of its file's name; the rest is room for
// the digest, and the extension is kept whole when it is this short or less.
constexpr std::size_t kMaxNameStartBytes = 200;
constexpr std::size_t kMaxKeptExtensionBytes = 16;

// The first `count` bytes of a name, never cutting a UTF-8 sequence.
std::string NameStart(const std::string& name, std::size_t count) {
    if (count >= name.size()) {
        return name;
    }
    while (count > 0 && (static_cast<unsigned char>(name[count]) & 0xC0) == 0x80) {
        --count;
    }
    return name.substr(0, count);
}

// A stable name for a file's link: a digest of its path, then its name, so
// that two files of one name from different folders do not collide. A long
// name is cut (the digest keeps it apart) so that every file can be linked.
std::string LinkName(const fs::path& file) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const char c : file.native()) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char prefix[17];
    std::snprintf(prefix, sizeof prefix, "%016llx", static_cast<unsigned long long>(hash));
    const std::string name = file.filename().native();
    std::string shortened = name;
    if (name.size() > kMaxNameStartBytes) {
        std::string extension = file.extension().native();
        if (extension.size() > kMaxKeptExtensionBytes) {
            extension.clear();
        }
        shortened = NameStart(name.substr(0, name.size() - extension.size()),
                              kMaxNameStartBytes - extension.size()) +
                    extension;
    }
    static_assert(sizeof prefix + kMaxNameStartBytes <= kMaxNameBytes);
    return std::string(prefix) + "-" + shortened;
}

// A name of digits only, as a process id is written.
bool IsProcessName(const std::string& name) {
    return !name.empty() && name.size() <= 10 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a path is a symbolic link itself (its folders may be links).
bool IsLink(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::symlink;
}

// Removes a process's folder of links: each link and the lock one by one,
// then the folder, which is left as it is when it holds anything else.
bool RemoveLinkFolder(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::path> removable;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::file_type type = entry.symlink_status(ec).type();
        const bool isLock = entry.path().filename() == kLockName && type == fs::file_type::regular;
        if (!isLock && type != fs::file_type::symlink) {
            return false;  // not ours
        }
        removable.push_back(entry.path());
    }
    if (ec) {
        return false;
    }
    for (const auto& path : removable) {
        fs::remove(path, ec);  // a link, never what it points at
    }
    return fs::remove(folder, ec);  // only when empty
}

bool IsUnderOrEqual(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty()) {
            continue;  // trailing separator
        }
        if (p == path.end() || *p != *f) {
            return false;
        }
    }
    return true;
}

// Writes a file next to its final name and moves it there.
bool WriteAtomically(const fs::path& target, const std::string& text) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    const fs::path temporary = target.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, target, ec);
    return !ec;
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

CFontconfigFontSystem::Places CFontconfigFontSystem::DefaultPlaces() {
    return {DataFolder() / "shared-fonts",
            ConfigHome() / "fontconfig" / "conf.d" / "50-quillmark.conf", UserFontsFolder()};
}

CFontconfigFontSystem::CFontconfigFontSystem(Places places) : m_places(std::move(places)) {
    RemoveStaleFolders();
}

CFontconfigFontSystem::~CFontconfigFontSystem() {
    std::unique_lock lock(m_mutex);
    std::error_code ec;
    for (const auto& [file, shared] : m_links) {
        fs::remove(shared.link, ec);
        m_dirty = true;
    }
    m_links.clear();
    if (m_lockFd >= 0) {
        RemoveLinkFolder(ProcessFolder());
        ::close(m_lockFd);
        m_lockFd = -1;
        m_dirty = true;
    }
    if (m_dirty) {
        ++m_cacheRuns;
        lock.unlock();
        RunCache();
    }
}

void CFontconfigFontSystem::RemoveStaleFolders() {
    // A root that is a link leads into a folder that is not ours (the
    // user's own fonts, say): nothing there is touched.
    if (IsLink(m_places.sharedRoot)) {
        return;
    }
    std::error_code ec;
    bool removed = false;
    for (const auto& entry : fs::directory_iterator(m_places.sharedRoot, ec)) {
        if (entry.symlink_status(ec).type() != fs::file_type::directory ||
            !IsProcessName(entry.path().filename().native())) {
            continue;
        }
        const int fd = ::open((entry.path() / kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);  // its process is alive
            continue;
        }
        removed = RemoveLinkFolder(entry.path()) || removed;
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (removed) {
        std::unique_lock lock(m_mutex);
        ++m_cacheRuns;
        lock.unlock();
        RunCache();
    }
}

fs::path CFontconfigFontSystem::ProcessFolder() const {
    return m_places.sharedRoot / std::to_string(::getpid());
}

bool CFontconfigFontSystem::EnsureProcessFolder() {
    if (m_lockFd >= 0) {
        return true;
    }
    if (IsLink(m_places.sharedRoot)) {
        return false;  // not ours to write into
    }
    std::error_code ec;
    const fs::path folder = ProcessFolder();
    fs::create_directories(folder, ec);
    const int fd = ::open((folder / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;
    return true;
}

bool CFontconfigFontSystem::EnsureIncludeFile() {
    std::error_code ec;
    if (fs::exists(m_places.includeFile, ec)) {
        return true;
    }
    const std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
        "<!-- Written by Quillmark: the fonts it shares with other applications while it runs. "
        "-->\n"
        "<fontconfig>\n"
        "  <dir>" +
        XmlEscape(m_places.sharedRoot.string()) +
        "</dir>\n"
        "</fontconfig>\n";
    return WriteAtomically(m_places.includeFile, text);
}

bool CFontconfigFontSystem::IsInstalledFolder(const fs::path& folder) {
    std::call_once(m_dirsOnce, [this] {
        FcConfig* config = FcInitLoadConfig();
        if (config == nullptr) {
            return;
        }
        if (FcStrList* dirs = FcConfigGetFontDirs(config)) {
            while (FcChar8* dir = FcStrListNext(dirs)) {
                m_fontconfigDirs.emplace_back(reinterpret_cast<const char*>(dir));
            }
            FcStrListDone(dirs);
        }
        FcConfigDestroy(config);
    });
    const fs::path normal = folder.lexically_normal();
    if (IsUnderOrEqual(normal, m_places.sharedRoot.lexically_normal())) {
        return false;
    }
    if (IsUnderOrEqual(normal, m_places.userFontsFolder.lexically_normal())) {
        return true;
    }
    for (const auto& dir : m_fontconfigDirs) {
        if (!IsUnderOrEqual(dir, m_places.sharedRoot) &&
            IsUnderOrEqual(normal, dir.lexically_normal())) {
            return true;
        }
    }
    return false;
}

void CFontconfigFontSystem::Register(const fs::path& file, std::uint32_t flags) {
    if (flags != kSharedFont) {
        return;
    }
    std::unique_lock lock(m_mutex);
    // One link for the file, however many of its faces are shared.
    if (const auto it = m_links.find(file); it != m_links.end()) {
        ++it->second.users;
        return;
    }
    if (!EnsureIncludeFile() || !EnsureProcessFolder()) {
        return;
    }
    std::error_code ec;
    const fs::path link = ProcessFolder() / LinkName(file);
    fs::remove(link, ec);
    fs::create_symlink(fs::absolute(file, ec), link, ec);
    if (ec) {
        return;
    }
    m_links.emplace(file, CLink{link, 1});
    ChangedLocked(lock);
}

void CFontconfigFontSystem::Unregister(const fs::path& file, std::uint32_t flags) {
    if (flags != kSharedFont) {
        return;
    }
    std::unique_lock lock(m_mutex);
    const auto it = m_links.find(file);
    if (it == m_links.end() || --it->second.users > 0) {
        return;
    }
    std::error_code ec;
    fs::remove(it->second.link, ec);
    m_links.erase(it);
    ChangedLocked(lock);
}

void CFontconfigFontSystem::ChangedLocked(std::unique_lock<std::mutex>& lock) {
    m_dirty = true;
    if (m_batchDepth == 0) {
        m_dirty = false;
        ++m_cacheRuns;
        // fc-cache takes its time: other threads register meanwhile.
        lock.unlock();
        RunCache();
    }
}

void CFontconfigFontSystem::BeginBatch() {
    std::lock_guard lock(m_mutex);
    ++m_batchDepth;
}

void CFontconfigFontSystem::EndBatch() {
    std::unique_lock lock(m_mutex);
    if (--m_batchDepth == 0 && m_dirty) {
        m_dirty = false;
        ++m_cacheRuns;
        lock.unlock();
        RunCache();
    }
}

int CFontconfigFontSystem::CacheRuns() const {
    std::lock_guard lock(m_mutex);
    return m_cacheRuns;
}

// Refreshes the cache of our folder. Never with -f: that waits seconds.
void CFontconfigFontSystem::RunCache() {
    std::error_code ec;
    if (!fs::exists(m_places.sharedRoot, ec)) {
        return;
    }
    const std::string folder = m_places.sharedRoot.string();
    char program[] = "fc-cache";
    std::vector<char*> argv = {program, const_cast<char*>(folder.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace Quillmark::Platform
