#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/label_probe.h"
#include "test_support.h"

using testing_support::runProgram;

namespace {

std::string findTool(const char *name) {
  for (const char *folder : {"/usr/sbin/", "/sbin/", "/usr/bin/"}) {
    const std::string path = std::string(folder) + name;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

// A filesystem image in a plain file: libblkid reads it like a device, so the probe
// is tested without root.
std::string makeImage(const testing_support::TempDir &dir, const std::vector<std::string> &mkfs) {
  const std::string image = dir / "disk.img";
  if (runProgram({"/usr/bin/truncate", "-s", "8M", image}).status != 0) return "";
  std::vector<std::string> argv = mkfs;
  argv.push_back(image);
  return runProgram(argv).status == 0 ? image : "";
}

} // namespace

TEST(BlkidLabel, ReadsTheLabelOfAnExt4AndAFatImage) {
  const std::string mkfsExt4 = findTool("mkfs.ext4");
  const std::string mkfsVfat = findTool("mkfs.vfat");
  if (mkfsExt4.empty() || mkfsVfat.empty()) GTEST_SKIP() << "mkfs.ext4 and mkfs.vfat are needed to build images";

  testing_support::TempDir ext4Dir;
  const std::string ext4 = makeImage(ext4Dir, {mkfsExt4, "-q", "-F", "-L", "Backup 1"});
  ASSERT_FALSE(ext4.empty());
  platform::LabelProbe probe = platform::labelFromBlkid(ext4);
  EXPECT_EQ(probe.outcome, platform::LabelProbe::Found);
  EXPECT_EQ(probe.label, "Backup 1");

  testing_support::TempDir fatDir;
  const std::string fat = makeImage(fatDir, {mkfsVfat, "-n", "FLOPPY"});
  ASSERT_FALSE(fat.empty());
  probe = platform::labelFromBlkid(fat);
  EXPECT_EQ(probe.outcome, platform::LabelProbe::Found);
  EXPECT_EQ(probe.label, "FLOPPY");

  testing_support::TempDir plainDir;
  const std::string unlabelled = makeImage(plainDir, {mkfsExt4, "-q", "-F"});
  ASSERT_FALSE(unlabelled.empty());
  probe = platform::labelFromBlkid(unlabelled);
  EXPECT_EQ(probe.outcome, platform::LabelProbe::Found);
  EXPECT_EQ(probe.label, "");
}

TEST(BlkidLabel, CannotTellForAMissingOrBlankDevice) {
  testing_support::TempDir dir;
  EXPECT_EQ(platform::labelFromBlkid(dir / "missing").outcome, platform::LabelProbe::Unsupported);
  const std::string zeros = dir.createFile("zeros", std::string(65536, '\0'));
  EXPECT_EQ(platform::labelFromBlkid(zeros).outcome, platform::LabelProbe::Unsupported);
}

TEST(IoctlLabel, MissingFolderFailsWithItsError) {
  testing_support::TempDir dir;
  const platform::LabelProbe probe = platform::labelFromIoctl(dir / "gone");
  EXPECT_EQ(probe.outcome, platform::LabelProbe::Failed);
  EXPECT_EQ(probe.error, ENOENT);
}
