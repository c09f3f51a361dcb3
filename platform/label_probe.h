// label_probe.h - the ways of reading a filesystem label, strongest first.
#ifndef PLATFORM_LABEL_PROBE_H
#define PLATFORM_LABEL_PROBE_H

#include <optional>
#include <string>

namespace platform {

// Result of one way of reading a label.
struct LabelProbe {
  enum Outcome {
    Found,       // label holds the label ("" when the filesystem has none)
    Unsupported, // this way cannot tell; try the next one
    Failed,      // the volume itself failed; error holds the errno
  } outcome = Unsupported;
  std::string label;
  std::string type; // the filesystem type the probe found ("exfat", "ntfs" ...), "" when it tells none
  int error = 0;
};

// FS_IOC_GETFSLABEL on the mounted folder: current even right after a relabel,
// and needs no access to the device.
LabelProbe labelFromIoctl(const std::string &mountPoint);

// ID_FS_LABEL_ENC (and ID_FS_TYPE) of the udev database entry of block device
// major:minor.
LabelProbe labelFromUdev(unsigned major, unsigned minor);

// A libblkid superblock probe of device (a device node or an image file), which
// needs read access to it.
LabelProbe labelFromBlkid(const std::string &device);

} // namespace platform

#endif // PLATFORM_LABEL_PROBE_H
