#include <sys/stat.h>

#include <cerrno>

#include "platform/label_probe.h"
#include "platform/volumes.h"

namespace platform {

LabelResult volumeLabel(const Volume &volume) {
  LabelResult result;
  if (volume.fromTable) {
    result.ok = volume.tableLabelError == 0;
    result.error = volume.tableLabelError;
    if (result.ok) result.label = volume.tableLabel;
    return result;
  }
  // A network volume has no filesystem label, and touching its folder could hang
  // on an unreachable server.
  if (volume.type == DriveType::Remote) {
    result.ok = true;
    return result;
  }
  LabelProbe probe = labelFromIoctl(volume.mountPoint);
  if (probe.outcome == LabelProbe::Unsupported && volume.devMajor != 0) {
    probe = labelFromUdev(volume.devMajor, volume.devMinor);
    if (probe.outcome == LabelProbe::Unsupported) probe = labelFromBlkid(volume.source);
  }
  if (probe.outcome == LabelProbe::Failed) {
    result.error = probe.error;
    return result;
  }
  result.ok = true; // Unsupported everywhere: the volume is readable but tells no label
  result.label = probe.label;
  return result;
}

} // namespace platform
