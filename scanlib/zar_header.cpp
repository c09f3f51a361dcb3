#include <optional>

#include "Tavscan60.h"
#include "platform/volumes.h"

TAVSCAN_API void writeZarHeader(std::ostream &out, const char *path) {
  // The volume that holds the path, as GetLargeDiskSize measures it: a folder on a
  // tmpfs below an offered disk is described as the tmpfs.
  const std::optional<platform::Volume> volume = platform::volumeHolding(path ? path : "");
  const char *keyword = platform::driveTypeKeyword(volume ? volume->type : platform::DriveType::Unknown);
  // Line ends are written out in full: a catalog is CR LF on every system, byte for
  // byte, whatever the stream's mode.
  out << "zar_version_1_1\r\n" << std::flush;
  out << "< \r\n" << std::flush;
  out << "   %drivetype " << keyword << "\r\n" << std::flush;
  out << "> \r\n" << std::flush;
}
