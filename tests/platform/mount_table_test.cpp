#include <gtest/gtest.h>

#include <map>

#include "platform/mount_table.h"

using platform::MountEntry;

namespace {

// A desktop's table: the root disk, system mounts, a USB stick whose label has a
// blank, a stick mounted twice, a bind mount of a subfolder, a btrfs subvolume,
// network shares and the noise a desktop carries.
const char kDesktopTable[] = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                             "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
                             "24 1 0:6 / /dev rw - devtmpfs udev rw,size=8k\n"
                             "27 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                             "28 27 8:1 / /boot/efi rw shared:2 - vfat /dev/sda1 rw\n"
                             "29 27 0:30 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                             "30 27 8:17 / /media/ann/MY\\040DISK rw,nosuid shared:3 - vfat /dev/sdb1 rw\n"
                             "31 27 8:33 / /run/media/ann/Tab\\011and\\134slash rw - exfat /dev/sdc1 rw\n"
                             "32 27 8:17 / /mnt/again rw - vfat /dev/sdb1 rw\n"
                             "33 27 8:2 /home/ann/photos /srv/photos rw - ext4 /dev/sda2 rw\n"
                             "34 27 0:40 /@snapshots /snapshots rw - btrfs /dev/sdd1 rw\n"
                             "35 27 0:41 / /mnt/nas rw - nfs4 nas:/export rw\n"
                             "36 27 0:42 / /mnt/share rw - cifs //server/share rw\n"
                             "37 27 7:3 / /snap/core/123 ro - squashfs /dev/loop3 ro\n"
                             "38 27 0:43 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                             "39 27 0:44 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
                             "40 27 8:49 / /media/ann/NTFS rw - fuseblk /dev/sde1 rw\n"
                             "41 27 0:45 / /home/ann/remote rw - fuse.sshfs ann@host:/ rw\n"
                             "garbage line without separator\n"
                             "42 27 8:65 / /media/odd rw tagged:1 other:2 - ext4 /dev/sdf1 rw\n";

// The devices of the captured machine.
std::optional<platform::DeviceNumber> fakeDevices(const std::string &source) {
  static const std::map<std::string, platform::DeviceNumber> kDevices = {
      {"/dev/sda1", {8, 1}},  {"/dev/sda2", {8, 2}},  {"/dev/sdb1", {8, 17}}, {"/dev/sdc1", {8, 33}},
      {"/dev/sdd1", {8, 49}}, {"/dev/loop3", {7, 3}}, {"/dev/sde1", {8, 65}}, {"/dev/sdf1", {8, 81}}};
  const auto found = kDevices.find(source);
  if (found == kDevices.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> offeredMountPoints(const std::string &table) {
  std::vector<std::string> points;
  for (const auto &mount : platform::selectOfferedMounts(platform::parseMountInfo(table), fakeDevices))
    points.push_back(mount.entry.mountPoint);
  return points;
}

} // namespace

TEST(MountInfo, DecodesEscapesAndSkipsMalformedLines) {
  const std::vector<MountEntry> entries = platform::parseMountInfo(kDesktopTable);
  ASSERT_EQ(entries.size(), 19u);
  EXPECT_EQ(entries[6].mountPoint, "/media/ann/MY DISK");
  EXPECT_EQ(entries[6].source, "/dev/sdb1");
  EXPECT_EQ(entries[6].fsType, "vfat");
  EXPECT_EQ(entries[6].devMajor, 8u);
  EXPECT_EQ(entries[6].devMinor, 17u);
  EXPECT_EQ(entries[7].mountPoint, "/run/media/ann/Tab\tand\\slash");
  EXPECT_EQ(entries[9].root, "/home/ann/photos");
  // Optional fields before the separator do not shift the type and source.
  EXPECT_EQ(entries[18].fsType, "ext4");
  EXPECT_EQ(entries[18].source, "/dev/sdf1");

  EXPECT_EQ(platform::decodeMountEscapes("a\\012b\\040"), "a\nb ");
  EXPECT_EQ(platform::decodeMountEscapes("keep\\09 and \\"), "keep\\09 and \\");
}

TEST(MountInfo, OffersDrivesInTableOrderOnce) {
  const std::vector<std::string> expected = {"/",
                                             "/media/ann/MY DISK",
                                             "/run/media/ann/Tab\tand\\slash",
                                             "/mnt/nas",
                                             "/mnt/share",
                                             "/media/ann/NTFS",
                                             "/home/ann/remote",
                                             "/media/odd"};
  EXPECT_EQ(offeredMountPoints(kDesktopTable), expected);
}

TEST(MountInfo, OfferedBlockMountsCarryTheSourceDevice) {
  const auto offered = platform::selectOfferedMounts(platform::parseMountInfo(kDesktopTable), fakeDevices);
  ASSERT_GE(offered.size(), 4u);
  ASSERT_TRUE(offered[1].device.has_value());
  EXPECT_EQ(offered[1].device->major, 8u);
  EXPECT_EQ(offered[1].device->minor, 17u);
  EXPECT_FALSE(offered[3].device.has_value()); // the NFS export has no device node
}

TEST(MountInfo, HidesSystemFoldersByWholeComponents) {
  // "/run/media" is offered below it, "/bootstrap" and "/devel" are not "/boot" or "/dev".
  const char table[] = "1 0 8:1 / /run/mediaX rw - ext4 /dev/sda1 rw\n"
                       "2 0 8:2 / /bootstrap rw - ext4 /dev/sda2 rw\n"
                       "3 0 8:17 / /devel rw - ext4 /dev/sdb1 rw\n"
                       "4 0 8:33 / /boot rw - ext4 /dev/sdc1 rw\n"
                       "5 0 8:49 / /run/media rw - ext4 /dev/sdd1 rw\n";
  const std::vector<std::string> expected = {"/bootstrap", "/devel"};
  EXPECT_EQ(offeredMountPoints(table), expected);
}

TEST(MountInfo, CoveredMountIsNoDrive) {
  // sdb1 was mounted on /media/usb, then sdc1 on top of it; a bind mount of a
  // subfolder covers /media/other, so nothing there is a whole volume.
  const char table[] = "1 0 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
                       "2 0 8:2 / / rw - ext4 /dev/sda2 rw\n"
                       "3 0 8:33 / /media/usb rw - vfat /dev/sdc1 rw\n"
                       "4 0 8:49 / /media/other rw - ext4 /dev/sdd1 rw\n"
                       "5 0 8:2 /srv /media/other rw - ext4 /dev/sda2 rw\n";
  const auto offered = platform::selectOfferedMounts(platform::parseMountInfo(table), fakeDevices);
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[0].entry.mountPoint, "/");
  EXPECT_EQ(offered[1].entry.source, "/dev/sdc1");
}
