// disk_read.h - reading cataloged files from a mounted disk, as safely as they are
// copied (disk_copy.h), without holding a descriptor for every file being read.
#ifndef PLATFORM_DISK_READ_H
#define PLATFORM_DISK_READ_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "disk_copy.h"

namespace platform {

// A regular file found on a disk by resolveOnDisk, read from start to end. It may be
// parked (its descriptor closed) between reads and is opened again on the next read;
// a file that was replaced meanwhile, or whose size changed, then fails with ESTALE,
// so the bytes read always come from one and the same file.
class DiskFile {
public:
  DiskFile(std::string root, DiskPath source) : root_(std::move(root)), source_(std::move(source)) {}
  ~DiskFile() { park(); }
  DiskFile(const DiskFile &) = delete;
  DiskFile &operator=(const DiskFile &) = delete;

  // Opens the file (once more after park). 0 or an errno value.
  int open();
  // The size the file had when first opened.
  std::int64_t size() const { return size_; }
  // Reads up to size bytes from where the last read ended, fewer only at the end of
  // the file: the count, 0 at the end, -1 with errno set on a failure.
  long read(char *buffer, std::size_t size);
  // Closes the descriptor; the next read opens the file again.
  void park();

private:
  std::string root_;
  DiskPath source_;
  int fd_ = -1;
  bool known_ = false; // the identity below was taken at the first open
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::int64_t size_ = 0;
  std::int64_t offset_ = 0;
};

// Removes the file at path (never a folder; a link is removed, not followed). 0 or an
// errno value.
int removeFile(const std::string &path);

} // namespace platform

#endif // PLATFORM_DISK_READ_H
