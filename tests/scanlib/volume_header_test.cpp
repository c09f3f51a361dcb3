#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <sstream>

#include "Tavscan60.h"
#include "platform/volumes.h"
#include "volume_table_fixture.h"

namespace {

std::string headerFor(const char *path) {
  std::ostringstream out;
  writeZarHeader(out, path);
  return out.str();
}

std::string headerWithKeyword(const std::string &keyword) {
  return "zar_version_1_1\r\n< \r\n   %drivetype " + keyword + "\r\n> \r\n";
}

} // namespace

TEST_F(VolumeTableTest, HeaderNamesTheDriveTypeOfTheContainingVolume) {
  useTable({"fixed\tF\tfixed", "cd\tC\tcdrom", "usb\tU\tremovable", "nas\tN\tremote", "ram\tR\tramdisk",
            "cd/fixed-inside\tI\tfixed"});
  EXPECT_EQ(headerFor(root("fixed").c_str()), headerWithKeyword("fixed"));
  EXPECT_EQ(headerFor((root("cd") + "/sub/x.txt").c_str()), headerWithKeyword("cdrom"));
  EXPECT_EQ(headerFor((root("cd") + "/fixed-inside/").c_str()), headerWithKeyword("fixed"));
  for (const char *name : {"usb", "nas", "ram"})
    EXPECT_EQ(headerFor(root(name).c_str()), headerWithKeyword("default"));
  // No volume holds these paths.
  EXPECT_EQ(headerFor((root("fixed") + "X").c_str()), headerWithKeyword("default"));
  EXPECT_EQ(headerFor(dir_.path().c_str()), headerWithKeyword("default"));
  EXPECT_EQ(headerFor(""), headerWithKeyword("default"));
  EXPECT_EQ(headerFor(nullptr), headerWithKeyword("default"));
}

TEST_F(VolumeTableTest, DiskSizeCountsAllFreeBlocks) {
  useTable({"usb\tU\tremovable", "gone\tG\tremovable"});
  struct statvfs before {};
  ASSERT_EQ(::statvfs(root("usb").c_str(), &before), 0);
  int64_t total = -1, free = -1;
  GetLargeDiskSize(root("usb").c_str(), total, free);
  EXPECT_EQ(total, static_cast<int64_t>(before.f_blocks) * static_cast<int64_t>(before.f_frsize));
  // The blocks kept for root count as free; others write to this disk meanwhile.
  const int64_t expectedFree = static_cast<int64_t>(before.f_bfree) * static_cast<int64_t>(before.f_frsize);
  EXPECT_NEAR(static_cast<double>(free), static_cast<double>(expectedFree), 256.0 * 1024 * 1024);

  total = free = 7;
  GetLargeDiskSize(root("gone").c_str(), total, free);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(free, 0);
  total = free = 7;
  GetLargeDiskSize(nullptr, total, free);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(free, 0);
}

// A tmpfs is never offered as a drive, yet a folder on it is described as the tmpfs
// it lies on, by the header as by the sizes, not as the disk mounted above it.
TEST(VolumeHolding, HeaderAndSizesDescribeTheVolumeThatHoldsThePath) {
  ::unsetenv("TAVLOR_VOLUME_TABLE");
  struct statfs fs {};
  if (::statfs("/dev/shm", &fs) != 0 || fs.f_type != 0x01021994) GTEST_SKIP() << "/dev/shm is not a tmpfs";
  char folder[] = "/dev/shm/tavlor-test-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const auto volume = platform::volumeHolding(std::string(folder) + "/sub");
  ASSERT_TRUE(volume.has_value());
  EXPECT_EQ(volume->fsType, "tmpfs");
  EXPECT_EQ(volume->type, platform::DriveType::RamDisk);
  EXPECT_EQ(headerFor(folder), headerWithKeyword("default"));
  struct statvfs sizes {};
  ASSERT_EQ(::statvfs(folder, &sizes), 0);
  int64_t total = 0, free = 0;
  GetLargeDiskSize(folder, total, free);
  EXPECT_EQ(total, static_cast<int64_t>(sizes.f_blocks) * static_cast<int64_t>(sizes.f_frsize));
  ::rmdir(folder);
}
