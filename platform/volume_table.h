// volume_table.h - the replaceable volume source named by TAVLOR_VOLUME_TABLE.
//
// The format is described in volumes.h.
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
