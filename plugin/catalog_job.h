// catalog_job.h - what TavlorCatalog does, without any window: the volume its command
// line names, the settings it reads, and the job (label check, scan, launch, flush or
// eject). The windows are behind PluginUi, so tests can answer them.
#ifndef PLUGIN_CATALOG_JOB_H
#define PLUGIN_CATALOG_JOB_H

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collection/new_disk.h"
#include "platform/volumes.h"

namespace tavplugin {

inline constexpr const char *kCaption = "Tavlor Catalog";

// launchMode values.
enum LaunchMode { kDoNotLaunch = 0, kLaunch = 1, kAskLaunch = 2 };

struct CatalogJob {
  platform::Volume drive;
  bool eject = true;
  int launchMode = kDoNotLaunch;
};

// The plug-in's three settings with its own defaults: a number read overrides its
// default only when the read succeeds, and any nonzero number is "on". Never written.
struct PluginSettings {
  bool dialog = true;
  bool eject = true;
  int launchMode = kDoNotLaunch;
};
PluginSettings readPluginSettings();

class PluginUi : public tavlor::NewDiskUi {
public:
  // A question with Yes and No; true for Yes.
  virtual bool ask(const std::string &caption, const std::string &text) = 0;
  // The scan of the disk labelled label begins: the progress window comes.
  virtual void scanStarting(const std::string &label) { (void)label; }
  // The scan is over: the progress window goes.
  virtual void scanFinished() {}
  // Shows CatalogEjectDialog for job with prompt; OK calls run with the dialog's
  // choices while the dialog is still shown. Cancel returns without calling it.
  virtual void runDialog(const CatalogJob &job, const std::string &prompt,
                         const std::function<void(const CatalogJob &)> &run) = 0;
};

// The volume a command-line argument names: the mounted volume holding the folder
// (a file:// URI is taken as its path; blanks after the path are ignored when the path
// with them is not a folder). Nothing when it is not a folder on an offered volume.
std::optional<platform::Volume> volumeOfArgument(const std::string &argument);

// The prompt of CatalogEjectDialog for the drive, with its label as read now.
std::string dialogPrompt(const platform::Volume &drive);

// The label check, the scan into the catalogs folder, the launch of the new catalog,
// then the flush or eject. A failed or cancelled scan keeps the previous catalog and
// stops there: nothing is launched, flushed or ejected.
void runCatalogJob(const CatalogJob &job, PluginUi &ui);

// The whole program after Qt's own arguments: start-up checks, settings, the dialog
// or the job at once. Returns the exit status.
int runTavlorCatalog(const std::vector<std::string> &arguments, PluginUi &ui);

} // namespace tavplugin

#endif // PLUGIN_CATALOG_JOB_H
