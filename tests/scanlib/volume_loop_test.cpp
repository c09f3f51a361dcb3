// Real volumes: a loop-mounted ext4 image inside a private mount namespace. The
// outer test makes the image and the loop device (which the namespace cannot
// leak); it runs this program again under "unshare -m", where the
// LoopVolumeInNamespace tests mount the device and look at it.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "Tavscan60.h"
#include "platform/disk.h"
#include "platform/label_probe.h"
#include "platform/volumes.h"
#include "test_support.h"

using testing_support::runProgram;

namespace {

const char kDeviceVariable[] = "TAVLOR_TEST_LOOP_DEVICE";
const char kMountVariable[] = "TAVLOR_TEST_LOOP_MOUNT";
const char kLabel[] = "TAV LOOP";

std::string tool(const char *name) {
  for (const char *folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"}) {
    const std::string path = std::string(folder) + name;
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return name;
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

// Detaches the loop device however the test ends.
class LoopDevice {
public:
  explicit LoopDevice(const std::string &image) {
    const testing_support::RunResult attached = runProgram({tool("losetup"), "-f", "--show", image});
    if (attached.status == 0) path_ = trimmed(attached.out);
    error_ = attached.err;
  }
  ~LoopDevice() {
    if (!path_.empty()) runProgram({tool("losetup"), "-d", path_});
  }
  const std::string &path() const { return path_; }
  const std::string &error() const { return error_; }

private:
  std::string path_;
  std::string error_;
};

std::string thisProgram() {
  char buffer[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : "";
}

} // namespace

TEST(LoopVolume, Ext4ImageSeenAsARealVolume) {
  std::string reason;
  if (!testing_support::canUseLoopMounts(&reason)) GTEST_SKIP() << "loop-mounted volumes not testable: " << reason;
  testing_support::TempDir dir;
  const std::string image = dir / "disk.img";
  ASSERT_EQ(runProgram({tool("truncate"), "-s", "32M", image}).status, 0);
  const testing_support::RunResult made = runProgram({tool("mkfs.ext4"), "-q", "-F", "-L", kLabel, image});
  ASSERT_EQ(made.status, 0) << made.err;
  const LoopDevice loop(image);
  if (loop.path().empty()) GTEST_SKIP() << "no loop device could be set up: " << loop.error();

  const std::string mountPoint = dir.createDir("mount point");
  const testing_support::RunResult inside = runProgram(
      {tool("unshare"), "-m", "--propagation", "private", thisProgram(), "--gtest_filter=LoopVolumeInNamespace.*"},
      {std::string(kDeviceVariable) + "=" + loop.path(), std::string(kMountVariable) + "=" + mountPoint,
       "TAVLOR_VOLUME_TABLE="}); // the real mount table, whatever the caller's table
  EXPECT_EQ(inside.status, 0) << inside.out << inside.err;
  EXPECT_NE(inside.out.find("[  PASSED  ]"), std::string::npos) << inside.out;
  EXPECT_EQ(inside.out.find("SKIPPED"), std::string::npos) << inside.out;
}

class LoopVolumeInNamespace : public ::testing::Test {
protected:
  void SetUp() override {
    const char *device = std::getenv(kDeviceVariable);
    const char *mountPoint = std::getenv(kMountVariable);
    if (device == nullptr || mountPoint == nullptr)
      GTEST_SKIP() << "runs only inside the mount namespace of LoopVolume.Ext4ImageSeenAsARealVolume";
    device_ = device;
    mountPoint_ = mountPoint;
    if (!platform::volumeAt(mountPoint_)) {
      ASSERT_EQ(::mount(device, mountPoint, "ext4", 0, nullptr), 0) << "mount " << device_;
    }
  }

  std::string device_;
  std::string mountPoint_;
};

TEST_F(LoopVolumeInNamespace, OfferedWithLabelTypeAndSizes) {
  const std::optional<platform::Volume> volume = platform::volumeAt(mountPoint_);
  ASSERT_TRUE(volume.has_value());
  EXPECT_EQ(volume->source, device_);
  EXPECT_EQ(volume->fsType, "ext4");
  EXPECT_EQ(volume->devMajor, 7u);
  EXPECT_EQ(volume->type, platform::DriveType::Fixed);
  EXPECT_EQ(platform::volumeContaining(mountPoint_ + "/not/there/yet")->mountPoint, mountPoint_);

  const platform::LabelResult label = platform::volumeLabel(*volume);
  EXPECT_TRUE(label.ok);
  EXPECT_EQ(label.label, kLabel);
  EXPECT_EQ(platform::labelFromBlkid(device_).label, kLabel);

  struct statvfs st {};
  ASSERT_EQ(::statvfs(mountPoint_.c_str(), &st), 0);
  int64_t total = 0, free = 0;
  GetLargeDiskSize(mountPoint_.c_str(), total, free);
  EXPECT_EQ(total, static_cast<int64_t>(st.f_blocks * st.f_frsize));
  EXPECT_EQ(free, static_cast<int64_t>(st.f_bfree * st.f_frsize));

  std::ostringstream header;
  writeZarHeader(header, (mountPoint_ + "/").c_str());
  EXPECT_EQ(header.str(), "zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n");
}

TEST_F(LoopVolumeInNamespace, RelabelIsSeenAtOnce) {
  ASSERT_EQ(runProgram({tool("e2label"), device_, "RENAMED"}).status, 0);
  EXPECT_EQ(platform::volumeLabel(*platform::volumeAt(mountPoint_)).label, "RENAMED");
  ASSERT_EQ(runProgram({tool("e2label"), device_, kLabel}).status, 0);
  EXPECT_EQ(platform::volumeLabel(*platform::volumeAt(mountPoint_)).label, kLabel);
}

TEST_F(LoopVolumeInNamespace, FixedVolumeIsNeitherFlushedNorEjected) {
  char *message = nullptr;
  EXPECT_FALSE(flushdisk(mountPoint_.c_str(), true, message));
  EXPECT_EQ(message, nullptr);
  EXPECT_TRUE(platform::volumeAt(mountPoint_).has_value());
}

TEST_F(LoopVolumeInNamespace, DriveWithoutEjectRequestStaysMounted) {
  // Taken for a removable disk, the loop device still does not speak SCSI: the
  // eject must fail before anything is unmounted.
  platform::Volume volume = *platform::volumeAt(mountPoint_);
  volume.type = platform::DriveType::Removable;
  EXPECT_EQ(platform::ejectVolume(volume), platform::EjectStatus::Unreachable);
  EXPECT_TRUE(platform::volumeAt(mountPoint_).has_value());
}

TEST_F(LoopVolumeInNamespace, SecondMountAndBoundSubfolderAreNotOfferedAgain) {
  const std::string again = mountPoint_ + "-again";
  const std::string bound = mountPoint_ + "-bound";
  ASSERT_EQ(::mkdir(again.c_str(), 0755) == 0 || errno == EEXIST, true);
  ASSERT_EQ(::mkdir(bound.c_str(), 0755) == 0 || errno == EEXIST, true);
  const std::string sub = mountPoint_ + "/sub";
  ::mkdir(sub.c_str(), 0755);
  ASSERT_EQ(::mount(device_.c_str(), again.c_str(), "ext4", 0, nullptr), 0);
  ASSERT_EQ(::mount(sub.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr), 0);
  EXPECT_TRUE(platform::volumeAt(mountPoint_).has_value());
  EXPECT_FALSE(platform::volumeAt(again).has_value());
  EXPECT_FALSE(platform::volumeAt(bound).has_value());
  // A path below the bound folder belongs to the volume that holds the folder.
  EXPECT_NE(platform::volumeContaining(bound + "/x")->mountPoint, bound);
  ::umount2(bound.c_str(), 0);
  ::umount2(again.c_str(), 0);
}

TEST_F(LoopVolumeInNamespace, CatalogOfTheVolumeStopsAtANestedMount) {
  const std::string nested = mountPoint_ + "/nested";
  ASSERT_EQ(::mkdir(nested.c_str(), 0755) == 0 || errno == EEXIST, true);
  testing_support::writeFile(mountPoint_ + "/top.txt", "top");
  ASSERT_EQ(::mount("tmpfs", nested.c_str(), "tmpfs", 0, "size=1m"), 0);
  testing_support::writeFile(nested + "/hidden.txt", "on another filesystem");

  // The command line takes the label from the volume and names the catalog after it.
  testing_support::TempDir catalogs;
  const testing_support::RunResult run = runProgram(
      {TAVLOR_CLI_PATH, "catalog", "--catalogs", catalogs.path(), "--date", "1 2 2003 4 5 6", mountPoint_});
  ::umount2(nested.c_str(), MNT_DETACH);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string catalog = testing_support::readFile(catalogs / (std::string(kLabel) + ".zar"));
  EXPECT_NE(catalog.find("%drivetype fixed\r\n"), std::string::npos) << catalog;
  EXPECT_NE(catalog.find(" + \"" + std::string(kLabel) + "\" "), std::string::npos) << catalog;
  EXPECT_NE(catalog.find(" \"top.txt\" 3 "), std::string::npos) << catalog;
  const size_t folder = catalog.find(" + \"nested\" 0 0 ");
  ASSERT_NE(folder, std::string::npos) << catalog;
  // An empty folder: its open line follows, then its close line at once.
  const size_t open = catalog.find("\r\n", folder) + 2;
  EXPECT_EQ(catalog.compare(open, 10, " < \r\n > \r\n"), 0) << catalog.substr(folder, 80);
  EXPECT_EQ(catalog.find("hidden.txt"), std::string::npos);
}
