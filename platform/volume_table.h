// volume_table.h - the replaceable volume source named by TAVLOR_VOLUME_TABLE.
//
// Format: one volume a line, fields separated by a tab:
//   ROOT <tab> LABEL <tab> TYPE [<tab> ERROR]
// ROOT is an absolute folder path (a trailing "/" is dropped); LABEL may be empty
// (a disk without label); TYPE is one of fixed, removable, cdrom, remote, ramdisk;
// ERROR, when present and not empty, is an errno name (EIO, ENOMEDIUM, EACCES ...)
// or a decimal number that reading the label reports instead of the label. flushdisk
// treats the error as the state of the drive too: ENOMEDIUM is an empty drive,
// ENOENT, ENODEV and ENXIO a missing one, anything else a drive that does not
// respond. A carriage return before the line end is ignored. Empty lines and lines
// starting with "#" are ignored, and so is a line that cannot be read (fewer than
// three fields, a relative root, an unknown type or error name), so a damaged line
// never turns into a volume with made-up properties. A root listed twice is offered
// once, as first listed.
//
// The folders need not exist; sizes, flushing and drive checks then fail as they
// would for a vanished disk. Table volumes are flushed (syncfs on the folder's
// filesystem) but never ejected.
#ifndef PLATFORM_VOLUME_TABLE_H
#define PLATFORM_VOLUME_TABLE_H

#include <optional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace platform {

// The volumes of a table text, in table order.
std::vector<Volume> parseVolumeTable(const std::string &text);

// The errno of a name such as "ENOMEDIUM" or of a decimal number; nullopt otherwise.
std::optional<int> errnoFromName(const std::string &name);

// The file named by TAVLOR_VOLUME_TABLE, nullopt when the variable is unset or empty.
std::optional<std::string> volumeTablePath();

} // namespace platform

#endif // PLATFORM_VOLUME_TABLE_H
