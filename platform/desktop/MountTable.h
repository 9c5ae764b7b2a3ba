#pragma once

// The volumes a user sees, read from the system's mount table.

#include <QByteArray>
#include <QString>

#include <vector>

namespace Quillmark::Platform {

enum class VolumeKind { Fixed, Removable, Network, Optical, Ram };

struct Volume {
    QString mountPoint;  // absolute path, escapes of the table decoded
    QString device;      // "/dev/sda1", "server:/export", "tmpfs", ...
    QString fileSystem;  // "ext4", "nfs4", "vfat", ...
    VolumeKind kind = VolumeKind::Fixed;
};

// Every line of a mount table in the format of /proc/self/mounts and fstab
// (device, mount point, type, options; octal escapes such as \040 decoded).
// Comment lines and lines with fewer than three fields are skipped.
std::vector<Volume> ParseMountTable(const QByteArray& text);

// Decides a volume's kind from its file system, device and mount point:
// network file systems, optical media (iso9660, udf, /dev/sr*), RAM
// (tmpfs, ramfs), removable media (mounted under /media or /run/media, or a
// block device whose sysfs "removable" flag is set), else fixed.
VolumeKind KindOf(const QString& device, const QString& fileSystem, const QString& mountPoint);

// True for what a file manager would list: "/" and real block devices,
// network and removable media; never pseudo file systems (proc, sysfs,
// cgroup, ...), never anything under /proc, /sys, /dev, /run (except
// /run/media), /snap, nor overlay, squashfs or tmpfs mounts.
bool IsUserVolume(const Volume& volume);

// The mount table to read: $QUILLMARK_MOUNT_TABLE when set (tests), else
// /proc/self/mounts.
QString MountTablePath();

// The user's volumes from MountTablePath(), "/" first, then by mount point;
// each mount point once (the last mount on a point wins, as the kernel
// shows it).
std::vector<Volume> UserVolumes();

// Every volume of the table (not only the user's ones), for walks that must
// not cross into another mount.
std::vector<Volume> AllVolumes();

}  // namespace Quillmark::Platform
