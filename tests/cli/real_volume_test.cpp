// Labels a catalog cannot hold as they stand, on real volumes of the filesystems
// users carry (exFAT and NTFS through FUSE, btrfs, xfs), loop-mounted in a private
// mount namespace (scripts/loop_volume.sh): cataloguing, compare and get must all
// take the label the same way. Skipped without root, loop devices or the mkfs tools.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "test_support.h"

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::TempDir;

namespace {

bool hasTool(const std::string &name) {
  for (const char *folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"})
    if (::access((folder + name).c_str(), X_OK) == 0) return true;
  return false;
}

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

struct LabelCase {
  const char *fs;
  std::string label;     // given to mkfs
  std::string cataloged; // the disk's label in the catalog; "" when it is refused
};

} // namespace

TEST(RealVolumeLabels, CatalogCompareAndGetTakeTheLabelAlike) {
  std::string reason;
  if (!testing_support::canUseLoopMounts(&reason)) GTEST_SKIP() << "loop-mounted volumes not testable: " << reason;
  const std::vector<LabelCase> cases{
      {"exfat", "Tom \"Back\"", "Tom ?Back?"},
      // mkntfs and libblkid give a label of 64 characters or more a 0x02 byte at 63.
      {"ntfs", std::string(70, 'N'), std::string(63, 'N') + "?" + std::string(6, 'N')},
      {"xfs", "A  B", "A B"},
      {"btrfs", std::string(255, 'B'), ""}, // too long for LABEL.zar
  };
  // Every step's exit status goes to the output, so that one run tells all.
  const std::string script = "m=$TAVLOR_LOOP_MOUNT\n"
                             "printf one > \"$m/a.txt\"\n"
                             "\"$CLI\" catalog --catalogs \"$WORK/cat\" \"$m\" >/dev/null\n"
                             "echo \"catalog=$?\"\n"
                             "[ -n \"$DISK\" ] || exit 0\n"
                             "\"$CLI\" compare --catalogs \"$WORK/cat\" \"$m\"\n"
                             "echo \"compare=$?\"\n"
                             "\"$CLI\" get --catalogs \"$WORK/cat\" --to \"$WORK/out\" \"$DISK/a.txt\" >/dev/null\n"
                             "echo \"get=$?\"\n";
  for (const char *tool : {"mkfs.exfat", "mount.exfat-fuse", "mkfs.ntfs", "ntfs-3g", "mkfs.xfs", "mkfs.btrfs"})
    if (!hasTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
  for (const LabelCase &c : cases) {
    SCOPED_TRACE(c.fs);
    TempDir work;
    const auto run = runProgram({"/bin/bash", std::string(TAVLOR_SOURCE_DIR) + "/scripts/loop_volume.sh", "--fs", c.fs,
                                 c.label, "/bin/sh", "-c", script},
                                {"CLI=" TAVLOR_CLI_PATH, "WORK=" + work.path(), "DISK=" + c.cataloged,
                                 "TAVLOR_VOLUME_TABLE=", "XDG_CONFIG_HOME=" + work.path() + "/config"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    if (c.cataloged.empty()) {
      // Refused before the scan, as a label that cannot be used: nothing was written.
      EXPECT_TRUE(contains(run.out, "catalog=2")) << run.out << run.err;
      EXPECT_TRUE(contains(run.err, "too long to name a catalog file (")) << run.err;
      EXPECT_EQ(runProgram({"/bin/ls", "-A", work / "cat"}).out, "");
      continue;
    }
    EXPECT_TRUE(contains(run.out, "catalog=0\n")) << run.err;
    const std::string catalog = readFile(work / ("cat/" + c.cataloged + ".zar"));
    EXPECT_TRUE(contains(catalog, " + \"" + c.cataloged + "\" ")) << catalog.substr(0, 200);
    EXPECT_TRUE(contains(run.out, " Identical       All files")) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "compare=0\n")) << run.err;
    EXPECT_TRUE(contains(run.out, "get=0\n")) << run.err;
    EXPECT_EQ(readFile(work / "out/a.txt"), "one");
  }
}
