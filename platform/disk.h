// disk.h - sizes, flushing and ejecting of volumes.
#ifndef PLATFORM_DISK_H
#define PLATFORM_DISK_H

#include <cstdint>
#include <string>

#include "volumes.h"

namespace platform {

// statvfs of the volume holding path: total = f_blocks * f_frsize, free = f_bfree *
// f_frsize. False (both 0) when it cannot be measured.
bool volumeSizes(const std::string &path, int64_t &total, int64_t &free);

// syncfs(2) on the volume mounted at mountPoint. Returns 0 or an errno.
int flushVolume(const std::string &mountPoint);

enum class EjectStatus {
  Ok,
  NoMedium,    // the drive is there, its medium is not
  Refused,     // the request was refused (busy, not ejectable)
  Unreachable, // neither UDisks2 nor the kernel request could reach the device
};

// Unmounts every mount of the volume's device and ejects (or powers off) its drive:
// UDisks2 over the system bus when it is there, else umount2 and the kernel eject
// request (root only). Table volumes are never touched and report Ok.
EjectStatus ejectVolume(const Volume &volume);

} // namespace platform

#endif // PLATFORM_DISK_H
