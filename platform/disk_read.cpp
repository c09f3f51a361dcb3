#include "disk_read.h"

#include <unistd.h>

#include <cerrno>

namespace platform {

int DiskFile::open() {
  if (fd_ >= 0) return 0;
  struct stat st;
  const int fd = openFromDisk(root_, source_, st);
  if (fd < 0) return errno ? errno : EIO;
  if (!known_) {
    known_ = true;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    size_ = st.st_size;
  } else if (st.st_dev != device_ || st.st_ino != inode_ || st.st_size != size_) {
    ::close(fd);
    return ESTALE;
  }
  fd_ = fd;
  return 0;
}

long DiskFile::read(char *buffer, std::size_t size) {
  if (const int err = open()) {
    errno = err;
    return -1;
  }
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, buffer + done, size - done, offset_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    offset_ += n;
  }
  return static_cast<long>(done);
}

void DiskFile::park() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int removeFile(const std::string &path) {
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

} // namespace platform
