#include "AppSettings.h"

#include "settings/settings_store.h"
#include "settings/settings_values.h"

namespace tavlor {

std::optional<std::string> settingText(const char *name) {
  std::string text;
  if (!settings::readSettingText(name, text)) return std::nullopt;
  return text;
}

std::optional<int32_t> settingNumber(const char *name) {
  int32_t value = 0;
  if (!settings::readSettingNumber(name, value)) return std::nullopt;
  return value;
}

bool settingSwitch(const char *name, bool fallback) {
  std::optional<int32_t> n = settingNumber(name);
  return n ? *n == 1 : fallback;
}

void storeSettingNumber(const char *name, int32_t value) {
  settings::writeSettingNumber(name, value);
}

void storeSettingText(const char *name, const std::string &value) {
  settings::writeSettingText(name, value);
}

std::string catalogsFolder() {
  return settings::catalogsFolder();
}

} // namespace tavlor
