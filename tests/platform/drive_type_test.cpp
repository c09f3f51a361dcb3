#include <gtest/gtest.h>

#include <filesystem>

#include "platform/drive_type.h"
#include "test_support.h"

using platform::DriveType;
namespace fs = std::filesystem;

namespace {

// A small imitation of /sys: the device tree with subsystem links and the
// /sys/dev/block links by device number.
class FakeSysfs {
public:
  // Adds a block device at devicePath (below devices/) reachable as major:minor.
  void addBlock(unsigned major, unsigned minor, const std::string &devicePath, bool partition = false,
                const char *removable = nullptr) {
    const fs::path device = fs::path(root()) / "devices" / devicePath;
    fs::create_directories(device);
    if (partition) testing_support::writeFile(device / "partition", "1\n");
    if (removable) testing_support::writeFile((partition ? device.parent_path() : device) / "removable", removable);
    fs::create_directories(fs::path(root()) / "dev/block");
    fs::create_symlink(device, fs::path(root()) / "dev/block" / (std::to_string(major) + ":" + std::to_string(minor)));
  }
  // Marks the device folder devicePath as belonging to subsystem.
  void setSubsystem(const std::string &devicePath, const std::string &subsystem) {
    const fs::path bus = fs::path(root()) / "bus" / subsystem;
    fs::create_directories(bus);
    const fs::path device = fs::path(root()) / "devices" / devicePath;
    fs::create_directories(device);
    fs::create_symlink(bus, device / "subsystem");
  }
  // Puts slave (a devicePath) under the mapped device devicePath.
  void addSlave(const std::string &devicePath, const std::string &slave) {
    const fs::path slaves = fs::path(root()) / "devices" / devicePath / "slaves";
    fs::create_directories(slaves);
    fs::create_symlink(fs::path(root()) / "devices" / slave, slaves / fs::path(slave).filename());
  }
  const std::string &root() const { return dir_.path(); }

private:
  testing_support::TempDir dir_;
};

const char kUsbDisk[] = "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb";
const char kSataDisk[] = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
const char kCardReader[] = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sdc";
const char kSdCard[] = "platform/soc/mmc0/mmc0:0001/block/mmcblk0";

} // namespace

TEST(DriveType, FromTheDiskAndTheBusesAboveIt) {
  FakeSysfs sys;
  sys.setSubsystem("pci0000:00/0000:00:14.0", "pci");
  sys.setSubsystem("pci0000:00/0000:00:14.0/usb1", "usb");
  sys.setSubsystem("pci0000:00/0000:00:14.0/usb1/1-2", "usb");
  sys.setSubsystem("pci0000:00/0000:00:17.0", "pci");
  sys.setSubsystem("platform/soc/mmc0/mmc0:0001", "mmc");
  sys.addBlock(8, 17, std::string(kUsbDisk) + "/sdb1", true, "0\n");
  sys.addBlock(8, 1, std::string(kSataDisk) + "/sda1", true, "0\n");
  sys.addBlock(8, 0, kSataDisk);
  sys.addBlock(8, 33, kCardReader, false, "1\n");
  sys.addBlock(179, 1, std::string(kSdCard) + "/mmcblk0p1", true, "0\n");
  sys.addBlock(253, 0, "virtual/block/zram0");
  sys.addBlock(7, 0, "virtual/block/loop0");
  sys.addBlock(254, 1, "virtual/block/dm-1");
  sys.addSlave("virtual/block/dm-1", std::string(kUsbDisk) + "/sdb1");
  sys.addBlock(254, 2, "virtual/block/dm-2");
  sys.addSlave("virtual/block/dm-2", std::string(kSataDisk) + "/sda1");

  EXPECT_EQ(platform::classifyDrive("ext4", 8, 17, sys.root()), DriveType::Removable); // USB disk
  EXPECT_EQ(platform::classifyDrive("ext4", 8, 1, sys.root()), DriveType::Fixed);      // SATA partition
  EXPECT_EQ(platform::classifyDrive("ext4", 8, 0, sys.root()), DriveType::Fixed);
  EXPECT_EQ(platform::classifyDrive("vfat", 8, 33, sys.root()), DriveType::Removable); // removable = 1
  EXPECT_EQ(platform::classifyDrive("vfat", 179, 1, sys.root()), DriveType::Removable);
  EXPECT_EQ(platform::classifyDrive("ext4", 253, 0, sys.root()), DriveType::RamDisk);
  EXPECT_EQ(platform::classifyDrive("ext4", 7, 0, sys.root()), DriveType::Fixed);
  EXPECT_EQ(platform::classifyDrive("ext4", 254, 1, sys.root()), DriveType::Removable); // encrypted stick
  EXPECT_EQ(platform::classifyDrive("ext4", 254, 2, sys.root()), DriveType::Fixed);
  EXPECT_EQ(platform::classifyDrive("iso9660", 11, 0, sys.root()), DriveType::CdRom);
  EXPECT_EQ(platform::classifyDrive("ext4", 9, 9, sys.root()), DriveType::Fixed); // sysfs does not know it

  EXPECT_EQ(platform::diskSysfsPath(8, 17, sys.root()),
            fs::canonical(fs::path(sys.root()) / "devices" / kUsbDisk).string());
}

TEST(DriveType, FromTheFilesystemAlone) {
  EXPECT_EQ(platform::classifyDrive("nfs4", 0, 50), DriveType::Remote);
  EXPECT_EQ(platform::classifyDrive("cifs", 0, 51), DriveType::Remote);
  EXPECT_EQ(platform::classifyDrive("fuse.sshfs", 0, 52), DriveType::Remote);
  EXPECT_EQ(platform::classifyDrive("tmpfs", 0, 53), DriveType::RamDisk);
  EXPECT_EQ(platform::classifyDrive("ext4", 0, 0), DriveType::Unknown);
}
