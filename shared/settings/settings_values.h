// settings_values.h - every value of the settings key with its type and default.
#ifndef SHARED_SETTINGS_SETTINGS_VALUES_H
#define SHARED_SETTINGS_SETTINGS_VALUES_H

#include <cstdint>
#include <optional>
#include <string>

namespace settings {

// A switch is on exactly when its stored number is 1.
struct SwitchSetting {
  const char *name;
  bool defaultOn;
};

struct NumberSetting {
  const char *name;
  std::int32_t defaultValue;
};

inline constexpr SwitchSetting kAutoLoadCatalogs{"AutoLoadCatalogs", false};
inline constexpr SwitchSetting kUseSystemIcons{"UseSystemIcons", true};
inline constexpr SwitchSetting kUseSizeComma{"UseSizeComma", true};
inline constexpr SwitchSetting kShowTotalSize{"ShowTotalSize", true};
inline constexpr SwitchSetting kShowFreeSpace{"ShowFreeSpace", true};
inline constexpr SwitchSetting kShowDateCataloged{"ShowDateCataloged", true};
inline constexpr SwitchSetting kShowDescription{"ShowDescription", true};
inline constexpr SwitchSetting kAutoBackupDescription{"AutoBackupDescription", true};
inline constexpr SwitchSetting kPluginDialog{"TavlorCatalog_Dialog", true};
inline constexpr SwitchSetting kPluginEject{"TavlorCatalog_Eject", true};
// 0 do not launch, 1 launch, 2 ask.
inline constexpr NumberSetting kPluginLaunch{"TavlorCatalog_Launch", 0};

// Text values (their defaults depend on the environment: see the functions below).
inline constexpr const char *kCatalogsFolderName = "Tavlor";
inline constexpr const char *kDescriptionsFileName = "descr_disks";
inline constexpr const char *kFileSizeUnitName = "FileSizeUnit";
inline constexpr const char *kHtmlFileName = "HtmlFile";
inline constexpr const char *kZipFileExtractName = "ZipFileExtract";

// The main window rectangle, used only when all four can be read.
inline constexpr const char *kWindowLeft = "WindowLeft";
inline constexpr const char *kWindowTop = "WindowTop";
inline constexpr const char *kWindowRight = "WindowRight";
inline constexpr const char *kWindowBottom = "WindowBottom";

bool readSwitch(const SwitchSetting &setting);
bool writeSwitch(const SwitchSetting &setting, bool on); // stores 1 or 0
std::int32_t readNumber(const NumberSetting &setting);

// The catalogs folder: "Tavlor", else the home folder + "/Tavlor".
std::string catalogsFolder();
// The descriptions file name: "descr_disks", else "descr_disks.txt", which is then
// written as the value.
std::string descriptionsFileName();
// "byte", "KB" or "MB" as stored, else "byte". Unknown texts are returned as they are
// (the model ignores them).
std::string fileSizeUnit();
// TEMP, else TMP, else TMPDIR, else "/tmp".
std::string temporaryFolder();
// "HtmlFile", else the temporary folder + "/index.htm".
std::string htmlFile();
// "ZipFileExtract", else the temporary folder.
std::string zipFileExtract();

struct WindowRect {
  std::int32_t left, top, right, bottom;
};
// The saved window rectangle when all four values can be read.
std::optional<WindowRect> windowRect();
bool writeWindowRect(const WindowRect &rect);

} // namespace settings

#endif // SHARED_SETTINGS_SETTINGS_VALUES_H
