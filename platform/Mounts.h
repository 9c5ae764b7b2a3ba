#pragma once

// The system's mount table without Qt: what the search engine needs to walk
// "Computer" (each volume of a kind it may walk, never crossing into
// another mount), and what the desktop's volume list can be built on.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Quillmark::Platform {

enum class MountKind { Fixed, Removable, Network, Optical, Ram };

struct CMount {
    std::string device;      // "/dev/sda1", "server:/export", "tmpfs", ...
    std::string mountPoint;  // absolute path, octal escapes of the table decoded
    std::string fileSystem;  // "ext4", "nfs4", "vfat", ...
};

// Every line of a table in the format of /proc/self/mounts and fstab
// (device, mount point, type, options; octal escapes such as \040 decoded).
// Comment lines, lines with fewer than three fields and mount points that
// are no path ("none", "swap") are skipped.
std::vector<CMount> ParseMounts(std::string_view text);

// A volume's kind from its file system, device and mount point: network
// file systems, optical media (iso9660, udf, /dev/sr*), RAM (tmpfs, ramfs),
// removable media (mounted under /media or /run/media, or a block device
// whose sysfs "removable" flag is set), else fixed.
MountKind KindOfMount(const CMount& mount);

// True for what a file manager would list: "/" and real block devices,
// network, removable and optical media; never pseudo file systems (proc,
// sysfs, cgroup, overlay, squashfs, tmpfs, ...), never anything under
// /proc, /sys, /dev, /run (except /run/media), /snap, /var/lib/docker or
// /var/snap.
bool IsUserMount(const CMount& mount);

// True for the system folders no search walks into: /proc, /sys, /dev and
// /run, and everything under them.
bool IsSystemFolder(std::string_view path);

// $QUILLMARK_MOUNT_TABLE when set (tests), else /proc/self/mounts.
std::string MountTableFile();

// The table of MountTableFile(); nothing when it cannot be read.
std::optional<std::vector<CMount>> ReadMounts();

}  // namespace Quillmark::Platform
