// udev_db.h - properties of block devices from the udev database (/run/udev/data),
// which every user may read.
#ifndef PLATFORM_UDEV_DB_H
#define PLATFORM_UDEV_DB_H

#include <optional>
#include <string>

namespace platform {

// Decodes the \xNN escapes of udev's *_ENC properties (blanks, slashes and bytes
// that are not printable are written that way); a malformed escape is kept as it is.
std::string decodeUdevEscapes(const std::string &encoded);

// The value of property key ("ID_FS_LABEL_ENC") in the text of a database entry
// (lines "E:KEY=VALUE"); nullopt when the entry does not have it.
std::optional<std::string> udevProperty(const std::string &entryText, const std::string &key);

// The database entry of block device major:minor; nullopt when udev has none.
std::optional<std::string> readUdevEntry(unsigned major, unsigned minor);

} // namespace platform

#endif // PLATFORM_UDEV_DB_H
