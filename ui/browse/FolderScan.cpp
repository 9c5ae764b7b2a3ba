#include "ui/browse/FolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "core/PathText.h"

namespace Quillmark {

namespace {

bool Hidden(const char* name) {
    return name[0] == '.';  // also "." and ".."
}

// Whether the entry of the directory `dir` is a folder, following a link.
bool IsFolderEntry(int dir, const dirent* entry) {
    if (entry->d_type == DT_DIR) {
        return true;
    }
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return ::fstatat(dir, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// Reads the directory open at `fd` (taken over) up to the first visible
// subfolder.
bool AnySubfolder(int fd) {
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (!Hidden(entry->d_name) && IsFolderEntry(::dirfd(dir), entry)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

bool ListSubfolders(const QString& folder, std::vector<CSubfolder>& out) {
    out.clear();
    DIR* dir = ::opendir(FilePath(folder).c_str());
    if (dir == nullptr) {
        return false;
    }
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (Hidden(entry->d_name) || !IsFolderEntry(fd, entry)) {
            continue;
        }
        CSubfolder subfolder;
        subfolder.name = PathText(std::filesystem::path(entry->d_name));
        const int child = ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        subfolder.hasSubfolders = child >= 0 && AnySubfolder(child);
        out.push_back(std::move(subfolder));
    }
    ::closedir(dir);
    return true;
}

bool HasSubfolders(const QString& folder) {
    const int fd = ::open(FilePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd >= 0 && AnySubfolder(fd);
}

bool PathExists(const QString& path) {
    struct stat info {};
    return ::lstat(FilePath(path).c_str(), &info) == 0;
}

}  // namespace Quillmark
