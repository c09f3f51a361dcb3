#include "export/file_actions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "Tavscan60.h"
#include "export/disk_locator.h"
#include "platform/disk_copy.h"
#include "platform/files.h"
#include "platform/temp_folder.h"

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

std::string joinComponents(const std::vector<std::string> &components, std::size_t from, std::size_t to) {
  std::string text;
  for (std::size_t i = from; i < to && i < components.size(); ++i) {
    if (i > from) text.push_back('/');
    text += components[i];
  }
  return text;
}

std::vector<std::string> splitCatalogPath(const std::string &path) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) return parts;
    start = slash + 1;
  }
}

// The file-system path of the cataloged path components on the disk mounted at drive.
platform::DiskPath onDisk(const std::string &drive, const std::vector<std::string> &components, std::size_t count) {
  const std::size_t end = std::min(count, components.size());
  return platform::resolveOnDisk(drive, std::vector<std::string>(components.begin() + 1, components.begin() + end));
}

// Collects the members extraction did not write.
void collectNotWritten(const char *member, const char *reason, void *context) {
  auto &into = *static_cast<std::pair<std::vector<CopyFailure> *, std::string> *>(context);
  std::string path = into.second;
  if (member && *member) path += "/" + std::string(member);
  into.first->push_back({path, reason ? reason : ""});
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

std::string privateTemporaryFolder() {
  return platform::privateTemporaryRoot(temporaryFolder());
}

std::string EntrySource::zipPath() const {
  return joinComponents(components, 0, zipDepth);
}

std::string EntrySource::member() const {
  return joinComponents(components, zipDepth, components.size());
}

EntrySource entrySource(const CatalogModel &model, const FileData &entry) {
  EntrySource source;
  source.name = std::string(entry.name());
  source.date = entry.date();
  source.container = entry.isContainer();
  source.zipFolder = entry.isZipFolder();
  // The items above the entry, up to its disk; the outermost Zip Folder among them
  // (never the disk) is its ZIP file.
  std::vector<ItemId> chain;
  for (ItemId id = entry.parentItem(); model.isValid(id) && model.parentOf(id) != kNoItem; id = model.parentOf(id))
    chain.push_back(id);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    source.components.push_back(model.label(*it));
    if (source.zipDepth == 0 && source.components.size() > 1 && model.icon(*it) == iconOf(NodeKind::ZipFolder))
      source.zipDepth = source.components.size();
  }
  source.components.push_back(source.name);
  source.catalogPath = joinComponents(source.components, 0, source.components.size());
  for (const std::string &component : source.components) {
    if (!platform::isSafeComponent(component)) {
      source.refusal = "its path holds the name \"" + component.substr(0, component.find('\0')) +
                       "\", which cannot name a file";
      break;
    }
  }
  return source;
}

std::string failureText(const std::vector<CopyFailure> &failures) {
  const std::size_t shown = std::min<std::size_t>(failures.size(), 15);
  std::string text = "Not written:";
  for (std::size_t i = 0; i < shown; ++i)
    text += "\n" + failures[i].path + ": " + failures[i].reason;
  if (failures.size() > shown) text += "\n... and " + std::to_string(failures.size() - shown) + " more";
  return text;
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
      std::vector<std::string> components = splitCatalogPath(path);
      if (separator == std::string::npos) components = {label};
      const platform::DiskPath found = onDisk(drive, components, components.size());
      if (found.error == ENOENT && platform::isSafeComponent(components.back())) {
        // Something missing is for the launch-error table to name.
        full = resolvedPath(drive, "/" + joinComponents(components, 1, components.size()));
      } else if (found.error) {
        ui.message("File launch failed", path + "\n" + found.why, true);
        break;
      } else {
        full = found.path;
      }
    }
    const int code = desktop.launch(program, full);
    if (code != kLaunchStarted) ui.message("File launch failed", full + "\n" + launchErrorMessage(code), true);
    break;
  }
  return true;
}

bool launchEntry(const CatalogModel &model, const FileData &entry, const std::string &program, FileActionUi &ui,
                 Desktop &desktop, ExtractedFiles &extracted) {
  const EntrySource source = entrySource(model, entry);
  if (!source.refusal.empty()) {
    ui.message("File launch failed", source.catalogPath + "\n" + source.refusal, true);
    return false;
  }
  if (!source.inZip()) return launchPath(source.catalogPath, program, true, ui, desktop);
  std::string drive;
  if (!locateLabel(source.label(), drive, ui)) return false;
  const platform::DiskPath zip = onDisk(drive, source.components, source.zipDepth);
  const std::string folder = privateTemporaryFolder();
  if (zip.error || folder.empty()) {
    ui.message("File launch failed",
               source.catalogPath + "\n" + (zip.error ? zip.why : "no private temporary folder can be made"), true);
    return false;
  }
  // Opened again, the member replaces its earlier copy whatever the dates: the user
  // wants what the archive holds now.
  char written[kTavscanPathBufferSize] = {};
  if (!extractFromZip(zip.path.c_str(), source.member().c_str(), folder.c_str(), false, true, true, written,
                      sizeof written))
    return false;
  extracted.record(written);
  return launchPath(written, program, false, ui, desktop);
}

CopyResult copySource(const EntrySource &source, const std::string &destination, bool useFolderNames,
                      bool overwriteNewer, bool overwriteOlder, FileActionUi &ui) {
  CopyResult result;
  if (!source.refusal.empty()) {
    result.failures.push_back({source.catalogPath, source.refusal});
    return result;
  }
  std::string drive;
  if (!locateLabel(source.label(), drive, ui)) {
    result.diskCancelled = true;
    return result;
  }
  if (source.inZip()) {
    const platform::DiskPath zip = onDisk(drive, source.components, source.zipDepth);
    if (zip.error) {
      result.failures.push_back({source.zipPath(), zip.why});
      return result;
    }
    WaitWindow wait(ui, kCopyingText);
    std::pair<std::vector<CopyFailure> *, std::string> into{&result.failures, source.zipPath()};
    result.written = extractAllFromZip(zip.path.c_str(), source.member().c_str(), destination.c_str(), useFolderNames,
                                       overwriteNewer, overwriteOlder, nullptr, &collectNotWritten, &into);
    return result;
  }
  const platform::DiskPath found = onDisk(drive, source.components, source.components.size());
  if (found.error) {
    result.failures.push_back({source.catalogPath, found.why});
    return result;
  }
  WaitWindow wait(ui, kCopyingText);
  std::string target = destination;
  if (target.empty() || target.back() != '/') target.push_back('/');
  target.append(source.name);
  if (!dateRuleAllowsCopy(target, source.date, overwriteNewer, overwriteOlder)) {
    ++result.kept;
    return result;
  }
  // A typed destination that does not exist yet is made, as extraction makes it, rather
  // than the copy failing without a word. A disk is copied as a folder of its label.
  // Failures are named by their catalog paths, as the user knows them.
  const platform::CopyCounts counts = platform::copyFromDisk(
      drive, found, destination, source.name, true, [&](const std::string &path, const std::string &reason) {
        std::string shown = source.catalogPath;
        if (path.compare(0, found.path.size(), found.path) == 0) shown += path.substr(found.path.size());
        result.failures.push_back({shown, reason});
      });
  result.written = counts.written;
  result.kept = counts.kept;
  return result;
}

bool copyEntry(const CatalogModel &model, const FileData &entry, const std::string &destination, bool useFolderNames,
               bool overwriteNewer, bool overwriteOlder, FileActionUi &ui, int *written) {
  const EntrySource source = entrySource(model, entry);
  const CopyResult result = copySource(source, destination, useFolderNames, overwriteNewer, overwriteOlder, ui);
  if (written) *written = result.written;
  if (result.diskCancelled || !result.failures.empty()) return false;
  // A folder copy keeps the files already in the destination and still succeeds.
  if (!source.inZip() && source.container && !source.zipFolder) return true;
  return result.written == 1;
}

int extractZipFolder(const CatalogModel &model, const FileData &zipFolder, const ExtractSettings &settings,
                     FileActionUi &ui, ProgressSink *progress, std::vector<CopyFailure> *failures) {
  const EntrySource source = entrySource(model, zipFolder);
  if (!source.refusal.empty()) {
    if (failures) failures->push_back({source.catalogPath, source.refusal});
    return -1;
  }
  std::string drive;
  if (!locateLabel(source.label(), drive, ui)) return -1;
  const platform::DiskPath zip = onDisk(drive, source.components, source.components.size());
  if (zip.error) {
    if (failures) failures->push_back({source.catalogPath, zip.why});
    return -1;
  }
  if (settings.overwriteNewer && !ui.askYesNo(kOverwriteWarningCaption, kOverwriteWarningText)) return -1;
  ScopedProgress scope(progress);
  std::vector<CopyFailure> ignored;
  std::pair<std::vector<CopyFailure> *, std::string> into{failures ? failures : &ignored, source.catalogPath};
  return extractAllFromZip(zip.path.c_str(), nullptr, settings.destination.c_str(), settings.useFolderNames,
                           settings.overwriteNewer, settings.overwriteOlder,
                           progress ? &stepCurrentProgress : nullptr, &collectNotWritten, &into);
}

std::vector<CopyFailure> copyEntries(const CatalogModel &model, const std::vector<const FileData *> &entries,
                                     const ExtractSettings &settings, FileActionUi &ui, ProgressSink *progress) {
  std::vector<CopyFailure> failures;
  for (const FileData *entry : entries) {
    CopyResult result = copySource(entrySource(model, *entry), settings.destination, settings.useFolderNames,
                                   settings.overwriteNewer, settings.overwriteOlder, ui);
    failures.insert(failures.end(), result.failures.begin(), result.failures.end());
    if (progress) progress->step();
  }
  return failures;
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
