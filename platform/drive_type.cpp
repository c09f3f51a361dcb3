#include "platform/drive_type.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/mount_table.h"
#include "platform/udev_db.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr unsigned kScsiCdromMajor = 11;

std::string readFirstLine(const fs::path &file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::optional<std::string> resolvedPath(const fs::path &path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  if (error) return std::nullopt;
  return resolved.string();
}

bool attachedThroughHotplugBus(const fs::path &disk, const fs::path &devices) {
  for (fs::path folder = disk; folder.has_relative_path() && folder != devices; folder = folder.parent_path()) {
    std::error_code error;
    const fs::path subsystem = fs::read_symlink(folder / "subsystem", error);
    if (error) continue;
    const std::string name = subsystem.filename().string();
    if (name == "usb" || name == "mmc" || name == "ieee1394" || name == "pcmcia") return true;
  }
  return false;
}

} // namespace

std::optional<std::string> diskSysfsPath(unsigned major, unsigned minor, const std::string &sysRoot) {
  std::optional<std::string> device =
      resolvedPath(sysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
  // A mapped device (encrypted USB stick, LVM on one disk) takes the kind of the
  // one disk under it; a few levels are enough for any real stack.
  for (int depth = 0; device && depth < 8; ++depth) {
    fs::path path(*device);
    std::error_code error;
    if (fs::exists(path / "partition", error)) path = path.parent_path();
    std::vector<fs::path> slaves;
    for (const auto &slave : fs::directory_iterator(path / "slaves", error))
      slaves.push_back(slave.path());
    if (slaves.size() != 1) return path.string();
    device = resolvedPath(slaves.front());
  }
  return device;
}

std::string diskKernelName(const std::string &diskSysfsPath) {
  return fs::path(diskSysfsPath).filename().string();
}

bool diskHasNoMedium(const std::string &diskSysfsPath) {
  const std::string size = readFirstLine(fs::path(diskSysfsPath) / "size");
  return size == "0";
}

DriveType classifyDrive(const std::string &fsType, unsigned major, unsigned minor, const std::string &sysRoot) {
  if (isRemoteFilesystem(fsType)) return DriveType::Remote;
  if (fsType == "tmpfs" || fsType == "ramfs") return DriveType::RamDisk;
  if (major == 0) return DriveType::Unknown;
  if (major == kScsiCdromMajor) return DriveType::CdRom;
  const std::optional<std::string> disk = diskSysfsPath(major, minor, sysRoot);
  if (!disk) return DriveType::Fixed;
  const std::string name = diskKernelName(*disk);
  if (name.rfind("sr", 0) == 0) return DriveType::CdRom;
  if (name.rfind("zram", 0) == 0 || name.rfind("ram", 0) == 0) return DriveType::RamDisk;
  if (const std::optional<std::string> entry = readUdevEntry(major, minor))
    if (udevProperty(*entry, "ID_CDROM") == std::optional<std::string>("1")) return DriveType::CdRom;
  if (readFirstLine(fs::path(*disk) / "removable") == "1" ||
      attachedThroughHotplugBus(*disk, resolvedPath(sysRoot + "/devices").value_or("/sys/devices")))
    return DriveType::Removable;
  return DriveType::Fixed;
}

} // namespace platform
