#include "platform/Mounts.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace Quillmark::Platform {

namespace {

// The table writes space, tab, newline and backslash as \040, \011, \012
// and \134.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
            if (isOctal(field[i + 1]) && isOctal(field[i + 2]) && isOctal(field[i + 3])) {
                const int value =
                    (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
                if (value > 0 && value < 256) {
                    out += static_cast<char>(value);
                    i += 3;
                    continue;
                }
            }
        }
        out += field[i];
    }
    return out;
}

bool StartsWithFolder(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
            path[folder.size()] == '/');
}

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

bool IsNetworkFileSystem(std::string_view type) {
    return IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph",
                          "glusterfs", "davfs", "sshfs", "fuse.sshfs", "fuse.davfs2",
                          "fuse.gvfsd-fuse", "fuse.rclone", "lustre", "gfs2", "ocfs2"});
}

bool IsPseudoFileSystem(std::string_view type) {
    return IsOneOf(
        type, {"proc",       "sysfs",       "devtmpfs",   "devpts",     "cgroup",      "cgroup2",
               "securityfs", "pstore",      "bpf",        "tracefs",    "debugfs",     "mqueue",
               "hugetlbfs",  "configfs",    "fusectl",    "autofs",     "binfmt_misc", "efivarfs",
               "overlay",    "squashfs",    "nsfs",       "rpc_pipefs", "selinuxfs",   "ramfs",
               "tmpfs",      "fuse.portal", "fuse.lxcfs", "none"});
}

// The sysfs flag of a block device, or of the disk that holds a partition.
bool HasRemovableFlag(std::string_view device) {
    if (device.substr(0, 5) != "/dev/") {
        return false;
    }
    const std::filesystem::path block =
        std::filesystem::path("/sys/class/block") / std::string(device.substr(5));
    std::error_code ec;
    std::filesystem::path node = std::filesystem::canonical(block, ec);
    if (ec) {
        return false;
    }
    if (std::filesystem::exists(node / "partition", ec)) {
        node = node.parent_path();
    }
    std::ifstream flag(node / "removable");
    char value = '0';
    return flag.get(value) && value == '1';
}

}  // namespace

std::vector<CMount> ParseMounts(std::string_view text) {
    std::vector<CMount> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string line(text.substr(start, end - start));
        start = end + 1;
        std::istringstream fields(line);
        std::string device;
        std::string mountPoint;
        std::string type;
        if (!(fields >> device) || device.front() == '#' || !(fields >> mountPoint >> type)) {
            continue;
        }
        if (mountPoint.front() != '/') {
            continue;  // "none" or "swap" in an fstab
        }
        mounts.push_back({Unescape(device), Unescape(mountPoint), Unescape(type)});
    }
    return mounts;
}

MountKind KindOfMount(const CMount& mount) {
    const std::string_view type = mount.fileSystem;
    if (IsNetworkFileSystem(type) || mount.device.starts_with("//")) {
        return MountKind::Network;
    }
    if (IsOneOf(type, {"iso9660", "udf"}) || mount.device.starts_with("/dev/sr") ||
        mount.device.starts_with("/dev/cdrom")) {
        return MountKind::Optical;
    }
    if (IsOneOf(type, {"tmpfs", "ramfs"})) {
        return MountKind::Ram;
    }
    if (StartsWithFolder(mount.mountPoint, "/media") ||
        StartsWithFolder(mount.mountPoint, "/run/media") || HasRemovableFlag(mount.device)) {
        return MountKind::Removable;
    }
    return MountKind::Fixed;
}

bool IsSystemFolder(std::string_view path) {
    for (std::string_view folder : {"/proc", "/sys", "/dev", "/run"}) {
        if (StartsWithFolder(path, folder)) {
            return true;
        }
    }
    return false;
}

bool IsUserMount(const CMount& mount) {
    const std::string& point = mount.mountPoint;
    if (point == "/") {
        return true;
    }
    if (IsPseudoFileSystem(mount.fileSystem)) {
        return false;
    }
    for (std::string_view hidden :
         {"/proc", "/sys", "/dev", "/snap", "/var/lib/docker", "/var/snap"}) {
        if (StartsWithFolder(point, hidden)) {
            return false;
        }
    }
    if (StartsWithFolder(point, "/run") && !StartsWithFolder(point, "/run/media")) {
        return false;
    }
    const MountKind kind = KindOfMount(mount);
    if (kind == MountKind::Network || kind == MountKind::Removable || kind == MountKind::Optical) {
        return true;
    }
    // A fixed volume is a real block device.
    return mount.device.starts_with("/dev/");
}

std::string MountTableFile() {
    if (const char* path = std::getenv("QUILLMARK_MOUNT_TABLE"); path != nullptr && *path) {
        return path;
    }
    return "/proc/self/mounts";
}

std::optional<std::vector<CMount>> ReadMounts() {
    std::ifstream file(MountTableFile(), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return ParseMounts(text);
}

}  // namespace Quillmark::Platform
