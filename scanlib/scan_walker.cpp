#include "scan_walker.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/message_box.h"
#include "zip_listing.h"

namespace tavscan {
namespace {

// Folders nearer the root than this keep their descriptor while a subfolder is
// read; deeper ones give it up and get it back through the subfolder's "..", so
// that a tree of any depth needs only this many descriptors.
constexpr size_t kHeldDepth = 128;
constexpr uint64_t kEntriesPerClockCheck = 64;
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

bool takesAll(const std::string &filter) {
  return filter.empty() || filter == "*" || filter == "*.*";
}

bool matches(const std::string &filter, const char *name) {
  return takesAll(filter) || ::fnmatch(filter.c_str(), name, FNM_NOESCAPE) == 0;
}

// Only the exact spellings ".zip" and ".ZIP" of the last extension make an archive.
bool isArchiveName(const std::string &name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string_view extension(name.data() + dot, name.size() - dot);
  return extension == ".zip" || extension == ".ZIP";
}

// Directory entries are read straight into one buffer shared by every folder of the
// walk, large enough that most folders take one call: opendir would cost a dup, a
// status check and a close of its own for each folder, and a smaller buffer.
constexpr size_t kDirectoryBuffer = 1 << 17;

// The names of the folder open at fd, in the order the file system gives them.
std::vector<std::string> readNames(int fd, const std::string &filter, std::vector<char> &buffer) {
  std::vector<std::string> names;
  if (buffer.size() < kDirectoryBuffer) buffer.resize(kDirectoryBuffer);
  for (;;) {
    const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer.data() + at);
      at += entry->d_reclen;
      const char *n = entry->d_name;
      if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      if (matches(filter, n)) names.emplace_back(n);
    }
  }
  return names;
}

// What the catalog needs of an entry, and no more: type, size, modification time,
// and the device and inode that tell a mount point or a swapped folder. Filesystems
// that compute the other fields (counts of blocks, other times) need not.
bool statEntry(int dirFd, const char *name, struct stat &st) {
  struct statx x;
  if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO, &x) !=
      0)
    return false;
  st = {};
  st.st_mode = x.stx_mode;
  st.st_ino = x.stx_ino;
  st.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
  st.st_size = static_cast<off_t>(x.stx_size);
  st.st_mtim.tv_sec = x.stx_mtime.tv_sec;
  st.st_mtim.tv_nsec = x.stx_mtime.tv_nsec;
  return true;
}

int openFolderAt(int parentFd, const char *name) {
  return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool sameFile(int fd, const struct stat &expected) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
}

} // namespace

DiskScanner::DiskScanner(std::ostream &out, TavscanProgress progress, void *context)
    : out_(out), progress_(progress), context_(context) {} // the first check reports at once

DiskScanner::~DiskScanner() {
  closeAll();
}

void DiskScanner::closeAll() {
  for (auto &frame : frames_) {
    if (frame.fd >= 0) ::close(frame.fd);
  }
  frames_.clear();
}

CatalogDate DiskScanner::dateOf(const struct stat &st, const std::string &name) const {
  if (auto date = catalogDateOf(st.st_mtime)) return *date;
  platform::showMessageBox("Warning: file date invalid",
                           "The file " + path_ + name + " has invalid date information.\n" +
                               "A default catalog date will be assigned: Feb 5, 2036\n" + "Press OK to continue",
                           platform::BoxIcon::Warning);
  return kDefaultCatalogDate;
}

bool DiskScanner::scan(const ScanRoot &root) {
  closeAll();
  entries_ = 0;
  childFilter_ = root.childFilter;
  path_ = root.folder;
  // A pattern without a folder names the current one; its entries are named as such.
  if (!path_.empty() && path_.back() != '/') path_ += '/';

  out_.openFolder(root.name, root.sizeA, root.sizeB, root.date);
  const int fd = ::open(root.folder.empty() ? "." : root.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  struct stat st;
  rootOpened_ = fd >= 0 && ::fstat(fd, &st) == 0;
  if (!rootOpened_) {
    if (fd >= 0) ::close(fd);
    out_.closeFolder();
    out_.flush();
    return true;
  }
  rootDev_ = st.st_dev;
  pushFolder(fd, st, root.rootFilter);

  while (!frames_.empty()) {
    const size_t top = frames_.size() - 1;
    if (frames_[top].next == frames_[top].count()) {
      finishTop();
      continue;
    }
    ++entries_;
    if (entries_ % kEntriesPerClockCheck == 0 && !reportProgress()) {
      closeAll();
      out_.flush();
      return false;
    }
    visit(frames_[top], frames_[top].next++);
  }
  out_.flush();
  return true;
}

void DiskScanner::pushFolder(int fd, const struct stat &st, const std::string &filter) {
  if (frames_.size() > kHeldDepth && frames_.back().fd >= 0) {
    ::close(frames_.back().fd);
    frames_.back().fd = -1;
  }
  Frame frame;
  frame.fd = fd;
  frame.dev = st.st_dev;
  frame.ino = st.st_ino;
  frame.names = readNames(fd, filter, directoryBuffer_);
  frame.pathLength = path_.size();
  frames_.push_back(std::move(frame));
}

void DiskScanner::finishTop() {
  Frame &top = frames_.back();
  const std::string_view text = top.lineText;
  auto lineAt = [text](const std::pair<size_t, size_t> &span) { return text.substr(span.first, span.second); };
  std::sort(top.lines.begin(), top.lines.end(), [&](const auto &a, const auto &b) { return lineAt(a) < lineAt(b); });
  for (const auto &span : top.lines)
    out_.fileLine(lineAt(span));
  out_.closeFolder();

  if (frames_.size() >= 2) {
    Frame &parent = frames_[frames_.size() - 2];
    if (parent.fd < 0) {
      // The parent gave its descriptor up; take it back through "..", and only if
      // it is still the same folder (the tree may have been moved meanwhile).
      const int fd = top.fd >= 0 ? ::openat(top.fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
      struct stat expected {};
      expected.st_dev = parent.dev;
      expected.st_ino = parent.ino;
      if (fd >= 0 && sameFile(fd, expected)) {
        parent.fd = fd;
      } else {
        if (fd >= 0) ::close(fd);
        parent.next = parent.count();
      }
    }
    path_.resize(parent.pathLength);
  }
  if (top.fd >= 0) ::close(top.fd);
  frames_.pop_back();
}

void DiskScanner::visit(Frame &frame, size_t index) {
  const std::string &name = frame.name(index);
  struct stat st;
  // An entry that vanished or cannot be examined since the folder was read is
  // passed over.
  if (!statEntry(frame.fd, name.c_str(), st)) return;
  const CatalogDate date = dateOf(st, name);

  if (S_ISDIR(st.st_mode)) {
    // A folder's own size is written as 0: the size of a directory's index would
    // only hide the size of what it holds.
    int child = st.st_dev == rootDev_ ? openFolderAt(frame.fd, name.c_str()) : -1;
    if (child >= 0 && !sameFile(child, st)) {
      ::close(child);
      child = -1;
    }
    out_.openFolder(name, 0, 0, date);
    if (child < 0) {
      out_.closeFolder();
      return;
    }
    path_ += name;
    path_ += '/';
    pushFolder(child, st, childFilter_); // frame is no longer valid
    return;
  }

  if (S_ISREG(st.st_mode) && isArchiveName(name)) {
    listArchive(frame.fd, name, path_ + name, static_cast<uint64_t>(st.st_size), date, out_);
    return;
  }

  // Links are cataloged with their own data; FIFOs, sockets and devices as empty.
  const uint64_t size = S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  const size_t start = frame.lineText.size();
  appendFileLine(frame.lineText, name, size, date);
  frame.lines.emplace_back(start, frame.lineText.size() - start);
}

bool DiskScanner::reportProgress() {
  if (!progress_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now - lastReport_ < kProgressInterval) return true;
  lastReport_ = now;
  std::string folder = path_;
  if (folder.size() > 1) folder.pop_back();
  return progress_(entries_, folder.c_str(), context_);
}

} // namespace tavscan
