#include <fcntl.h>
#include <linux/cdrom.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/drive_type.h"
#include "platform/eject_paths.h"
#include "platform/mount_table.h"

namespace platform {

namespace {

constexpr unsigned kSenseNotReady = 0x02;
constexpr unsigned kAscMediumNotPresent = 0x3a;
constexpr unsigned kScsiTimeoutMs = 10000;

class FileDescriptor {
public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;
  int get() const { return fd_; }

private:
  int fd_;
};

enum class ScsiResult { Ok, NoMedium, Failed };

ScsiResult sendScsi(int fd, std::initializer_list<unsigned char> command) {
  unsigned char cdb[16] = {};
  std::copy(command.begin(), command.end(), cdb);
  unsigned char sense[32] = {};
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.cmd_len = static_cast<unsigned char>(command.size());
  io.cmdp = cdb;
  io.dxfer_direction = SG_DXFER_NONE;
  io.sbp = sense;
  io.mx_sb_len = sizeof sense;
  io.timeout = kScsiTimeoutMs;
  if (::ioctl(fd, SG_IO, &io) != 0) return ScsiResult::Failed;
  if (io.status == 0 && io.host_status == 0 && io.driver_status == 0) return ScsiResult::Ok;
  // Fixed-format sense data: key in byte 2, additional sense code in byte 12.
  if (io.sb_len_wr >= 13 && (sense[2] & 0x0f) == kSenseNotReady && sense[12] == kAscMediumNotPresent)
    return ScsiResult::NoMedium;
  return ScsiResult::Failed;
}

// Every mount point of a filesystem on the disk, innermost (latest) first, so that
// nested mounts come off before the mounts they sit on.
std::vector<std::string> mountsOfDisk(const std::string &disk) {
  std::vector<std::string> mountPoints;
  for (const MountEntry &entry : parseMountInfo(readMountInfo())) {
    const std::optional<DeviceNumber> device = statBlockDevice(entry.source);
    if (!device) continue;
    if (diskSysfsPath(device->major, device->minor) == std::optional<std::string>(disk))
      mountPoints.push_back(entry.mountPoint);
  }
  std::reverse(mountPoints.begin(), mountPoints.end());
  return mountPoints;
}

} // namespace

EjectStatus ejectWithKernel(const Volume &volume) {
  if (::geteuid() != 0 || volume.devMajor == 0) return EjectStatus::Unreachable;
  const std::optional<std::string> disk = diskSysfsPath(volume.devMajor, volume.devMinor);
  if (!disk) return EjectStatus::Unreachable;
  const FileDescriptor device(::open(("/dev/" + diskKernelName(*disk)).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (device.get() < 0) return errno == ENOMEDIUM ? EjectStatus::NoMedium : EjectStatus::Unreachable;

  // Ask the drive whether it speaks the request before unmounting anything: a
  // device that cannot be ejected must stay mounted.
  const bool optical = volume.type == DriveType::CdRom;
  if (optical) {
    if (::ioctl(device.get(), CDROM_GET_CAPABILITY, 0) < 0) return EjectStatus::Unreachable;
    if (::ioctl(device.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT) == CDS_NO_DISC) return EjectStatus::NoMedium;
  } else {
    int version = 0;
    if (::ioctl(device.get(), SG_GET_VERSION_NUM, &version) < 0) return EjectStatus::Unreachable;
  }

  for (const std::string &mountPoint : mountsOfDisk(*disk))
    if (::umount2(mountPoint.c_str(), 0) != 0 && errno != EINVAL) return EjectStatus::Refused;

  if (optical) {
    if (::ioctl(device.get(), CDROMEJECT, 0) == 0) return EjectStatus::Ok;
    return errno == ENOMEDIUM ? EjectStatus::NoMedium : EjectStatus::Refused;
  }
  // PREVENT ALLOW MEDIUM REMOVAL (allow), then START STOP UNIT: stop, eject.
  sendScsi(device.get(), {0x1e, 0, 0, 0, 0, 0});
  const ScsiResult stopped = sendScsi(device.get(), {0x1b, 0, 0, 0, 0, 0});
  if (stopped == ScsiResult::NoMedium) return EjectStatus::NoMedium;
  const ScsiResult ejected = sendScsi(device.get(), {0x1b, 0, 0, 0, 0x02, 0});
  if (ejected == ScsiResult::Ok) return EjectStatus::Ok;
  return ejected == ScsiResult::NoMedium ? EjectStatus::NoMedium : EjectStatus::Refused;
}

} // namespace platform
