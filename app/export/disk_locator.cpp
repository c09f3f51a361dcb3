#include "export/disk_locator.h"

#include "platform/catalog_label.h"
#include "platform/volumes.h"

namespace tavlor {

bool findDriveByLabel(const std::string &label, std::string &drive) {
  for (const platform::Volume &volume : platform::offeredVolumes()) {
    const platform::LabelResult read = platform::volumeLabel(volume);
    if (read.ok && (read.label == label || platform::labelNamesDisk(read.label, label))) {
      drive = volume.mountPoint;
      return true;
    }
  }
  return false;
}

std::string labelOf(const std::string &catalogPath) {
  return catalogPath.substr(0, catalogPath.find('/'));
}

std::string diskNotFoundText(const std::string &label) {
  return "Disk labeled " + label + " was not found.";
}

bool locateLabel(const std::string &label, std::string &drive, FileActionUi &ui) {
  while (!findDriveByLabel(label, drive))
    if (!ui.insertDisk(diskNotFoundText(label))) return false;
  return true;
}

bool locateDisk(const std::string &catalogPath, std::string &label, std::string &drive, std::string &rest,
                FileActionUi &ui) {
  label = labelOf(catalogPath);
  const std::size_t separator = catalogPath.find('/');
  for (;;) {
    if (findDriveByLabel(label, drive)) {
      rest = "/" + (separator == std::string::npos ? std::string() : catalogPath.substr(separator + 1));
      return true;
    }
    if (!ui.insertDisk(diskNotFoundText(label))) return false;
  }
}

std::string resolvedPath(const std::string &drive, const std::string &rest) {
  if (rest.empty() || rest == "/") return drive;
  if (drive == "/") return rest;
  return drive + rest;
}

} // namespace tavlor
