// AppSettings.h - the program's view of the per-user settings store.
//
// Every read goes to the store afresh (there is no cache, so a value changed by the
// plug-in or by hand is seen at the next command). Failures are silent: a value that
// cannot be read yields nothing and the caller applies its default; a failed write is
// lost.
#ifndef APP_COMMON_APPSETTINGS_H
#define APP_COMMON_APPSETTINGS_H

#include <cstdint>
#include <optional>
#include <string>

namespace tavlor {

// The text value name, or nothing when it is missing or too long to read.
std::optional<std::string> settingText(const char *name);

// The number value name, or nothing when it is missing or not a number.
std::optional<int32_t> settingNumber(const char *name);

// A switch: on exactly when the stored number is 1; fallback when it cannot be read.
bool settingSwitch(const char *name, bool fallback);

void storeSettingNumber(const char *name, int32_t value);
void storeSettingText(const char *name, const std::string &value);

// The catalogs folder: the "Tavlor" value, else the home folder + "/Tavlor".
std::string catalogsFolder();

} // namespace tavlor

#endif // APP_COMMON_APPSETTINGS_H
