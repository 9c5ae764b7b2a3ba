#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/PathBytes.h"
#include "platform/Paths.h"

namespace Quillmark::Platform {

namespace fs = std::filesystem;

namespace {

std::error_code Errno(int error) {
    return {error != 0 ? error : EIO, std::system_category()};
}
std::error_code LastError() {
    return Errno(errno);
}

// Closes a descriptor when it goes.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    // Closes now; the close's own error (a write the disk refused late).
    std::error_code Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd >= 0 && ::close(fd) != 0 ? LastError() : std::error_code();
    }

private:
    int m_fd;
};

bool EndsWithExtension(std::string_view name, std::string_view extension) {
    if (name.size() <= extension.size()) {
        return false;
    }
    const std::string_view end = name.substr(name.size() - extension.size());
    for (std::size_t i = 0; i < extension.size(); ++i) {
        const auto c = static_cast<unsigned char>(end[i]);
        if ((c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c) !=
            static_cast<unsigned char>(extension[i])) {
            return false;
        }
    }
    return true;
}

std::error_code WriteAllBytes(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return wrote < 0 ? LastError() : Errno(ENOSPC);
        }
        done += static_cast<std::size_t>(wrote);
    }
    return {};
}

std::error_code ReadsBack(int fd, std::string_view bytes) {
    std::vector<char> chunk(64 * 1024);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(chunk.size(), bytes.size() - done);
        const ssize_t got = ::pread(fd, chunk.data(), want, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 ||
            bytes.compare(done, static_cast<std::size_t>(got),
                          std::string_view(chunk.data(), static_cast<std::size_t>(got))) != 0) {
            return got < 0 ? LastError() : Errno(EIO);
        }
        done += static_cast<std::size_t>(got);
    }
    return {};
}

// fsync where the file system has it (some answer EINVAL: nothing to do).
std::error_code Sync(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        return LastError();
    }
    return {};
}

void SyncFolderOf(const fs::path& path) {
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const CFd folder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) {
        (void)::fsync(folder.Get());
    }
}

// Creates a new file named after `target`'s folder and name
// (".NAME.XXXXXX.part"); its path in `made`.
int MakeTemporaryBeside(const fs::path& target, fs::path& made) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().native())).native() + ".XXXXXX.part";
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd >= 0) {
        made = pattern;
    }
    return fd;
}

std::error_code CopyFileData(int in, int out) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return LastError();
        }
        if (got == 0) {
            return {};
        }
        if (const std::error_code error = WriteAllBytes(
                out, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return error;
        }
    }
}

std::error_code CopyLink(const fs::path& from, const fs::path& to) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
    if (length < 0) {
        return LastError();
    }
    target.resize(static_cast<std::size_t>(length));
    return ::symlink(target.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code CopyFolder(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return LastError();
    }
    if (const std::error_code error = MakeFolder(to)) {
        return error;
    }
    std::vector<std::string> names;
    const std::error_code listed = ListFolder(from, [&](const CFolderEntry& entry) {
        names.emplace_back(entry.Name());
        return true;
    });
    std::error_code error = listed;
    for (const std::string& name : names) {
        if (error) {
            break;
        }
        error = CopyEntry(from / name, to / name);
    }
    if (error) {
        RemoveEntry(to);
        return error;
    }
    (void)::chmod(to.c_str(), info.st_mode & 07777);
    return {};
}

}  // namespace

bool IsFontFileName(std::string_view name) {
    return EndsWithExtension(name, ".ttf") || EndsWithExtension(name, ".otf");
}

bool CFolderEntry::IsFolder() const {
    if (m_type == DT_DIR) {
        return true;
    }
    if (m_type != DT_LNK && m_type != DT_UNKNOWN) {
        return false;
    }
    const std::string name(m_name);
    struct stat info {};
    return ::fstatat(m_folderFd, name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
}

bool CFolderEntry::IsLink() const {
    if (m_type != DT_UNKNOWN) {
        return m_type == DT_LNK;
    }
    const std::string name(m_name);
    struct stat info {};
    return ::fstatat(m_folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(info.st_mode);
}

std::error_code ListFolder(const fs::path& folder,
                           const std::function<bool(const CFolderEntry&)>& visit,
                           FileIdentity* identity) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return LastError();
    }
    const int fd = ::dirfd(dir);
    if (identity != nullptr) {
        struct stat self {};
        if (::fstat(fd, &self) == 0) {
            *identity = {self.st_dev, self.st_ino};
        }
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (!visit(CFolderEntry(fd, name, entry->d_type))) {
            break;
        }
    }
    ::closedir(dir);
    return {};
}

bool EntryExists(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::error_code RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return LastError();
    }
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return LastError();
    }
    if (!S_ISDIR(info.st_mode)) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return {};
        }
        // A file system without hard links (EPERM) falls to the look below.
        if (errno != EPERM && errno != EOPNOTSUPP) {
            return LastError();
        }
    }
    if (::lstat(to.c_str(), &info) == 0) {
        return Errno(EEXIST);
    }
    if (errno != ENOENT) {
        return LastError();
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code RenameReplacing(const fs::path& from, const fs::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code MakeFolder(const fs::path& folder, mode_t mode) {
    return ::mkdir(folder.c_str(), mode) == 0 ? std::error_code() : LastError();
}

std::error_code MakeFolders(const fs::path& folder, mode_t mode) {
    if (folder.empty() || IsFolder(folder)) {
        return {};
    }
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder) {
        if (const std::error_code error = MakeFolders(parent, mode)) {
            return error;
        }
    }
    if (::mkdir(folder.c_str(), mode) == 0 || (errno == EEXIST && IsFolder(folder))) {
        return {};
    }
    return LastError();
}

fs::path FollowLinks(const fs::path& path) {
    fs::path at = path;
    for (int depth = 0; depth < 128; ++depth) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return at;
        }
        std::string target(4096, '\0');
        const ssize_t length = ::readlink(at.c_str(), target.data(), target.size());
        if (length < 0) {
            return at;
        }
        target.resize(static_cast<std::size_t>(length));
        at = target.front() == '/' ? fs::path(target) : at.parent_path() / target;
    }
    return path;  // a loop: written as the name itself, which then fails
}

std::error_code WriteFileWhole(const fs::path& path, std::string_view bytes,
                               const WholeFileOptions& options) {
    const fs::path final = FollowLinks(path);
    struct stat existing {};
    const bool exists = ::stat(final.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return Errno(EISDIR);
    }
    if (exists && ::access(final.c_str(), W_OK) != 0) {
        return LastError();
    }
    fs::path pending = options.pending;
    int fd = -1;
    if (pending.empty()) {
        fd = MakeTemporaryBeside(final, pending);
    } else {
        fd = ::open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (fd < 0) {
        return LastError();
    }
    CFd file(fd);
    const auto fail = [&](std::error_code error) {
        file.Close();
        ::unlink(pending.c_str());
        return error;
    };
    if (exists) {
        (void)::fchmod(fd, existing.st_mode & 07777);
    }
    if (const std::error_code error =
            options.write ? options.write(fd, bytes) : WriteAllBytes(fd, bytes)) {
        return fail(error);
    }
    if (const std::error_code error = Sync(fd)) {
        return fail(error);
    }
    if (options.verify) {
        if (const std::error_code error = ReadsBack(fd, bytes)) {
            return fail(error);
        }
    }
    if (const std::error_code error = file.Close()) {
        return fail(error);
    }
    if (const std::error_code error = RenameReplacing(pending, final)) {
        ::unlink(pending.c_str());
        return error;
    }
    SyncFolderOf(final);
    return {};
}

std::error_code CopyFileWhole(const fs::path& from, const fs::path& to, bool replace) {
    const CFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) {
        return LastError();
    }
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0) {
        return LastError();
    }
    fs::path temporary;
    CFd out(MakeTemporaryBeside(to, temporary));
    if (out.Get() < 0) {
        return LastError();
    }
    const auto fail = [&](std::error_code error) {
        out.Close();
        ::unlink(temporary.c_str());
        return error;
    };
    if (const std::error_code error = CopyFileData(in.Get(), out.Get())) {
        return fail(error);
    }
    if (const std::error_code error = Sync(out.Get())) {
        return fail(error);
    }
    (void)::fchmod(out.Get(), info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    (void)::futimens(out.Get(), times);
    if (const std::error_code error = out.Close()) {
        return fail(error);
    }
    const std::error_code renamed =
        replace ? RenameReplacing(temporary, to) : RenameNoReplace(temporary, to);
    if (renamed) {
        ::unlink(temporary.c_str());
        return renamed;
    }
    SyncFolderOf(to);
    return {};
}

std::error_code CopyEntry(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return LastError();
    }
    if (S_ISLNK(info.st_mode)) {
        return CopyLink(from, to);
    }
    if (S_ISDIR(info.st_mode)) {
        return CopyFolder(from, to);
    }
    return CopyFileWhole(from, to, false);
}

std::error_code RemoveEntry(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return LastError();
    }
    if (!S_ISDIR(info.st_mode)) {
        return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
    }
    std::vector<std::string> names;
    if (const std::error_code error = ListFolder(path, [&](const CFolderEntry& entry) {
            names.emplace_back(entry.Name());
            return true;
        })) {
        return error;
    }
    std::error_code first;
    for (const std::string& name : names) {
        const std::error_code error = RemoveEntry(path / name);
        if (error && !first) {
            first = error;
        }
    }
    if (first) {
        return first;
    }
    return ::rmdir(path.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code MoveEntry(const fs::path& from, const fs::path& to, bool replace,
                          bool* copiedButKept) {
    if (copiedButKept != nullptr) {
        *copiedButKept = false;
    }
    const std::error_code renamed = replace ? RenameReplacing(from, to) : RenameNoReplace(from, to);
    if (renamed.value() != EXDEV) {
        return renamed;
    }
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return LastError();
    }
    std::error_code copied;
    if (S_ISREG(info.st_mode)) {
        copied = CopyFileWhole(from, to, replace);
    } else {
        if (replace && EntryExists(to) && !IsFolder(to)) {
            ::unlink(to.c_str());
        }
        copied = CopyEntry(from, to);
    }
    if (copied) {
        return copied;  // the source is untouched; a partial copy was removed
    }
    if (const std::error_code removed = RemoveEntry(from)) {
        if (copiedButKept != nullptr) {
            *copiedButKept = true;
        }
        return removed;
    }
    return {};
}

CHeldFolder::CHeldFolder(const fs::path& folder)
    : m_fd(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

CHeldFolder::~CHeldFolder() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string CHeldFolder::Alias() const {
    return m_fd >= 0 ? "/proc/self/fd/" + std::to_string(m_fd) : std::string();
}

bool IsUtf8(std::string_view bytes) {
    return PathDisplayText(bytes) == bytes;
}

std::string PercentEncodePath(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
            byte == '~' || byte == '/') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

std::string PercentDecode(std::string_view text) {
    const auto hex = [](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

// The device of the nearest folder at or above `path` that exists.
bool DeviceOf(fs::path path, dev_t& device) {
    for (;;) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            device = info.st_dev;
            return true;
        }
        if (!path.has_parent_path() || path.parent_path() == path) {
            return false;
        }
        path = path.parent_path();
    }
}

// The top folder of the file system `folder` lies on: the highest folder
// above it on the same device.
fs::path MountTop(const fs::path& folder, dev_t device) {
    fs::path top = folder;
    while (top.has_parent_path() && top.parent_path() != top) {
        struct stat info {};
        if (::stat(top.parent_path().c_str(), &info) != 0 || info.st_dev != device) {
            break;
        }
        top = top.parent_path();
    }
    return top;
}

// A trash folder usable as it is or once made: TRASH/files and TRASH/info.
bool SetUpTrash(const fs::path& trash) {
    if (MakeFolders(trash, 0700) || !IsFolder(trash)) {
        return false;
    }
    for (const char* sub : {"files", "info"}) {
        const fs::path folder = trash / sub;
        if (::mkdir(folder.c_str(), 0700) != 0 && !(errno == EEXIST && IsFolder(folder))) {
            return false;
        }
    }
    return true;
}

// The volume's trash for `top`: "$TOP/.Trash/$UID" when "$TOP/.Trash" is a
// sticky folder and no link (made by an administrator for all), else
// "$TOP/.Trash-$UID".
fs::path VolumeTrash(const fs::path& top) {
    const std::string uid = std::to_string(::getuid());
    const fs::path shared = top / ".Trash";
    struct stat info {};
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const fs::path own = shared / uid;
        if (SetUpTrash(own)) {
            return own;
        }
    }
    const fs::path own = top / (".Trash-" + uid);
    struct stat ownInfo {};
    if (::lstat(own.c_str(), &ownInfo) == 0 && S_ISLNK(ownInfo.st_mode)) {
        return {};
    }
    return SetUpTrash(own) ? own : fs::path();
}

std::string DeletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

}  // namespace

std::error_code MoveEntryToTrash(const fs::path& rawPath, fs::path* trashedAs) {
    const fs::path path = rawPath.is_absolute() ? rawPath.lexically_normal()
                                                : (fs::current_path() / rawPath).lexically_normal();
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return LastError();
    }
    // The folder holding it decides the file system (a link is trashed as
    // the link it is).
    struct stat parent {};
    if (::stat(path.parent_path().c_str(), &parent) != 0) {
        return LastError();
    }
    const fs::path homeTrash = DataHome() / "Trash";
    dev_t homeDevice = 0;
    fs::path trash;
    if (DeviceOf(homeTrash, homeDevice) && homeDevice == parent.st_dev) {
        // The home's own file system: the home trash or none at all.
        if (!SetUpTrash(homeTrash)) {
            return Errno(EXDEV);
        }
        trash = homeTrash;
    } else {
        trash = VolumeTrash(MountTop(path.parent_path(), parent.st_dev));
        if (trash.empty()) {
            return Errno(EXDEV);
        }
    }
    // The information file is made first and new: it reserves the name.
    const std::string name = path.filename().native();
    fs::path infoFile;
    fs::path target;
    CFd infoFd(-1);
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
        infoFile = trash / "info" / (candidate + ".trashinfo");
        target = trash / "files" / candidate;
        if (EntryExists(target)) {
            continue;
        }
        const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            infoFd.Reset(fd);
            break;
        }
        if (errno != EEXIST) {
            return LastError();
        }
    }
    if (infoFd.Get() < 0) {
        return Errno(EEXIST);
    }
    const std::string text = "[Trash Info]\nPath=" + PercentEncodePath(path.native()) +
                             "\nDeletionDate=" + DeletionDate() + "\n";
    std::error_code error = WriteAllBytes(infoFd.Get(), text);
    if (!error) {
        error = infoFd.Close();
    }
    if (!error) {
        error = RenameNoReplace(path, target);
    }
    if (error) {
        ::unlink(infoFile.c_str());
        return error.value() == EXDEV ? Errno(EXDEV) : error;
    }
    if (trashedAs != nullptr) {
        *trashedAs = target;
    }
    return {};
}

}  // namespace Quillmark::Platform
