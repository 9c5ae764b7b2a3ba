#include "platform/desktop/MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <map>

namespace Quillmark::Platform {

namespace {

// The table escapes space, tab, newline and backslash as three octal digits.
QString Unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char d : digits) ok = ok && d >= '0' && d <= '7';
            if (ok) {
                out.append(static_cast<char>(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QString::fromUtf8(out);
}

bool IsNetworkFileSystem(const QString& type) {
    static const QStringList kNetwork = {"nfs",         "nfs4",  "cifs",        "smbfs",
                                         "smb3",        "sshfs", "fuse.sshfs",  "davfs",
                                         "fuse.davfs2", "afs",   "9p",          "ncpfs",
                                         "glusterfs",   "ceph",  "fuse.rclone", "fuse.gvfsd-fuse"};
    return kNetwork.contains(type);
}

bool IsPseudoFileSystem(const QString& type) {
    static const QStringList kPseudo = {
        "proc",       "sysfs",       "devtmpfs",   "devpts",     "cgroup",      "cgroup2",
        "securityfs", "pstore",      "bpf",        "tracefs",    "debugfs",     "mqueue",
        "hugetlbfs",  "configfs",    "fusectl",    "autofs",     "binfmt_misc", "efivarfs",
        "overlay",    "squashfs",    "nsfs",       "rpc_pipefs", "selinuxfs",   "ramfs",
        "tmpfs",      "fuse.portal", "fuse.lxcfs", "none"};
    return kPseudo.contains(type);
}

bool IsUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The sysfs "removable" flag of the disk holding a partition such as
// /dev/sdb1 or /dev/mmcblk0p1.
bool SysfsSaysRemovable(const QString& device) {
    if (!device.startsWith(QLatin1String("/dev/")))
        return false;
    const QString name = QFileInfo(device).canonicalFilePath().section(QLatin1Char('/'), -1);
    if (name.isEmpty())
        return false;
    // /sys/class/block/NAME is the partition; its parent folder is the disk.
    const QString block = QStringLiteral("/sys/class/block/") + name;
    for (const QString& candidate :
         {block + QStringLiteral("/removable"),
          QFileInfo(block).canonicalFilePath() + QStringLiteral("/../removable")}) {
        QFile flag(candidate);
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
    return false;
}

}  // namespace

std::vector<Volume> ParseMountTable(const QByteArray& text) {
    std::vector<Volume> volumes;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        Volume volume;
        volume.device = Unescape(fields[0]);
        volume.mountPoint = Unescape(fields[1]);
        volume.fileSystem = Unescape(fields[2]);
        if (!volume.mountPoint.startsWith(QLatin1Char('/')))
            continue;  // "none" or "swap" in an fstab
        volume.kind = KindOf(volume.device, volume.fileSystem, volume.mountPoint);
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

VolumeKind KindOf(const QString& device, const QString& fileSystem, const QString& mountPoint) {
    if (IsNetworkFileSystem(fileSystem))
        return VolumeKind::Network;
    if (fileSystem == QLatin1String("iso9660") || fileSystem == QLatin1String("udf") ||
        device.startsWith(QLatin1String("/dev/sr")) ||
        device.startsWith(QLatin1String("/dev/cdrom")))
        return VolumeKind::Optical;
    if (fileSystem == QLatin1String("tmpfs") || fileSystem == QLatin1String("ramfs"))
        return VolumeKind::Ram;
    if (IsUnder(mountPoint, QStringLiteral("/media")) ||
        IsUnder(mountPoint, QStringLiteral("/run/media")) || SysfsSaysRemovable(device))
        return VolumeKind::Removable;
    return VolumeKind::Fixed;
}

bool IsUserVolume(const Volume& volume) {
    const QString& point = volume.mountPoint;
    if (point == QLatin1String("/"))
        return true;
    if (IsPseudoFileSystem(volume.fileSystem))
        return false;
    for (const char* hidden : {"/proc", "/sys", "/dev", "/snap", "/var/lib/docker", "/var/snap"}) {
        if (IsUnder(point, QLatin1String(hidden)))
            return false;
    }
    if (IsUnder(point, QStringLiteral("/run")) && !IsUnder(point, QStringLiteral("/run/media")))
        return false;
    if (volume.kind == VolumeKind::Network || volume.kind == VolumeKind::Removable ||
        volume.kind == VolumeKind::Optical)
        return true;
    // A fixed volume is a real block device.
    return volume.device.startsWith(QLatin1String("/dev/"));
}

QString MountTablePath() {
    const QString overridden = qEnvironmentVariable("QUILLMARK_MOUNT_TABLE");
    return overridden.isEmpty() ? QStringLiteral("/proc/self/mounts") : overridden;
}

std::vector<Volume> AllVolumes() {
    QFile table(MountTablePath());
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // /proc files report a size of zero: read until the end.
    return ParseMountTable(table.readAll());
}

std::vector<Volume> UserVolumes() {
    // The last mount on a point hides the earlier ones.
    std::map<QString, Volume> byPoint;
    for (Volume& volume : AllVolumes()) byPoint[volume.mountPoint] = std::move(volume);
    std::vector<Volume> volumes;
    for (auto& [point, volume] : byPoint) {
        if (IsUserVolume(volume))
            volumes.push_back(std::move(volume));
    }
    // "/" sorts first already: '/' is the smallest mount point.
    return volumes;
}

}  // namespace Quillmark::Platform
