#include "catalog_job.h"

#include <sys/stat.h>

#include <Tavscan60.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "platform/launch.h"
#include "platform/path_prefix.h"
#include "settings/settings_store.h"
#include "settings/settings_values.h"

namespace tavplugin {

PluginSettings readPluginSettings() {
  PluginSettings read;
  std::int32_t value = 0;
  if (settings::readSettingNumber(settings::kPluginDialog.name, value)) read.dialog = value != 0;
  if (settings::readSettingNumber(settings::kPluginEject.name, value)) read.eject = value != 0;
  if (settings::readSettingNumber(settings::kPluginLaunch.name, value)) read.launchMode = value;
  return read;
}

namespace {

std::optional<std::string> realFolder(const std::string &path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  char resolved[PATH_MAX];
  if (!::realpath(path.c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

} // namespace

std::optional<platform::Volume> volumeOfArgument(const std::string &argument) {
  std::string path = platform::localPathOfArgument(argument);
  std::optional<std::string> folder = realFolder(path);
  if (!folder) {
    std::string::size_type end = path.find_last_not_of(" \t\r\n");
    if (end != std::string::npos && end + 1 < path.size()) folder = realFolder(path.substr(0, end + 1));
  }
  if (!folder) return std::nullopt;
  return platform::volumeContaining(*folder);
}

std::string dialogPrompt(const platform::Volume &drive) {
  platform::LabelResult label = platform::volumeLabel(drive);
  return "Catalog disk in " + drive.mountPoint + " as " +
         (label.ok && !label.label.empty() ? label.label : "<no label>") + "?";
}

void runCatalogJob(const CatalogJob &job, PluginUi &ui) {
  platform::LabelResult label = platform::volumeLabel(job.drive);
  // The label names the catalog file: nothing, not even the catalogs folder, is made
  // for a disk without one.
  if (!label.ok || label.label.empty()) {
    ui.box(kCaption, "The disk has no volume label\nPlease label first, or use Tavlor main program to create catalog");
    return;
  }
  ui.scanStarting(label.label);
  tavlor::NewDiskResult scanned = tavlor::scanNewDisk(settings::catalogsFolder(), job.drive, label.label, kCaption, ui);
  ui.scanFinished();
  if (scanned.status != tavlor::NewDiskStatus::Cataloged) return;
  int launchMode = job.launchMode;
  if (launchMode == kAskLaunch && ui.ask("Tavlor Catalog completed", "Launch catalog?")) launchMode = kLaunch;
  // The catalog is opened before the disk goes: it lives in the catalogs folder.
  if (launchMode == kLaunch && platform::openWithDesktop(scanned.catalogPath) != platform::OpenResult::Ok)
    ui.box("ShellExecuteEx", "error launching");
  char *message = nullptr;
  flushdisk(job.drive.mountPoint.c_str(), job.eject, message);
  if (message) {
    ui.box(kCaption, message);
    strdelete(message);
  }
}

int runTavlorCatalog(const std::vector<std::string> &arguments, PluginUi &ui) {
  std::string given;
  for (const std::string &argument : arguments)
    given += (given.empty() ? "" : " ") + argument;
  // File managers may pass several selected folders: the first one names the disk.
  std::optional<platform::Volume> drive;
  if (!arguments.empty()) drive = volumeOfArgument(arguments.front());
  if (!drive) {
    ui.box(kCaption, "Command line parameter must be a folder on a mounted volume.\nNeed drive specification on the "
                     "form: /media/user/LABEL\nParameter given : " +
                         given);
    return 1;
  }
  PluginSettings read = readPluginSettings();
  CatalogJob job{*drive, read.eject, read.launchMode};
  if (!read.dialog) {
    runCatalogJob(job, ui);
    return 0;
  }
  ui.runDialog(job, dialogPrompt(*drive), [&ui](const CatalogJob &chosen) { runCatalogJob(chosen, ui); });
  return 0;
}

} // namespace tavplugin
