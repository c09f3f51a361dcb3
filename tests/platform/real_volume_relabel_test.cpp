// Setting the label of real exFAT, NTFS, btrfs and xfs volumes while they are
// mounted. The outer test mounts each in a private namespace (scripts/loop_volume.sh)
// and runs this program again there, where RelabelInside looks at the volume.
// Skipped without root, loop devices or the filesystems' tools.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/volume_label_set.h"
#include "platform/volumes.h"
#include "test_support.h"

namespace {

struct RelabelCase {
  const char *fs;
  bool setWhileMounted; // else refused by the device's own tool, named in the message
  const char *tool;
};

// exFAT and NTFS are both mounted as "fuseblk": the tool must follow the device.
const RelabelCase kCases[] = {
    {"btrfs", true, ""},
    {"xfs", true, ""},
    {"exfat", false, "exfatlabel"},
    {"ntfs", false, "ntfslabel"},
};

const char kFsVariable[] = "TAVLOR_TEST_RELABEL_FS";

std::string thisProgram() {
  char buffer[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : "";
}

bool hasTool(const std::string &name) {
  for (const char *folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"})
    if (::access((folder + name).c_str(), X_OK) == 0) return true;
  return false;
}

} // namespace

TEST(RealVolumeRelabel, EachFilesystemIsRelabelledOrRefusedByItsOwnTool) {
  std::string reason;
  if (!testing_support::canUseLoopMounts(&reason)) GTEST_SKIP() << "loop-mounted volumes not testable: " << reason;
  for (const char *tool :
       {"mkfs.exfat", "mount.exfat-fuse", "exfatlabel", "mkfs.ntfs", "ntfs-3g", "ntfslabel", "mkfs.xfs", "mkfs.btrfs"})
    if (!hasTool(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
  for (const RelabelCase &c : kCases) {
    const testing_support::RunResult inside =
        testing_support::runProgram({"/bin/bash", std::string(TAVLOR_SOURCE_DIR) + "/scripts/loop_volume.sh", "--fs",
                                     c.fs, "OLD", thisProgram(), "--gtest_filter=RelabelInside.*"},
                                    {std::string(kFsVariable) + "=" + c.fs, "TAVLOR_VOLUME_TABLE=",
                                     // No desktop daemon: the filesystem's own way is what is tried.
                                     "DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent"});
    EXPECT_EQ(inside.status, 0) << c.fs << "\n" << inside.out << inside.err;
    EXPECT_NE(inside.out.find("[  PASSED  ] 1 test"), std::string::npos) << c.fs << "\n" << inside.out;
  }
}

TEST(RelabelInside, TheVolumeTakesTheLabelOrSaysWhatToDo) {
  const char *fs = std::getenv(kFsVariable);
  const char *mountPoint = std::getenv("TAVLOR_LOOP_MOUNT");
  if (!fs || !mountPoint) GTEST_SKIP() << "runs only inside the namespace of RealVolumeRelabel";
  const RelabelCase *c = nullptr;
  for (const RelabelCase &known : kCases)
    if (std::string(known.fs) == fs) c = &known;
  ASSERT_NE(c, nullptr) << fs;
  const std::optional<platform::Volume> volume = platform::volumeAt(mountPoint);
  ASSERT_TRUE(volume.has_value()) << mountPoint;
  EXPECT_EQ(platform::volumeLabel(*volume).label, "OLD");

  const platform::LabelSetResult set = platform::setVolumeLabel(*volume, "NEW ONE");
  if (c->setWhileMounted) {
    EXPECT_TRUE(set.ok) << set.message;
    EXPECT_EQ(platform::volumeLabel(*volume).label, "NEW ONE");
  } else {
    EXPECT_FALSE(set.ok);
    EXPECT_NE(set.message.find(std::string("not mounted: ") + c->tool + " " + volume->source + " LABEL"),
              std::string::npos)
        << set.message;
    EXPECT_EQ(platform::volumeLabel(*volume).label, "OLD");
  }
}
