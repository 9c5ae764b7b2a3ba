#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/FileCalls.h"
#include "platform/PathBytes.h"
#include "platform/Paths.h"

namespace Quillmark::Platform {

namespace fs = std::filesystem;
using namespace FileCalls;

namespace {

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

}  // namespace

namespace FileCalls {

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

int MakeTemporaryBeside(const fs::path& target, fs::path& made) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().native())).native() + ".XXXXXX.part";
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd >= 0) {
        made = pattern;
    }
    return fd;
}

}  // namespace FileCalls

const std::error_category& FileErrorCategory() {
    class CCategory : public std::error_category {
    public:
        const char* name() const noexcept override { return "quillmark file"; }
        std::string message(int code) const override {
            switch (static_cast<FileError>(code)) {
                case FileError::NotARegularFile:
                    return "not a regular file";
                case FileError::TooLarge:
                    return "the file is too large";
            }
            return "unknown error";
        }
    };
    static const CCategory category;
    return category;
}

std::error_code ReadFileWhole(const fs::path& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return LastError();
    }
    if (!S_ISREG(info.st_mode)) {
        return FileError::NotARegularFile;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return FileError::TooLarge;
    }
    const CFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        return LastError();
    }
    if (::fstat(fd.Get(), &info) != 0) {
        return LastError();
    }
    if (!S_ISREG(info.st_mode)) {
        return FileError::NotARegularFile;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return FileError::TooLarge;
    }
    // One byte past the size seen tells that the file grew meanwhile.
    std::string data(std::min<std::size_t>(static_cast<std::size_t>(info.st_size), maxBytes) + 1,
                     '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (data.size() > maxBytes) {
                return FileError::TooLarge;
            }
            data.resize(std::min(data.size() * 2, maxBytes + 1));
        }
        const ssize_t got = ::read(fd.Get(), data.data() + used, data.size() - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return LastError();
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    data.resize(used);
    bytes = std::move(data);
    return {};
}

bool IsFontFileName(std::string_view name) {
    for (const std::string_view extension : {".ttf", ".otf", ".ttc", ".otc", ".woff", ".woff2"}) {
        if (EndsWithExtension(name, extension)) {
            return true;
        }
    }
    return false;
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
    // A device or a FIFO is never replaced by a plain file.
    if (exists && !S_ISREG(existing.st_mode)) {
        return FileError::NotARegularFile;
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

}  // namespace Quillmark::Platform
