#include "zip_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <minizip/ioapi.h>

namespace tavscan {
namespace {

constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint32_t kPlaceholder32 = 0xFFFFFFFFu;

uint16_t get16(const unsigned char *p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t get32(const unsigned char *p) {
  return static_cast<uint32_t>(get16(p)) | (static_cast<uint32_t>(get16(p + 2)) << 16);
}

uint64_t get64(const unsigned char *p) {
  return static_cast<uint64_t>(get32(p)) | (static_cast<uint64_t>(get32(p + 4)) << 32);
}

bool hasSignature(const unsigned char *p, unsigned char third, unsigned char fourth) {
  return p[0] == 'P' && p[1] == 'K' && p[2] == third && p[3] == fourth;
}

// minizip reads an archive's directory a few bytes at a time and seeks back and forth
// within each record; a stdio stream would drop its buffer at every seek. This
// stream keeps one window of the file and serves reads inside it from memory.
struct WindowedFile {
  int fd = -1;
  uint64_t size = 0;
  uint64_t position = 0;
  uint64_t windowStart = 0;
  size_t windowLength = 0;
  bool failed = false;
  std::vector<unsigned char> window;
};

constexpr size_t kWindowSize = 1 << 16;

// minizip is handed the descriptor this file opened: the "path" it gets points at it.
voidpf openWindowed(voidpf, const void *descriptor, int) {
  const int copy = ::fcntl(*static_cast<const int *>(descriptor), F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  struct stat st;
  if (::fstat(copy, &st) != 0) {
    ::close(copy);
    return nullptr;
  }
  auto *file = new WindowedFile;
  file->fd = copy;
  file->size = static_cast<uint64_t>(st.st_size);
  file->window.resize(kWindowSize);
  return file;
}

uLong readWindowed(voidpf, voidpf stream, void *buffer, uLong size) {
  auto *file = static_cast<WindowedFile *>(stream);
  auto *out = static_cast<unsigned char *>(buffer);
  // minizip reads most fields a byte at a time: those reads must stay cheap.
  if (file->position >= file->windowStart && file->position - file->windowStart + size <= file->windowLength) {
    std::memcpy(out, file->window.data() + (file->position - file->windowStart), size);
    file->position += size;
    return size;
  }
  uLong done = 0;
  while (done < size && file->position < file->size) {
    if (file->position < file->windowStart || file->position >= file->windowStart + file->windowLength) {
      // Reads are mostly of one record at a time, forwards: the window starts a
      // little before the position asked for, so that a step back stays inside.
      file->windowStart = file->position > 512 ? file->position - 512 : 0;
      ssize_t got;
      do {
        got = ::pread(file->fd, file->window.data(), file->window.size(), static_cast<off_t>(file->windowStart));
      } while (got < 0 && errno == EINTR);
      if (got <= 0 || file->windowStart + static_cast<uint64_t>(got) <= file->position) {
        file->windowLength = 0;
        file->failed = got < 0;
        break;
      }
      file->windowLength = static_cast<size_t>(got);
    }
    const size_t at = static_cast<size_t>(file->position - file->windowStart);
    const size_t take = std::min<size_t>(file->windowLength - at, size - done);
    std::memcpy(out + done, file->window.data() + at, take);
    done += take;
    file->position += take;
  }
  return done;
}

uLong writeWindowed(voidpf, voidpf, const void *, uLong) {
  return 0;
}

ZPOS64_T tellWindowed(voidpf, voidpf stream) {
  return static_cast<WindowedFile *>(stream)->position;
}

long seekWindowed(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto *file = static_cast<WindowedFile *>(stream);
  uint64_t base = 0;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = file->position;
  else if (origin == ZLIB_FILEFUNC_SEEK_END) base = file->size;
  else if (origin != ZLIB_FILEFUNC_SEEK_SET) return -1;
  file->position = base + offset;
  return 0;
}

int closeWindowed(voidpf, voidpf stream) {
  auto *file = static_cast<WindowedFile *>(stream);
  const int result = ::close(file->fd);
  delete file;
  return result;
}

int errorWindowed(voidpf, voidpf stream) {
  return static_cast<WindowedFile *>(stream)->failed ? 1 : 0;
}

} // namespace

unzFile openArchiveOnDescriptor(int fd) {
  zlib_filefunc64_def io{};
  io.zopen64_file = openWindowed;
  io.zread_file = readWindowed;
  io.zwrite_file = writeWindowed;
  io.ztell64_file = tellWindowed;
  io.zseek64_file = seekWindowed;
  io.zclose_file = closeWindowed;
  io.zerror_file = errorWindowed;
  return unzOpen2_64(&fd, &io);
}

int openRegularFileAt(int folderFd, const char *name, bool followLinks) {
  const int fd =
      ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW));
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

ZipArchive::ZipArchive(const char *zipPath) {
  if (!zipPath) {
    openError_ = EINVAL;
    return;
  }
  // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and is refused.
  fd_ = openRegularFileAt(AT_FDCWD, zipPath, true);
  if (fd_ < 0) {
    openError_ = errno;
    return;
  }
  handle_ = openArchiveOnDescriptor(fd_);
  if (handle_) readLayout();
}

ZipArchive::~ZipArchive() {
  if (handle_) unzClose(handle_);
  if (fd_ >= 0) ::close(fd_);
}

bool ZipArchive::readAt(uint64_t offset, unsigned char *buffer, size_t size) const {
  if (offset > fileSize_ || size > fileSize_ - offset) return false;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The same end records minizip found, read again for what it keeps to itself: the
// offset of the archive within the file and where its directory lies.
void ZipArchive::readLayout() {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return;
  fileSize_ = static_cast<uint64_t>(st.st_size);
  const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(fileSize_, kEndRecordSize + kMaxCommentSize));
  std::vector<unsigned char> tail(tailSize);
  const uint64_t tailStart = fileSize_ - tailSize;
  if (tailSize < kEndRecordSize || !readAt(tailStart, tail.data(), tailSize)) return;
  size_t at = tailSize - kEndRecordSize + 1;
  do {
    --at;
  } while (at > 0 && !hasSignature(&tail[at], 5, 6));
  if (!hasSignature(&tail[at], 5, 6)) return;
  const uint64_t endRecord = tailStart + at;
  uint64_t directorySize = get32(&tail[at + 12]);
  uint64_t directoryOffset = get32(&tail[at + 16]);
  uint64_t central = endRecord;

  unsigned char locator[20];
  unsigned char record[56];
  if (endRecord >= sizeof locator && readAt(endRecord - sizeof locator, locator, sizeof locator) &&
      hasSignature(locator, 6, 7)) {
    const uint64_t zip64End = get64(locator + 8);
    if (readAt(zip64End, record, sizeof record) && hasSignature(record, 6, 6)) {
      directorySize = get64(record + 40);
      directoryOffset = get64(record + 48);
      central = zip64End;
    }
  }
  if (directoryOffset > central || directorySize > central - directoryOffset) return;
  before_ = central - (directoryOffset + directorySize);
  directoryStart_ = before_ + directoryOffset;
  layoutKnown_ = true;
}

MemberSpan ZipArchive::spanOfCurrent(const ZipMember &member) const {
  MemberSpan span;
  if (!handle_ || !layoutKnown_) return span;
  const uint64_t recordAt = before_ + unzGetOffset64(handle_);
  unsigned char record[kCentralRecordSize];
  if (!readAt(recordAt, record, sizeof record) || !hasSignature(record, 1, 2)) return span;
  const uint16_t nameLength = get16(record + 28);
  std::vector<unsigned char> extra(get16(record + 30));
  if (!readAt(recordAt + sizeof record + nameLength, extra.data(), extra.size())) return span;
  span.method = get16(record + 10);

  uint64_t local = get32(record + 42);
  // The ZIP64 block holds, in this order, the fields whose 32-bit value is the
  // placeholder: uncompressed size, compressed size, local header offset.
  for (size_t at = 0; at + 4 <= extra.size();) {
    const uint16_t id = get16(&extra[at]);
    const size_t length = get16(&extra[at + 2]);
    const size_t body = at + 4;
    if (body + length > extra.size()) break;
    if (id == 0x0001) {
      size_t field = body;
      if (get32(record + 24) == kPlaceholder32) field += 8;
      if (get32(record + 20) == kPlaceholder32) field += 8;
      if (local == kPlaceholder32 && field + 8 <= body + length) local = get64(&extra[field]);
      break;
    }
    at = body + length;
  }

  span.start = before_ + local;
  unsigned char header[kLocalHeaderSize];
  if (span.start < before_ || !readAt(span.start, header, sizeof header) || !hasSignature(header, 3, 4)) return span;
  span.dataStart = span.start + sizeof header + get16(header + 26) + get16(header + 28);
  span.found = true;
  span.withinFile = span.dataStart <= fileSize_ && member.compressedSize <= fileSize_ - span.dataStart;
  span.end = span.withinFile ? span.dataStart + member.compressedSize : fileSize_;
  return span;
}

bool ZipArchive::membersOverlap() const {
  if (!handle_ || !layoutKnown_) return false;
  std::vector<std::pair<uint64_t, uint64_t>> spans;
  for (int rc = unzGoToFirstFile(handle_); rc == UNZ_OK; rc = unzGoToNextFile(handle_)) {
    ZipMember member;
    if (!readCurrentMember(handle_, member)) continue;
    const MemberSpan span = spanOfCurrent(member);
    if (!span.found || !span.withinFile) continue;
    // The directory runs from its start to the end of the file (end records and
    // comment included).
    if (span.end > directoryStart_) return true;
    spans.emplace_back(span.start, span.end);
  }
  std::sort(spans.begin(), spans.end());
  for (size_t i = 1; i < spans.size(); ++i)
    if (spans[i].first < spans[i - 1].second) return true;
  return false;
}

MemberReader::MemberReader(int fd, const MemberSpan &span, uint64_t compressedSize)
    : fd_(fd), next_(span.dataStart), remaining_(compressedSize), deflated_(span.method == Z_DEFLATED) {
  if (!span.found || !span.withinFile || (span.method != 0 && !deflated_)) {
    usable_ = false;
    return;
  }
  if (deflated_) {
    input_.resize(1 << 16);
    usable_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK;
    if (!usable_) deflated_ = false;
  }
}

MemberReader::~MemberReader() {
  if (deflated_) inflateEnd(&stream_);
}

long MemberReader::fill() {
  const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining_, input_.size()));
  ssize_t n;
  do {
    n = ::pread(fd_, input_.data(), want, static_cast<off_t>(next_));
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return -1;
  next_ += static_cast<uint64_t>(n);
  remaining_ -= static_cast<uint64_t>(n);
  stream_.next_in = input_.data();
  stream_.avail_in = static_cast<uInt>(n);
  return n;
}

long MemberReader::read(char *buffer, size_t size) {
  if (!usable_) return -1;
  if (!deflated_) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(remaining_, size));
    if (want == 0) return 0;
    ssize_t n;
    do {
      n = ::pread(fd_, buffer, want, static_cast<off_t>(next_));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return -1;
    next_ += static_cast<uint64_t>(n);
    remaining_ -= static_cast<uint64_t>(n);
    return static_cast<long>(n);
  }
  if (ended_) return 0;
  size = std::min<size_t>(size, 1u << 30);
  stream_.next_out = reinterpret_cast<Bytef *>(buffer);
  stream_.avail_out = static_cast<uInt>(size);
  while (stream_.avail_out > 0) {
    if (stream_.avail_in == 0 && remaining_ > 0 && fill() < 0) return -1;
    const int rc = inflate(&stream_, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      ended_ = true;
      break;
    }
    // No progress with all the data given (Z_BUF_ERROR): it ends before its stream.
    if (rc != Z_OK) return -1;
  }
  return static_cast<long>(size - stream_.avail_out);
}

} // namespace tavscan
