#include "collection/new_disk.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Tavscan60.h>

#include <cerrno>
#include <ctime>
#include <optional>

#include "collection/catalog_files.h"
#include "platform/catalog_label.h"
#include "platform/errors.h"

namespace tavlor {

namespace {

// 0 when the volume's root is a folder that can be entered and listed, else errno: a
// scan could read nothing of a root that is gone or locked.
int rootError(const std::string &root) {
  DIR *dir = opendir(root.c_str());
  if (!dir) return errno;
  closedir(dir);
  return access(root.c_str(), R_OK | X_OK) == 0 ? 0 : errno;
}

} // namespace

DriveOffer offerDrives() {
  DriveOffer offer;
  for (platform::Volume &volume : platform::offeredVolumes()) {
    if (int error = rootError(volume.mountPoint)) {
      offer.inaccessible.push_back(volume.mountPoint + ": " + platform::errorText(error));
      continue;
    }
    platform::LabelResult label = platform::volumeLabel(volume);
    if (!label.ok) {
      offer.inaccessible.push_back(volume.mountPoint + ": " + platform::errorText(label.error));
      continue;
    }
    if (volume.type == platform::DriveType::Removable) offer.preselected = static_cast<int>(offer.drives.size());
    std::string text = volume.mountPoint + "  " + label.label;
    offer.drives.push_back({std::move(volume), label.label, std::move(text)});
  }
  return offer;
}

std::string labelRefusal(const std::string &label) {
  switch (platform::catalogLabelFault(platform::catalogLabel(label))) {
  case platform::CatalogLabelFault::None:
    return {};
  case platform::CatalogLabelFault::TooLong:
    return "The label " + label + " is too long to name a catalog file (" + std::to_string(label.size()) +
           " bytes, at most " + std::to_string(platform::kMaxCatalogLabelBytes) + ").\nGive the disk a shorter label.";
  default:
    return "The label " + label +
           " cannot name a catalog file.\nGive the disk a label that is not only dots and has no \"/\".";
  }
}

namespace {

bool forwardProgress(uint64_t entries, const char *folder, void *context) {
  return static_cast<NewDiskUi *>(context)->progress(entries, folder ? folder : "");
}

} // namespace

NewDiskResult scanNewDisk(const std::string &folder, const platform::Volume &drive, const std::string &label,
                          const std::string &caption, NewDiskUi &ui) {
  NewDiskResult result;
  result.label = platform::catalogLabel(label);
  std::optional<std::string> path = catalogFilePath(folder, result.label);
  if (!path) {
    result.status = NewDiskStatus::Refused;
    ui.box(caption, labelRefusal(label));
    return result;
  }
  result.catalogPath = *path;
  ::mkdir(folder.c_str(), 0777); // an existing folder is fine
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // The window shows the disk at once; a Cancel pressed before the first entry counts.
  if (!ui.progress(0, drive.mountPoint)) {
    result.status = NewDiskStatus::Cancelled;
    return result;
  }
  errno = 0;
  int written =
      catalogVolume(drive.mountPoint.c_str(), result.label.c_str(), path->c_str(), local.tm_mday, local.tm_mon + 1,
                    local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, forwardProgress, &ui);
  const int cause = errno; // the library leaves why the file could not be written here
  if (written == kTavscanCatalogCancelled) {
    result.status = NewDiskStatus::Cancelled;
    return result;
  }
  if (written != kTavscanCatalogOk) {
    result.status = NewDiskStatus::Failed;
    if (written == kTavscanCatalogNoSource) {
      ui.box(caption, "The disk " + drive.mountPoint + " cannot be read.");
    } else {
      // A full disk and a read-only folder call for different remedies, so say which.
      ui.box(caption, "Unable to write the catalog file " + *path + (cause ? ": " + platform::errorText(cause) : ""));
    }
    return result;
  }
  result.status = NewDiskStatus::Cataloged;
  return result;
}

NewDiskResult catalogNewDisk(const std::string &folder, const platform::Volume &drive, const std::string &label,
                             bool eject, NewDiskUi &ui) {
  NewDiskResult result = scanNewDisk(folder, drive, label, "Tavlor", ui);
  if (result.status != NewDiskStatus::Cataloged) return result;
  char *message = nullptr;
  flushdisk(drive.mountPoint.c_str(), eject, message);
  if (message) {
    ui.box("Disk flush/eject error", message);
    strdelete(message);
  }
  return result;
}

int ejectRemovableDisks() {
  int tried = 0;
  for (const platform::Volume &volume : platform::offeredVolumes()) {
    if (volume.type != platform::DriveType::Removable) continue;
    char *message = nullptr;
    flushdisk(volume.mountPoint.c_str(), true, message);
    strdelete(message);
    ++tried;
  }
  return tried;
}

} // namespace tavlor
