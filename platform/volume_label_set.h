// volume_label_set.h - giving a volume a new filesystem label.
#ifndef PLATFORM_VOLUME_LABEL_SET_H
#define PLATFORM_VOLUME_LABEL_SET_H

#include <string>

#include "platform/volumes.h"

namespace platform {

struct LabelSetResult {
  bool ok = false;
  int error = 0;       // errno when !ok (0 when only a tool's text explains the refusal)
  std::string message; // the refusal's text (the daemon's or the label tool's), "" when ok
};

// Writes label as the filesystem label of volume's source device: through UDisks2
// (Filesystem.SetLabel, no user interaction) when the daemon knows the device; else
// btrfs and xfs are relabelled on the mounted folder (FS_IOC_SETFSLABEL, as root),
// and the others by the filesystem's own tool (e2label, fatlabel, exfatlabel,
// ntfslabel), chosen by the filesystem the device holds (udev, else libblkid), never
// by the mount type ("fuseblk" is NTFS or exFAT). Most tools refuse while the volume
// is mounted; the refusal comes back as the message, with how to set the label once
// the disk is unmounted. Volumes of the volume table and network volumes have no
// device and report ENOTSUP.
LabelSetResult setVolumeLabel(const Volume &volume, const std::string &label);

} // namespace platform

#endif // PLATFORM_VOLUME_LABEL_SET_H
