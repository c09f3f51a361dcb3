// volumes.h - mounted volumes: the drives of this system.
//
// A volume is named by its mount point, which is also its root. The offered volumes
// come from /proc/self/mountinfo, or, when the environment variable
// TAVLOR_VOLUME_TABLE names a file, from that table instead (tests and demos use it
// to present plain folders as removable disks or CD-ROMs; see README "Platform notes").
//
// The volume table: one volume a line, fields separated by a tab:
//   ROOT <tab> LABEL <tab> TYPE [<tab> ERROR]
// ROOT is an absolute folder path (a trailing "/" is dropped); LABEL may be empty
// (a disk without label); TYPE is one of fixed, removable, cdrom, remote, ramdisk;
// ERROR, when present and not empty, is an errno name (EIO, ENOMEDIUM, EACCES ...)
// or a decimal number that reading the label reports instead of the label.
// flushdisk takes the error as the state of the drive too: ENOMEDIUM is an empty
// drive, ENOENT, ENODEV and ENXIO a missing one, anything else a drive that does
// not respond. A carriage return before the line end is ignored. Empty lines and
// lines starting with "#" are ignored, and so is a line that cannot be read (fewer
// than three or more than four fields, a relative root, an unknown type or error
// name), so a damaged line never becomes a volume with made-up properties. A root
// listed twice is offered once, as first listed. A table that cannot be read offers
// no volumes at all (never the machine's mounts in its place).
//
// The folders need not exist; sizes, flushing and drive checks then fail as they
// would for a vanished disk. Table volumes are flushed (syncfs on the folder's
// filesystem) but never ejected.
#ifndef PLATFORM_VOLUMES_H
#define PLATFORM_VOLUMES_H

#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class DriveType { Unknown, Fixed, Removable, CdRom, Remote, RamDisk };

struct Volume {
  std::string mountPoint; // also the volume's root, without a trailing "/" except for "/"
  std::string source;     // device path or network source ("" for table volumes)
  std::string fsType;
  unsigned devMajor = 0; // of the source block device, 0 when there is none
  unsigned devMinor = 0;
  DriveType type = DriveType::Unknown;
  bool fromTable = false;  // came from TAVLOR_VOLUME_TABLE
  std::string tableLabel;  // the label given by the table
  int tableLabelError = 0; // errno to report instead of a label (table only)
};

// The offered volumes in mount-table order (pseudo filesystems, bind mounts of
// subfolders, system mounts and duplicate devices left out).
std::vector<Volume> offeredVolumes();

// The offered volume with the longest mount point that is a component-wise prefix
// of path (path need not exist); nullopt when none contains it.
std::optional<Volume> volumeContaining(const std::string &path);

// The volume that holds path: with a volume table, volumeContaining; otherwise the
// mount that path lies on, whether it is offered or not (a tmpfs below /dev or /run,
// the root of a container), found as the last mounted of those with the longest
// mount point containing path. Its type is that mount's own. nullopt when no mount
// contains path (a relative or empty path).
std::optional<Volume> volumeHolding(const std::string &path);

// The offered volume whose mount point is exactly mountPoint (a trailing "/" is
// ignored).
std::optional<Volume> volumeAt(const std::string &mountPoint);

struct LabelResult {
  bool ok = false;
  std::string label; // may be empty when ok: the volume has no label
  int error = 0;     // errno when !ok
};

// The filesystem label of a volume: FS_IOC_GETFSLABEL, then the udev database, then
// a libblkid probe of the source device. Network volumes have an empty label.
LabelResult volumeLabel(const Volume &volume);

// Keyword of the catalog header for a drive type: "fixed", "cdrom" or "default".
const char *driveTypeKeyword(DriveType type);

} // namespace platform

#endif // PLATFORM_VOLUMES_H
