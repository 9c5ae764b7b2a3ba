#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/desktop/MountTable.h"

using namespace Quillmark::Platform;

namespace {

// A machine's table, trimmed: pseudo file systems, a root, a home
// partition, a USB stick, a network share, a DVD, a snap, docker's overlay
// and a tmpfs under /run.
const char kTable[] =
    "sysfs /sys sysfs rw,nosuid,nodev,noexec,relatime 0 0\n"
    "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0\n"
    "udev /dev devtmpfs rw,nosuid,relatime 0 0\n"
    "tmpfs /run tmpfs rw,nosuid,nodev 0 0\n"
    "/dev/vda1 / ext4 rw,relatime 0 0\n"
    "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
    "/dev/vda2 /home ext4 rw,relatime 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw 0 0\n"
    "/dev/sdb1 /media/anna/FONTS\\040STICK vfat rw 0 0\n"
    "server:/export/fonts /mnt/type\\040shop nfs4 rw 0 0\n"
    "/dev/sr0 /media/anna/DVD iso9660 ro 0 0\n"
    "/dev/loop3 /snap/core/123 squashfs ro 0 0\n"
    "overlay /var/lib/docker/overlay2/abc/merged overlay rw 0 0\n"
    "# a comment line\n"
    "short line\n";

}  // namespace

TEST(MountTableTest, ParsesFieldsAndDecodesEscapes) {
    const std::vector<Volume> volumes = ParseMountTable(kTable);
    ASSERT_EQ(volumes.size(), 13u);  // the comment and the short line are skipped
    EXPECT_EQ(volumes[8].mountPoint, QStringLiteral("/media/anna/FONTS STICK"));
    EXPECT_EQ(volumes[8].device, QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(volumes[8].fileSystem, QStringLiteral("vfat"));
    EXPECT_EQ(volumes[9].mountPoint, QStringLiteral("/mnt/type shop"));
    // A backslash that does not start three octal digits stays.
    EXPECT_EQ(ParseMountTable("/dev/sdc1 /mnt/a\\b ext4 rw 0 0\n")[0].mountPoint,
              QStringLiteral("/mnt/a\\b"));
}

TEST(MountTableTest, KindsAndWhatAUserSees) {
    EXPECT_EQ(KindOf("server:/x", "nfs4", "/mnt/x"), VolumeKind::Network);
    EXPECT_EQ(KindOf("//nas/share", "cifs", "/mnt/share"), VolumeKind::Network);
    EXPECT_EQ(KindOf("/dev/sr0", "udf", "/mnt/disc"), VolumeKind::Optical);
    EXPECT_EQ(KindOf("tmpfs", "tmpfs", "/tmp"), VolumeKind::Ram);
    EXPECT_EQ(KindOf("/dev/sdz9", "vfat", "/run/media/anna/STICK"), VolumeKind::Removable);
    EXPECT_EQ(KindOf("/dev/vda2", "ext4", "/home"), VolumeKind::Fixed);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString tablePath = folder.filePath("mounts");
    QFile table(tablePath);
    ASSERT_TRUE(table.open(QIODevice::WriteOnly));
    table.write(kTable);
    // A second mount on /home hides the first.
    table.write("/dev/vdb1 /home xfs rw 0 0\n");
    table.close();
    qputenv("QUILLMARK_MOUNT_TABLE", QFile::encodeName(tablePath));

    QStringList points;
    for (const Volume& volume : UserVolumes()) points << volume.mountPoint;
    EXPECT_EQ(points, QStringList({"/", "/home", "/media/anna/DVD", "/media/anna/FONTS STICK",
                                   "/mnt/type shop"}));
    for (const Volume& volume : UserVolumes()) {
        if (volume.mountPoint == "/home") {
            EXPECT_EQ(volume.fileSystem, "xfs");
        }
    }
    EXPECT_EQ(AllVolumes().size(), 14u);

    // A table that cannot be read gives no volumes rather than a guess.
    qputenv("QUILLMARK_MOUNT_TABLE", QFile::encodeName(folder.filePath("missing")));
    EXPECT_TRUE(UserVolumes().empty());
    qunsetenv("QUILLMARK_MOUNT_TABLE");
    EXPECT_EQ(MountTablePath(), "/proc/self/mounts");
}
