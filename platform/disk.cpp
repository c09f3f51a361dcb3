#include "platform/disk.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "platform/bounded_call.h"
#include "platform/eject_paths.h"

namespace platform {

namespace {

// Long enough for a slow server to answer, short enough that a vanished one does
// not look like a frozen program.
constexpr std::chrono::milliseconds kRemoteLimit{5000};

struct Measured {
  bool ok = false;
  int64_t total = 0;
  int64_t free = 0;
};

Measured measure(const std::string &path) {
  Measured sizes;
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return sizes;
  sizes.ok = true;
  sizes.total = static_cast<int64_t>(st.f_blocks) * static_cast<int64_t>(st.f_frsize);
  sizes.free = static_cast<int64_t>(st.f_bfree) * static_cast<int64_t>(st.f_frsize);
  return sizes;
}

} // namespace

bool volumeSizes(const std::string &path, int64_t &total, int64_t &free) {
  total = 0;
  free = 0;
  if (path.empty()) return false;
  Measured sizes;
  const std::optional<Volume> volume = volumeHolding(path);
  if (volume && volume->type == DriveType::Remote) {
    const std::optional<Measured> bounded = callWithTimeLimit<Measured>([path] { return measure(path); }, kRemoteLimit);
    if (bounded) sizes = *bounded;
  } else {
    sizes = measure(path);
  }
  if (!sizes.ok) return false;
  total = sizes.total;
  free = sizes.free;
  return true;
}

int flushVolume(const std::string &mountPoint) {
  const int fd = ::open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = ::syncfs(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

EjectStatus ejectVolume(const Volume &volume) {
  if (volume.fromTable) return EjectStatus::Ok;
  if (const std::optional<EjectStatus> viaDaemon = ejectWithUDisks(volume)) return *viaDaemon;
  return ejectWithKernel(volume);
}

} // namespace platform
