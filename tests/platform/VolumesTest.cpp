// The machine's volumes from mount tables as the kernel writes them.
#include "platform/Volumes.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using Volumes = std::vector<std::string>;

TEST(VolumesTest, RealFileSystemsInMountOrderWithRootFirst) {
    const char* table = "proc /proc proc rw,relatime 0 0\n"
                        "sysfs /sys sysfs rw 0 0\n"
                        "/dev/sdb1 /media/usb vfat rw 0 0\n"
                        "devtmpfs /dev devtmpfs rw 0 0\n"
                        "tmpfs /run tmpfs rw 0 0\n"
                        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
                        "/dev/sda2 / ext4 rw 0 0\n"
                        "/dev/sda3 /home btrfs rw 0 0\n"
                        "/dev/loop3 /snap/core/123 squashfs ro 0 0\n"
                        "systemd-1 /mnt/auto autofs rw 0 0\n"
                        "/dev/sda1 /boot/efi vfat rw 0 0\n"
                        "server:/music /net/music nfs4 rw 0 0\n"
                        "//nas/share /mnt/nas cifs rw 0 0\n"
                        "me@host:/srv /home/me/remote fuse.sshfs rw 0 0\n"
                        "portal /run/user/1000/doc fuse.portal rw 0 0\n"
                        "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
                        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                        "/dev/sdc1 /media/windows fuseblk rw 0 0\n"
                        "/dev/sdb1 /media/usb vfat rw 0 0\n"; // mounted twice
    EXPECT_EQ(ParseVolumes(table), (Volumes{"/", "/media/usb", "/home", "/net/music", "/mnt/nas",
                                            "/home/me/remote", "/media/cdrom", "/media/windows"}));
}

TEST(VolumesTest, EscapedBlanksAndBackslashesAreDecoded) {
    const char* table = "/dev/sdb1 /media/me/My\\040Music\\011Disk exfat rw 0 0\n"
                        "/dev/sdc1 /media/back\\134slash ext4 rw 0 0\n"
                        "/dev/sdd1 /media/odd\\9 ext4 rw 0 0\n"; // not an escape
    EXPECT_EQ(ParseVolumes(table),
              (Volumes{"/", "/media/me/My Music\tDisk", "/media/back\\slash", "/media/odd\\9"}));
}

TEST(VolumesTest, ContainerRootAndMalformedLines) {
    // A container's root is an overlay; it still comes first, once.
    const char* table = "overlay / overlay rw,lowerdir=/a 0 0\n"
                        "\n"
                        "garbage\n"
                        "/dev/vda /etc/hosts ext4 rw 0 0\n"
                        "/dev/vda /data ext4 rw 0 0\n"
                        "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n";
    EXPECT_EQ(ParseVolumes(table), (Volumes{"/", "/etc/hosts", "/data"}));
    // Files bound into the container are weeded out by the caller's check.
    EXPECT_EQ(ParseVolumes(table, [](const std::string& p) { return p != "/etc/hosts"; }),
              (Volumes{"/", "/data"}));
    EXPECT_EQ(ParseVolumes(""), Volumes{"/"});
}

TEST(VolumesTest, AtMostOnePerDriveCommand) {
    std::string table;
    for (int i = 0; i < 40; ++i)
        table += "/dev/sd" + std::to_string(i) + " /mnt/v" + std::to_string(i) + " ext4 rw 0 0\n";
    const Volumes volumes = ParseVolumes(table);
    ASSERT_EQ(volumes.size(), kMaxVolumes);
    EXPECT_EQ(volumes.front(), "/");
    EXPECT_EQ(volumes[1], "/mnt/v0");
    EXPECT_EQ(volumes.back(), "/mnt/v24");
}

TEST(VolumesTest, ThisMachineListsItsRootFirst) {
    const Volumes volumes = ListVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front(), "/");
    for (const std::string& v : volumes)
        EXPECT_EQ(v.front(), '/') << v;
}

} // namespace
} // namespace zeb
