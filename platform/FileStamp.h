#pragma once

// What tells one version of a file from another without reading it: the
// file it is (device, inode) and its size and modification time. A file
// replaced in place under the same name gets a new stamp, whether it was
// written over (size, time) or renamed over the old one (inode); a stamp
// taken before a file is read and still the same after says the bytes read
// are the bytes there now.

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>

namespace Quillmark::Platform {

struct CFileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;     // -1: the file could not be looked at
    std::int64_t modified = 0;  // nanoseconds since the epoch
    bool Exists() const { return size >= 0; }
    bool operator==(const CFileStamp&) const = default;

    static CFileStamp Of(const struct stat& info) {
        CFileStamp stamp;
        stamp.device = static_cast<std::uint64_t>(info.st_dev);
        stamp.inode = static_cast<std::uint64_t>(info.st_ino);
        stamp.size = static_cast<std::int64_t>(info.st_size);
        stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                         static_cast<std::int64_t>(info.st_mtim.tv_nsec);
        return stamp;
    }
    // The stamp of the file `path` names now (its bytes, as the file system
    // spells them); one that does not exist when it cannot be looked at.
    static CFileStamp Of(const std::filesystem::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? Of(info) : CFileStamp{};
    }
};

}  // namespace Quillmark::Platform
