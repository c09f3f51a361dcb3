// settings_store.h - the per-user settings of both programs.
//
// One key, organisation "Quorvale", application "Tavlor": an INI file
// $XDG_CONFIG_HOME/Quorvale/Tavlor.conf (QSettings). Every operation opens the store
// afresh; nothing is cached between calls, so the last writer wins. Failures are
// never reported beyond the return value: callers fall back to their defaults.
#ifndef SHARED_SETTINGS_SETTINGS_STORE_H
#define SHARED_SETTINGS_SETTINGS_STORE_H

#include <cstdint>
#include <string>

namespace settings {

// Longest text a read accepts: 255 bytes (a 256-byte buffer with its terminator).
inline constexpr std::size_t kMaxSettingText = 255;

// Creates the key (the settings file and its folder) when it is missing; programs call
// it at start-up so that later writes succeed. Returns whether the key exists now.
bool createSettingsKey();

// The text value name into out. False, out unchanged, when the key or the value is
// missing or the value holds more than kMaxSettingText bytes.
bool readSettingText(const char *name, std::string &out);

// The same, returning a process-wide buffer valid until the next call of this form,
// or null on failure.
const char *readSettingText(const char *name);

// The 32-bit number value name into out; false when missing or not a number.
bool readSettingNumber(const char *name, std::int32_t &out);

// Write a value; false when the key does not exist (writes never create it) or the
// store cannot be written.
bool writeSettingNumber(const char *name, std::int32_t value);
bool writeSettingText(const char *name, const std::string &value);

} // namespace settings

#endif // SHARED_SETTINGS_SETTINGS_STORE_H
