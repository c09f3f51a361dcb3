// zip_data.h - where the data of each ZIP member lies in the archive file, and
// reading it.
//
// minizip walks the central directory; the data are found and read here, because
// minizip 1.1 ignores the ZIP64 extra field: it cannot reach a member whose local
// header lies beyond 4 GiB, nor deliver more than 4 GiB of one member. Offsets are
// taken from the central directory record (ZIP64 fields honoured) and shifted by
// whatever precedes the archive proper (the program of a self-extracting archive),
// as unzip does.
#ifndef SCANLIB_ZIP_DATA_H
#define SCANLIB_ZIP_DATA_H

#include <cstdint>
#include <string>
#include <vector>

#include <minizip/unzip.h>
#include <zlib.h>

#include "zip_member.h"

namespace tavscan {

// The byte range a member occupies: its local header, name, extra field and data.
struct MemberSpan {
  uint64_t start = 0;     // of the local header
  uint64_t dataStart = 0;
  uint64_t end = 0;       // just after the compressed data
  uint16_t method = 0;
  bool found = false;     // the central record and the local header were read
  bool withinFile = false; // all of the declared data lies in the file
};

// Opens name in folderFd (AT_FDCWD: a path) for reading only if it is a regular
// file: a FIFO is never waited on, a device never read. -1 with errno set otherwise
// (EINVAL for a file of another type).
int openRegularFileAt(int folderFd, const char *name, bool followLinks);

// minizip's reader over the open archive fd (it keeps a duplicate of its own).
unzFile openArchiveOnDescriptor(int fd);

// An archive file opened for extraction: only a regular file is opened (a FIFO or a
// device is refused at once, never waited on), and minizip reads it through the
// same descriptor.
class ZipArchive {
public:
  explicit ZipArchive(const char *zipPath);
  ~ZipArchive();
  ZipArchive(const ZipArchive &) = delete;
  ZipArchive &operator=(const ZipArchive &) = delete;

  unzFile handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // errno of a failed open; EINVAL for a file that is not a regular file, 0 when
  // the file opened but is no archive minizip can read.
  int openError() const { return openError_; }

  // Where the current member of handle() lies.
  MemberSpan spanOfCurrent(const ZipMember &member) const;

  // True when the members found overlap one another or the central directory (the
  // shape of a "zip bomb" that makes one stream into many files). Members whose
  // declared data runs past the end of the file are left out: they are never read.
  bool membersOverlap() const;

  int fd() const { return fd_; }

private:
  bool readAt(uint64_t offset, unsigned char *buffer, size_t size) const;
  void readLayout();

  int fd_ = -1;
  int openError_ = 0;
  unzFile handle_ = nullptr;
  uint64_t fileSize_ = 0;
  uint64_t before_ = 0;         // bytes in front of the archive proper
  uint64_t directoryStart_ = 0; // absolute; the directory runs to the end records
  bool layoutKnown_ = false;
};

// The data of one member, inflated where it is deflated, read in chunks.
class MemberReader {
public:
  MemberReader(int fd, const MemberSpan &span, uint64_t compressedSize);
  ~MemberReader();
  MemberReader(const MemberReader &) = delete;
  MemberReader &operator=(const MemberReader &) = delete;

  // False for a compression method that cannot be read here.
  bool usable() const { return usable_; }
  // Fills buffer with up to size bytes: the count, 0 at the end of the data, -1 for
  // damaged data or a read error.
  long read(char *buffer, size_t size);

private:
  long fill();

  int fd_;
  uint64_t next_;      // file offset of the next compressed byte
  uint64_t remaining_; // compressed bytes not read yet
  bool deflated_;
  bool usable_ = true;
  bool ended_ = false;
  z_stream stream_{};
  std::vector<unsigned char> input_;
};

} // namespace tavscan

#endif // SCANLIB_ZIP_DATA_H
