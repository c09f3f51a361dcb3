// The settings store of the command line: read from the files (settings_file.h), never
// written, so that its processes need no Qt. createSettingsKey and the writes report
// failure, and every caller falls back to its default as it does without a key.
#include "settings/settings_file.h"
#include "settings/settings_store.h"

namespace settings {

bool createSettingsKey() {
  return false;
}

bool readSettingText(const char *name, std::string &out) {
  std::optional<std::string> value = storedTextValue(name);
  if (!value || value->size() > kMaxSettingText) return false;
  out = std::move(*value);
  return true;
}

bool readSettingNumber(const char *name, std::int32_t &out) {
  const std::optional<std::int32_t> value = storedNumberValue(name);
  if (value) out = *value;
  return value.has_value();
}

bool writeSettingNumber(const char *, std::int32_t) {
  return false;
}

bool writeSettingText(const char *, const std::string &) {
  return false;
}

} // namespace settings
