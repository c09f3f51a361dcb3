#include "platform/label_probe.h"

#include <blkid/blkid.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/udev_db.h"

#ifndef FSLABEL_MAX
#define FSLABEL_MAX 256
#endif
#ifndef FS_IOC_GETFSLABEL
#define FS_IOC_GETFSLABEL _IOR(0x94, 49, char[FSLABEL_MAX])
#endif

namespace platform {

LabelProbe labelFromIoctl(const std::string &mountPoint) {
  LabelProbe probe;
  const int fd = ::open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    // A folder the user may not list still has a label that udev can tell.
    if (errno != EACCES && errno != EPERM) {
      probe.outcome = LabelProbe::Failed;
      probe.error = errno;
    }
    return probe;
  }
  char label[FSLABEL_MAX + 1] = {};
  const int result = ::ioctl(fd, FS_IOC_GETFSLABEL, label);
  const int error = errno;
  ::close(fd);
  if (result == 0) {
    probe.outcome = LabelProbe::Found;
    probe.label.assign(label, strnlen(label, FSLABEL_MAX));
  } else if (error == EIO || error == ENOMEDIUM) {
    probe.outcome = LabelProbe::Failed;
    probe.error = error;
  }
  return probe; // ENOTTY, EINVAL, EOPNOTSUPP ...: the filesystem does not answer this
}

LabelProbe labelFromUdev(unsigned major, unsigned minor) {
  LabelProbe probe;
  const std::optional<std::string> entry = readUdevEntry(major, minor);
  if (!entry) return probe;
  const std::optional<std::string> type = udevProperty(*entry, "ID_FS_TYPE");
  if (type) probe.type = *type;
  if (const std::optional<std::string> label = udevProperty(*entry, "ID_FS_LABEL_ENC")) {
    probe.outcome = LabelProbe::Found;
    probe.label = decodeUdevEscapes(*label);
  } else if (type) {
    // udev probed the filesystem and found no label.
    probe.outcome = LabelProbe::Found;
  }
  return probe;
}

LabelProbe labelFromBlkid(const std::string &device) {
  LabelProbe probe;
  if (device.empty()) return probe;
  blkid_probe blkid = blkid_new_probe_from_filename(device.c_str());
  if (blkid == nullptr) return probe; // no read access to the device: nobody can tell
  blkid_probe_enable_superblocks(blkid, 1);
  blkid_probe_set_superblocks_flags(blkid, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE);
  if (blkid_do_safeprobe(blkid) == 0) {
    probe.outcome = LabelProbe::Found;
    const char *label = nullptr;
    size_t length = 0;
    if (blkid_probe_lookup_value(blkid, "LABEL", &label, &length) == 0 && label != nullptr)
      probe.label.assign(label, strnlen(label, length));
    const char *type = nullptr;
    if (blkid_probe_lookup_value(blkid, "TYPE", &type, &length) == 0 && type != nullptr)
      probe.type.assign(type, strnlen(type, length));
  }
  blkid_free_probe(blkid);
  return probe;
}

} // namespace platform
