// drive_type.h - what kind of drive holds a mounted filesystem, from sysfs.
#ifndef PLATFORM_DRIVE_TYPE_H
#define PLATFORM_DRIVE_TYPE_H

#include <optional>
#include <string>

#include "platform/volumes.h"

namespace platform {

// The type of a volume whose filesystem is fsType on block device major:minor
// (0:0 for none): network filesystems are Remote, tmpfs, ramfs and zram RamDisk,
// optical drives CdRom, disks marked removable or attached through usb, mmc,
// ieee1394 or pcmcia Removable, every other block device Fixed.
// sysRoot is where sysfs is mounted; tests pass a folder that imitates it.
DriveType classifyDrive(const std::string &fsType, unsigned major, unsigned minor, const std::string &sysRoot = "/sys");

// The sysfs folder (/sys/devices/...) of the whole disk that holds block device
// major:minor: the device itself, its parent for a partition, the single disk
// below a device-mapper or md device. nullopt when sysfs does not know it.
std::optional<std::string> diskSysfsPath(unsigned major, unsigned minor, const std::string &sysRoot = "/sys");

// The kernel name of the disk of diskSysfsPath ("sdb", "sr0").
std::string diskKernelName(const std::string &diskSysfsPath);

// True when the disk has no medium now (a card reader or optical drive reports a
// size of 0).
bool diskHasNoMedium(const std::string &diskSysfsPath);

} // namespace platform

#endif // PLATFORM_DRIVE_TYPE_H
