#include "export/file_actions.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "Tavscan60.h"
#include "export/disk_locator.h"
#include "platform/files.h"

namespace tavlor {
namespace {

const char *const kCopyingText = "Copying file(s) ... please wait";

// The library's progress callback takes no context: the sink of the running
// extraction is held here for its duration (one extraction at a time).
ProgressSink *currentProgress = nullptr;

void stepCurrentProgress() {
  if (currentProgress) currentProgress->step();
}

class ScopedProgress {
public:
  explicit ScopedProgress(ProgressSink *sink) : previous_(currentProgress) { currentProgress = sink; }
  ~ScopedProgress() { currentProgress = previous_; }
  ScopedProgress(const ScopedProgress &) = delete;
  ScopedProgress &operator=(const ScopedProgress &) = delete;

private:
  ProgressSink *previous_;
};

class WaitWindow {
public:
  WaitWindow(FileActionUi &ui, const char *text) : ui_(ui) { ui_.beginWait(text); }
  ~WaitWindow() { ui_.endWait(); }
  WaitWindow(const WaitWindow &) = delete;
  WaitWindow &operator=(const WaitWindow &) = delete;

private:
  FileActionUi &ui_;
};

// Whether the date rule lets a copy onto target be tried.
bool dateRuleAllowsCopy(const std::string &target, std::time_t entryDate, bool overwriteNewer, bool overwriteOlder) {
  struct tm local {};
  const std::time_t when = entryDate;
  if (!localtime_r(&when, &local)) return true;
  int comparison = 0;
  if (!CompareFileDateTime(target.c_str(), local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                           local.tm_min, local.tm_sec, comparison))
    return true; // no such file, or one that cannot be written: it counts as absent
  return comparison == 0 || (comparison > 0 && overwriteNewer) || (comparison < 0 && overwriteOlder);
}

} // namespace

const char *const kOverwriteWarningText = "You have enabled the option for writing over new files"
                                          "\nin the destination folder(s) with possible older files."
                                          "\n\nAll information in any new files in the destination folder(s)"
                                          "\nwill be permanently lost."
                                          "\n\n      You will not be asked for further confirmation."
                                          "\n                  Do you wish to continue?";

std::string temporaryFolder() {
  for (const char *name : {"TEMP", "TMP", "TMPDIR"}) {
    const char *value = std::getenv(name);
    if (value && *value) {
      std::string folder = value;
      while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
      return folder;
    }
  }
  return "/tmp";
}

std::string launchErrorMessage(int code) {
  switch (code) {
  case kLaunchFileNotFound:
    return "The specified file was not found.";
  case kLaunchPathNotFound:
    return "The specified path was not found.";
  case kLaunchAccessDenied:
    return "Access denied.";
  case kLaunchOutOfMemory:
    return "Not enough memory.";
  case kLaunchSharingViolation:
    return "A sharing violation occurred.";
  case kLaunchNoAssociation:
    return "There is no application associated with the given filename extension.";
  case kLaunchDdeFailed:
    return "The DDE transaction failed.";
  case kLaunchDllNotFound:
    return "A Required DLL was not found.";
  case kLaunchCancelled:
    return "The user cancelled the request.";
  default:
    return "Could not launch the file";
  }
}

std::string memberPath(const CatalogModel &model, const FileData &entry) {
  std::string zip;
  if (!model.zipFilePath(entry, zip)) return {};
  const std::string path = model.catalogPath(entry);
  return path.size() > zip.size() + 1 ? path.substr(zip.size() + 1) : std::string();
}

bool launchPath(const std::string &path, const std::string &program, bool resolveLabel, FileActionUi &ui,
                Desktop &desktop) {
  const std::size_t separator = path.find('/');
  const std::string label = separator == std::string::npos ? std::string() : path.substr(0, separator);
  for (;;) {
    std::string full = path;
    if (resolveLabel) {
      std::string drive;
      if (!findDriveByLabel(label, drive)) {
        if (!ui.insertDisk(diskNotFoundText(label))) break;
        ui.pause(2000);
        continue;
      }
      full = resolvedPath(drive, separator == std::string::npos ? std::string() : path.substr(separator));
    }
    const int code = desktop.launch(program, full);
    if (code != kLaunchStarted) ui.message("File launch failed", full + "\n" + launchErrorMessage(code), true);
    break;
  }
  return true;
}

bool launchEntry(const CatalogModel &model, const FileData &entry, const std::string &program, FileActionUi &ui,
                 Desktop &desktop, ExtractedFiles &extracted) {
  std::string zip;
  if (!model.zipFilePath(entry, zip)) return launchPath(model.catalogPath(entry), program, true, ui, desktop);
  const std::string member = memberPath(model, entry);
  std::string label, drive, rest;
  if (!locateDisk(zip, label, drive, rest, ui)) return false;
  // Opened again, the member replaces its earlier copy whatever the dates: the user
  // wants what the archive holds now.
  char written[kTavscanPathBufferSize] = {};
  if (!extractFromZip(resolvedPath(drive, rest).c_str(), member.c_str(), temporaryFolder().c_str(), false, true, true,
                      written, sizeof written))
    return false;
  extracted.record(written);
  return launchPath(written, program, false, ui, desktop);
}

bool copyEntry(const CatalogModel &model, const FileData &entry, const std::string &destination, bool useFolderNames,
               bool overwriteNewer, bool overwriteOlder, FileActionUi &ui, int *written) {
  if (written) *written = 0;
  std::string label, drive, rest;
  std::string zip;
  if (model.zipFilePath(entry, zip)) {
    const std::string member = memberPath(model, entry);
    if (!locateDisk(zip, label, drive, rest, ui)) return false;
    WaitWindow wait(ui, kCopyingText);
    const int count = extractAllFromZip(resolvedPath(drive, rest).c_str(), member.c_str(), destination.c_str(),
                                        useFolderNames, overwriteNewer, overwriteOlder, nullptr);
    if (written) *written = count;
    return count == 1;
  }
  if (!locateDisk(model.catalogPath(entry), label, drive, rest, ui)) return false;
  WaitWindow wait(ui, kCopyingText);
  const std::string source = resolvedPath(drive, rest);
  std::string target = destination;
  if (target.empty() || target.back() != '/') target.push_back('/');
  target.append(entry.name());
  if (!dateRuleAllowsCopy(target, entry.date(), overwriteNewer, overwriteOlder)) return false;
  // A typed destination that does not exist yet is made, as extraction makes it, rather
  // than the copy failing without a word.
  platform::createFolderLevels(destination);
  if (entry.isContainer() && !entry.isZipFolder()) {
    CopyDirectory(source.c_str(), target.c_str(), true);
    if (written) *written = 1;
    return true;
  }
  if (platform::copyFile(source, target, true) != 0) return false;
  // Files copied from a CD-ROM must not stay read-only where the user puts them; an
  // existing target that refused the copy keeps its permissions.
  struct stat st;
  if (::stat(source.c_str(), &st) == 0 && platform::isReadOnly(st)) platform::makeWritable(target);
  if (written) *written = 1;
  return true;
}

int extractZipFolder(const CatalogModel &model, const FileData &zipFolder, const ExtractSettings &settings,
                     FileActionUi &ui, ProgressSink *progress) {
  std::string label, drive, rest;
  if (!locateDisk(model.catalogPath(zipFolder), label, drive, rest, ui)) return -1;
  if (settings.overwriteNewer && !ui.askYesNo(kOverwriteWarningCaption, kOverwriteWarningText)) return -1;
  ScopedProgress scope(progress);
  return extractAllFromZip(resolvedPath(drive, rest).c_str(), nullptr, settings.destination.c_str(),
                           settings.useFolderNames, settings.overwriteNewer, settings.overwriteOlder,
                           progress ? &stepCurrentProgress : nullptr);
}

void copyEntries(const CatalogModel &model, const std::vector<const FileData *> &entries,
                 const ExtractSettings &settings, FileActionUi &ui, ProgressSink *progress) {
  for (const FileData *entry : entries) {
    copyEntry(model, *entry, settings.destination, settings.useFolderNames, settings.overwriteNewer,
              settings.overwriteOlder, ui);
    if (progress) progress->step();
  }
}

ExtractPlan planExtract(const CatalogModel &model, const std::vector<const FileData *> &entries) {
  ExtractPlan plan;
  std::string zip;
  for (const FileData *entry : entries) {
    if (!entry) continue;
    if (entry->isZipFolder() && !model.zipFilePath(*entry, zip))
      plan.zipFolders.push_back(entry);
    else
      plan.copyList.push_back(entry);
  }
  return plan;
}

} // namespace tavlor
