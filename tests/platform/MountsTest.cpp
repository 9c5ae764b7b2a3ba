// The mount table read without Qt: fields and escapes, each volume's kind,
// and which mounts a user would call volumes.

#include <gtest/gtest.h>

#include "platform/Mounts.h"

using namespace Quillmark::Platform;

TEST(MountsTest, ParsesFieldsEscapesAndSkipsWhatIsNoMount) {
    const auto mounts = ParseMounts(
        "# fstab comment\n"
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "\n"
        "/dev/sdb1 /media/user/My\\040Stick vfat rw 0 0\n"
        "//server/share /mnt/back\\134slash cifs rw 0 0\n"
        "short line\n"
        "/dev/sdc1 /mnt/tab\\011ok ext4 rw");
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].device, "/dev/sda1");
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[0].fileSystem, "ext4");
    EXPECT_EQ(mounts[1].mountPoint, "/media/user/My Stick");
    EXPECT_EQ(mounts[2].mountPoint, "/mnt/back\\slash");
    EXPECT_EQ(mounts[3].mountPoint, "/mnt/tab\tok");
    // A backslash that starts no escape stays.
    EXPECT_EQ(ParseMounts("a /x\\9y t")[0].mountPoint, "/x\\9y");
}

TEST(MountsTest, KindsOfVolumes) {
    EXPECT_EQ(KindOfMount({"/dev/sda1", "/", "ext4"}), MountKind::Fixed);
    EXPECT_EQ(KindOfMount({"server:/x", "/mnt/x", "nfs4"}), MountKind::Network);
    EXPECT_EQ(KindOfMount({"//server/share", "/mnt/s", "cifs"}), MountKind::Network);
    EXPECT_EQ(KindOfMount({"host:/", "/mnt/h", "fuse.sshfs"}), MountKind::Network);
    EXPECT_EQ(KindOfMount({"/dev/sr0", "/media/cdrom", "udf"}), MountKind::Optical);
    EXPECT_EQ(KindOfMount({"/dev/loop3", "/mnt/iso", "iso9660"}), MountKind::Optical);
    EXPECT_EQ(KindOfMount({"tmpfs", "/mnt/ram", "tmpfs"}), MountKind::Ram);
    EXPECT_EQ(KindOfMount({"/dev/sdb1", "/media/user/STICK", "vfat"}), MountKind::Removable);
    EXPECT_EQ(KindOfMount({"/dev/sdb1", "/run/media/user/STICK", "exfat"}), MountKind::Removable);
    EXPECT_EQ(KindOfMount({"/dev/sdb1", "/mediafiles", "ext4"}), MountKind::Fixed);
}

TEST(MountsTest, UserVolumesAndSystemFolders) {
    EXPECT_TRUE(IsUserMount({"overlay", "/", "overlay"}));
    EXPECT_TRUE(IsUserMount({"/dev/sdb1", "/run/media/u/STICK", "vfat"}));
    EXPECT_TRUE(IsUserMount({"server:/x", "/mnt/x", "nfs"}));
    EXPECT_FALSE(IsUserMount({"proc", "/proc", "proc"}));
    EXPECT_FALSE(IsUserMount({"tmpfs", "/run/user/1000", "tmpfs"}));
    EXPECT_FALSE(IsUserMount({"/dev/loop1", "/snap/core/1", "squashfs"}));
    EXPECT_FALSE(IsUserMount({"cgroup2", "/sys/fs/cgroup", "cgroup2"}));
    EXPECT_FALSE(IsUserMount({"overlay", "/var/lib/docker/x", "overlay"}));
    EXPECT_TRUE(IsSystemFolder("/proc"));
    EXPECT_TRUE(IsSystemFolder("/run/user/1000"));
    EXPECT_FALSE(IsSystemFolder("/procedures"));
    EXPECT_FALSE(IsSystemFolder("/home/run"));
}
