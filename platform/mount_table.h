// mount_table.h - reading /proc/self/mountinfo and choosing the volumes it offers.
#ifndef PLATFORM_MOUNT_TABLE_H
#define PLATFORM_MOUNT_TABLE_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One line of a mountinfo table, with the octal escapes of its paths decoded.
struct MountEntry {
  unsigned devMajor = 0; // st_dev of the mounted filesystem (field 3)
  unsigned devMinor = 0;
  std::string root; // the folder of the filesystem that is mounted, "/" for all of it
  std::string mountPoint;
  std::string fsType;
  std::string source;
};

// Decodes the \ooo escapes the kernel writes for blanks, tabs, newlines and
// backslashes in mountinfo paths; anything else passes through unchanged.
std::string decodeMountEscapes(const std::string &field);

// The entries of a mountinfo text in table order; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(const std::string &text);

// True for filesystems reached over a network (nfs, cifs, sshfs ...).
bool isRemoteFilesystem(const std::string &fsType);

// The device number of a block-device source, nullopt when source is no block
// device. Replaceable so that captured tables can be examined without their devices.
struct DeviceNumber {
  unsigned major = 0;
  unsigned minor = 0;
};
using BlockDeviceProbe = std::function<std::optional<DeviceNumber>(const std::string &source)>;

// The probe of the running system: stat(2) of the source path.
std::optional<DeviceNumber> statBlockDevice(const std::string &source);

// A mount the user would call a drive: a block-device or network source, not a
// pseudo filesystem, not a system folder (/proc, /sys, /dev, /run except /run/media,
// /snap, /boot), the whole filesystem rather than a bound subfolder.
struct OfferedMount {
  MountEntry entry;
  std::optional<DeviceNumber> device; // of the source, for block-device mounts
};

// The offered mounts of entries in table order; a filesystem mounted twice is
// offered once, at its first mount point.
std::vector<OfferedMount> selectOfferedMounts(const std::vector<MountEntry> &entries, const BlockDeviceProbe &probe);

// The whole mount table of this process ("" when it cannot be read).
std::string readMountInfo();

} // namespace platform

#endif // PLATFORM_MOUNT_TABLE_H
