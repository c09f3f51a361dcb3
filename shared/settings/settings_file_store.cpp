// The settings store of the command line: read from the files (settings_file.h), never
// written, so that its processes need no Qt. createSettingsKey and the writes report
// failure, and every caller falls back to its default as it does without a key.
#include <charconv>
#include <cstdint>

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
  const std::optional<std::string> value = storedTextValue(name);
  if (!value) return false;
  std::string_view text = *value;
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
  while (!text.empty() && space(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && space(text.back()))
    text.remove_suffix(1);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
  if (number < INT32_MIN || number > INT32_MAX) return false;
  out = static_cast<std::int32_t>(number);
  return true;
}

bool writeSettingNumber(const char *, std::int32_t) {
  return false;
}

bool writeSettingText(const char *, const std::string &) {
  return false;
}

} // namespace settings
