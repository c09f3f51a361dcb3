// settings_file.h - the settings store read straight from its INI files, without Qt.
//
// The command line only reads the settings, and loading QtCore would cost each of its
// processes more than reading a small catalog. These functions read the files the way
// QSettings writes and reads them: "[General]" holds the top-level keys, values may be
// quoted and carry C-style and \x escapes, a value of several comma-separated parts is
// a list (not a text), and "@"-prefixed values are typed.
#ifndef SHARED_SETTINGS_SETTINGS_FILE_H
#define SHARED_SETTINGS_SETTINGS_FILE_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// The files a read looks in, the first holding the key wins: Quorvale/Tavlor.conf and
// then Quorvale.conf below $XDG_CONFIG_HOME (~/.config), then the same two below each
// folder of $XDG_CONFIG_DIRS (/etc/xdg).
std::vector<std::string> settingsFiles();

// The text of top-level key `name` in INI text `ini`, as UTF-8; nullopt when the key is
// missing or its value is not a text (a list of several parts, or a typed "@" value).
std::optional<std::string> iniTextValue(std::string_view ini, std::string_view name);

// iniTextValue over settingsFiles(); files that cannot be read are passed over.
std::optional<std::string> storedTextValue(std::string_view name);

// storedTextValue as a 32-bit number, blanks around it and a leading '+' allowed;
// nullopt when missing, not a number or out of range.
std::optional<std::int32_t> storedNumberValue(std::string_view name);

} // namespace settings

#endif // SHARED_SETTINGS_SETTINGS_FILE_H
