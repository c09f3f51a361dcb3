#include "settings/settings_values.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "settings/settings_store.h"

namespace settings {

namespace {

std::string homeFolder() {
  const char *home = std::getenv("HOME");
  if (home && *home) return home;
  if (const struct passwd *pw = getpwuid(getuid())) return pw->pw_dir;
  return "/tmp";
}

std::string textOr(const char *name, std::string fallback) {
  std::string value;
  return readSettingText(name, value) ? value : fallback;
}

} // namespace

// The buffer form of readSettingText, the same over either store.
const char *readSettingText(const char *name) {
  static std::string buffer;
  if (!readSettingText(name, buffer)) return nullptr;
  return buffer.c_str();
}

bool readSwitch(const SwitchSetting &setting) {
  std::int32_t value = 0;
  if (!readSettingNumber(setting.name, value)) return setting.defaultOn;
  return value == 1;
}

bool writeSwitch(const SwitchSetting &setting, bool on) {
  return writeSettingNumber(setting.name, on ? 1 : 0);
}

std::int32_t readNumber(const NumberSetting &setting) {
  std::int32_t value = 0;
  return readSettingNumber(setting.name, value) ? value : setting.defaultValue;
}

std::string catalogsFolder() {
  return textOr(kCatalogsFolderName, homeFolder() + "/Tavlor");
}

std::string descriptionsFileName() {
  std::string value;
  if (readSettingText(kDescriptionsFileName, value)) return value;
  writeSettingText(kDescriptionsFileName, "descr_disks.txt");
  return "descr_disks.txt";
}

std::string fileSizeUnit() {
  return textOr(kFileSizeUnitName, "byte");
}

std::string temporaryFolder() {
  for (const char *name : {"TEMP", "TMP", "TMPDIR"}) {
    const char *value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

std::string htmlFile() {
  return textOr(kHtmlFileName, temporaryFolder() + "/index.htm");
}

std::string zipFileExtract() {
  return textOr(kZipFileExtractName, temporaryFolder());
}

std::optional<WindowRect> windowRect() {
  WindowRect r{};
  if (readSettingNumber(kWindowLeft, r.left) && readSettingNumber(kWindowTop, r.top) &&
      readSettingNumber(kWindowRight, r.right) && readSettingNumber(kWindowBottom, r.bottom)) {
    return r;
  }
  return std::nullopt;
}

bool writeWindowRect(const WindowRect &r) {
  bool ok = writeSettingNumber(kWindowLeft, r.left);
  ok = writeSettingNumber(kWindowTop, r.top) && ok;
  ok = writeSettingNumber(kWindowRight, r.right) && ok;
  return writeSettingNumber(kWindowBottom, r.bottom) && ok;
}

} // namespace settings
