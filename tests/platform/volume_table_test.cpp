#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/path_prefix.h"
#include "platform/volume_table.h"
#include "platform/volumes.h"
#include "test_support.h"

using platform::DriveType;

TEST(VolumeTable, ReadsTypesLabelsAndErrors) {
  const std::string text = "# root\tlabel\ttype\terror\n"
                           "\n"
                           "/media/FLOPPY/\tFLOPPY\tremovable\n"
                           "/media/cd\tCD 1\tcdrom\tENOMEDIUM\r\n"
                           "/srv/big\t\tfixed\t5\n"
                           "/mnt/nas\tNAS\tremote\t\n"
                           "/dev/shm\tRAM\tramdisk\n";
  const std::vector<platform::Volume> volumes = platform::parseVolumeTable(text);
  ASSERT_EQ(volumes.size(), 5u);
  EXPECT_EQ(volumes[0].mountPoint, "/media/FLOPPY");
  EXPECT_EQ(volumes[0].tableLabel, "FLOPPY");
  EXPECT_EQ(volumes[0].type, DriveType::Removable);
  EXPECT_TRUE(volumes[0].fromTable);
  EXPECT_EQ(volumes[0].tableLabelError, 0);
  EXPECT_EQ(volumes[1].tableLabel, "CD 1");
  EXPECT_EQ(volumes[1].type, DriveType::CdRom);
  EXPECT_EQ(volumes[1].tableLabelError, ENOMEDIUM);
  EXPECT_EQ(volumes[2].tableLabel, "");
  EXPECT_EQ(volumes[2].tableLabelError, EIO);
  EXPECT_EQ(volumes[3].type, DriveType::Remote);
  EXPECT_EQ(volumes[3].tableLabelError, 0);
  EXPECT_EQ(volumes[4].type, DriveType::RamDisk);
}

TEST(VolumeTable, SkipsLinesItCannotRead) {
  const std::string text = "relative/path\tX\tfixed\n"
                           "/a\tX\n"
                           "/b\tX\tfloppy\n"
                           "/c\tX\tfixed\tENOSUCHERROR\n"
                           "/d\tX\tfixed\tEIO\textra\n"
                           "/e\tFIRST\tfixed\n"
                           "/e/\tSECOND\tcdrom\n";
  const std::vector<platform::Volume> volumes = platform::parseVolumeTable(text);
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0].mountPoint, "/e");
  EXPECT_EQ(volumes[0].tableLabel, "FIRST");
}

TEST(PathPrefix, ComparesWholeComponents) {
  EXPECT_TRUE(platform::pathIsWithin("/media/a", "/media/a"));
  EXPECT_TRUE(platform::pathIsWithin("/media/a/x", "/media/a"));
  EXPECT_FALSE(platform::pathIsWithin("/media/ab", "/media/a"));
  EXPECT_TRUE(platform::pathIsWithin("/anything", "/"));
  EXPECT_EQ(platform::normalizedPath("//media/./a//b/"), "/media/a/b");
  EXPECT_EQ(platform::normalizedPath("/"), "/");
  EXPECT_EQ(platform::normalizedPath(""), "");
}

// The offered volumes while TAVLOR_VOLUME_TABLE names a table written for the test.
class TableVolumes : public ::testing::Test {
protected:
  void SetUp() override {
    tablePath_ = dir_ / "volumes.tab";
    testing_support::writeFile(tablePath_, "/media/a\tA\tremovable\n"
                                           "/media/ab\tAB\tcdrom\n"
                                           "/media/a/inner\tINNER\tfixed\n"
                                           "/media/bad\tBAD\tremovable\tEACCES\n");
    ::setenv("TAVLOR_VOLUME_TABLE", tablePath_.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("TAVLOR_VOLUME_TABLE"); }

  testing_support::TempDir dir_;
  std::string tablePath_;
};

TEST_F(TableVolumes, ReplaceTheMountTable) {
  const std::vector<platform::Volume> volumes = platform::offeredVolumes();
  ASSERT_EQ(volumes.size(), 4u);
  EXPECT_EQ(volumes[0].mountPoint, "/media/a");
  EXPECT_FALSE(platform::volumeContaining("/proc").has_value()); // "/" is not in the table
}

TEST_F(TableVolumes, ContainingVolumeIsTheLongestWholePrefix) {
  EXPECT_EQ(platform::volumeContaining("/media/a")->tableLabel, "A");
  EXPECT_EQ(platform::volumeContaining("/media/a/x/y.txt")->tableLabel, "A");
  EXPECT_EQ(platform::volumeContaining("/media/ab/x")->tableLabel, "AB");
  EXPECT_EQ(platform::volumeContaining("/media/a/inner/deep")->tableLabel, "INNER");
  EXPECT_EQ(platform::volumeContaining("/media/a/innerX")->tableLabel, "A");
  EXPECT_FALSE(platform::volumeContaining("/media").has_value());
  EXPECT_FALSE(platform::volumeContaining("").has_value());
}

TEST_F(TableVolumes, VolumeAtNeedsTheExactMountPoint) {
  EXPECT_EQ(platform::volumeAt("/media/ab/")->tableLabel, "AB");
  EXPECT_FALSE(platform::volumeAt("/media/a/x").has_value());
  EXPECT_FALSE(platform::volumeAt("/media").has_value());
}

TEST_F(TableVolumes, LabelComesFromTheTableOrFailsWithItsError) {
  const platform::LabelResult good = platform::volumeLabel(*platform::volumeAt("/media/a"));
  EXPECT_TRUE(good.ok);
  EXPECT_EQ(good.label, "A");
  const platform::LabelResult bad = platform::volumeLabel(*platform::volumeAt("/media/bad"));
  EXPECT_FALSE(bad.ok);
  EXPECT_EQ(bad.error, EACCES);
  EXPECT_EQ(bad.label, "");
}

TEST_F(TableVolumes, UnreadableTableOffersNothing) {
  ::setenv("TAVLOR_VOLUME_TABLE", (dir_ / "missing.tab").c_str(), 1);
  EXPECT_TRUE(platform::offeredVolumes().empty());
}
