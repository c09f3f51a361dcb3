#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string>

#include "Tavscan60.h"
#include "library_text.h"
#include "platform/disk.h"
#include "platform/drive_type.h"
#include "platform/volumes.h"

namespace {

const char kMalformedName[] = "Drive name should be the mount point of a volume.";
const char kNoDevice[] = "The device does not exist.";
const char kNotResponding[] = "The device is not responding.";
const char kNoAccess[] = "Unable to access the device.";

// What reading the drive's folder tells: nothing (fine), an empty drive, or a text.
struct DriveState {
  bool ok = true;
  const char *text = nullptr; // null with !ok: an empty drive, which is no error to show
};

DriveState stateOfError(int error) {
  switch (error) {
  case 0:
    return {};
  case ENOMEDIUM:
    return {false, nullptr};
  case ENOENT:
  case ENODEV:
  case ENXIO:
    return {false, kNoDevice};
  default:
    return {false, kNotResponding};
  }
}

DriveState driveState(const platform::Volume &volume) {
  if (volume.fromTable && volume.tableLabelError != 0) return stateOfError(volume.tableLabelError);
  struct stat st {};
  if (::stat(volume.mountPoint.c_str(), &st) != 0) return stateOfError(errno);
  if (volume.devMajor != 0) {
    const std::optional<std::string> disk = platform::diskSysfsPath(volume.devMajor, volume.devMinor);
    if (disk && platform::diskHasNoMedium(*disk)) return stateOfError(ENOMEDIUM);
  }
  return {};
}

bool fail(char *&message, const char *text) {
  if (text != nullptr) message = tavscan::copyLibraryText(text);
  return false;
}

} // namespace

TAVSCAN_API bool flushdisk(const char *drive, bool eject, char *&message) {
  // Released here with the allocator of copyLibraryText, which strdelete pairs with.
  delete[] message;
  message = nullptr;

  if (drive == nullptr || drive[0] != '/') return fail(message, kMalformedName);
  const std::optional<platform::Volume> volume = platform::volumeAt(drive);
  if (!volume) {
    // A vanished disk usually takes its mount folder with it; a folder that is still
    // there but holds no volume was simply the wrong name.
    struct stat st {};
    const bool gone = ::stat(drive, &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
    return fail(message, gone ? kNoDevice : kMalformedName);
  }

  // Network drives are never flushed, and a look at a share whose server is gone
  // would hang.
  if (volume->type == platform::DriveType::Remote) return false;
  const DriveState state = driveState(*volume);
  if (!state.ok) return fail(message, state.text);
  if (volume->type != platform::DriveType::Removable && volume->type != platform::DriveType::CdRom) return false;

  // A flush that failed means written data may not be on the disk: that must not
  // look like a disk that is safe to remove.
  const int flushError = platform::flushVolume(volume->mountPoint);
  if (flushError == EACCES || flushError == EPERM) return fail(message, kNoAccess);
  if (flushError != 0) return fail(message, stateOfError(flushError).text);

  if (!eject) return true;
  switch (platform::ejectVolume(*volume)) {
  case platform::EjectStatus::Ok:
    return true;
  case platform::EjectStatus::NoMedium:
  case platform::EjectStatus::Refused:
    return false;
  case platform::EjectStatus::Unreachable:
    break;
  }
  return fail(message, kNoAccess);
}
