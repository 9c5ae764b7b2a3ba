#include "platform/Files.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/FileCalls.h"
#include "platform/Paths.h"

namespace Quillmark::Platform {

namespace fs = std::filesystem;
using namespace FileCalls;

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
