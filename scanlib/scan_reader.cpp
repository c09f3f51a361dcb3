#include "scan_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <system_error>

#include "catalog_date.h"
#include "scan_output.h"
#include "zip_listing.h"

namespace tavscan {
namespace {

// Folders nearer the root than this keep their descriptor while a subfolder is
// read; deeper ones give it up and get it back through the subfolder's "..", so
// that a tree of any depth needs only this many descriptors.
constexpr size_t kHeldDepth = 128;

// Only folders this near the root share their descriptor with the writer, which
// keeps it until it has written the folder: that bounds what the two hold together.
constexpr size_t kSharedDepth = 64;

// How often a large folder's examination looks whether the scan was stopped.
constexpr size_t kEntriesPerStopCheck = 1024;

bool takesAll(const std::string &filter) {
  return filter.empty() || filter == "*" || filter == "*.*";
}

bool matches(const std::string &filter, const char *name) {
  return takesAll(filter) || ::fnmatch(filter.c_str(), name, FNM_NOESCAPE) == 0;
}

// Directory entries are read straight into one buffer shared by every folder of the
// walk, large enough that most folders take one call: opendir would cost a dup, a
// status check and a close of its own for each folder, and a smaller buffer.
constexpr size_t kDirectoryBuffer = 1 << 17;

// The names of the folder open at fd, in the order the file system gives them.
void readNames(int fd, const std::string &filter, std::vector<char> &buffer, FolderRecord &record) {
  if (buffer.size() < kDirectoryBuffer) buffer.resize(kDirectoryBuffer);
  for (;;) {
    const ssize_t got = ::getdents64(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    // Sized once per call: the record is freed on the other thread, and every piece
    // of it given back there costs more than one given back where it was taken.
    size_t count = 0, bytes = 0;
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer.data() + at);
      at += entry->d_reclen;
      ++count;
      bytes += std::strlen(entry->d_name) + 1;
    }
    record.entries.reserve(record.entries.size() + count);
    record.names.reserve(record.names.size() + bytes);
    for (ssize_t at = 0; at < got;) {
      const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer.data() + at);
      at += entry->d_reclen;
      const char *n = entry->d_name;
      if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      if (!matches(filter, n)) continue;
      ReadEntry e;
      // A file system that does not give types in its entries has them examined.
      e.kind = entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN ? ReadEntry::Gone : ReadEntry::Unexamined;
      e.nameOffset = record.names.size();
      e.nameLength = static_cast<uint32_t>(std::strlen(n));
      record.names.append(n, e.nameLength + 1); // with its NUL, for the calls that take it
      record.entries.push_back(e);
    }
  }
}

// What the catalog needs of an entry, and no more: type, size, modification time,
// and the device and inode that tell a mount point or a swapped folder. Filesystems
// that compute the other fields (counts of blocks, other times) need not.
bool statEntry(int dirFd, const char *name, struct statx &x) {
  return ::statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO,
                 &x) == 0;
}

int openFolderAt(int parentFd, const char *name) {
  return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool sameFile(int fd, dev_t dev, ino_t ino) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

} // namespace

bool isArchiveName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot);
  return extension == ".zip" || extension == ".ZIP";
}

bool examineEntry(int folderFd, const char *name, ReadEntry &entry) {
  struct statx x;
  if (!statEntry(folderFd, name, x)) return false;
  entry.mode = x.stx_mode;
  entry.size = x.stx_size;
  entry.mtime = static_cast<time_t>(x.stx_mtime.tv_sec);
  return true;
}

Descriptor::~Descriptor() {
  ::close(fd);
}

FolderReader::~FolderReader() {
  stop();
}

void FolderReader::reset(int fd, const struct stat &st, const std::string &rootFilter, const std::string &childFilter,
                         const std::string &path) {
  stop();
  rootDev_ = st.st_dev;
  childFilter_ = childFilter;
  path_ = path;
  pushFolder(fd, st.st_dev, st.st_ino, rootFilter);
}

bool FolderReader::start() {
  if (onThread_) return true;
  onThread_ = true; // read by the new thread: set before it exists
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error &) {
    onThread_ = false;
  }
  return onThread_;
}

void FolderReader::run() {
  try {
    while (!stopping_.load(std::memory_order_relaxed) && step()) {
    }
  } catch (...) {
    failure_ = std::current_exception();
  }
  std::lock_guard lock(mutex_);
  done_ = true;
  writerWake_.notify_one();
}

void FolderReader::stop() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      readerWake_.notify_one();
    }
    thread_.join();
  }
  frames_.clear(); // their descriptors close with the last record that shares them
  queue_.clear();
  queuedEntries_ = queuedFolders_ = 0;
  readerWaiting_ = writerWaiting_ = done_ = onThread_ = false;
  stopping_ = false;
  failure_ = nullptr;
}

ReadItem FolderReader::next() {
  std::unique_lock lock(mutex_);
  if (!onThread_) {
    // Every step hands over at least one item.
    while (queue_.empty()) {
      lock.unlock();
      step();
      lock.lock();
    }
  } else {
    // Once out of work, the writer sleeps until a batch is ready: waking it for each
    // folder would cost two system calls a folder, and on a busy machine the wait
    // for a processor after each wake-up. From a reader slowed down by the disk it
    // takes what there is after a while, so that progress calls do not wait on it.
    if (queue_.empty()) {
      writerWaiting_ = true;
      while (!writerWake_.wait_for(lock, kWriterPatience, [this] { return queuedEntries_ >= kWakeBatch || done_; }) &&
             queue_.empty()) {
      }
      writerWaiting_ = false;
    }
    if (queue_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return {};
    }
  }
  ReadItem item = std::move(queue_.front());
  queue_.pop_front();
  queuedEntries_ -= item.weight;
  if (item.record && item.record->folder) --queuedFolders_;
  // Woken only once half the look-ahead is used up, not for every folder.
  if (readerWaiting_ && queuedEntries_ <= kLookAhead / 2) readerWake_.notify_one();
  return item;
}

void FolderReader::recycle(std::unique_ptr<FolderRecord> record) {
  if (!record || record->entries.capacity() > kSpareEntries || record->names.capacity() > kSpareEntries * 32) return;
  record->folder.reset(); // closes the descriptor here when the reader is done with it
  std::lock_guard lock(mutex_);
  if (spare_.size() < kSpareRecords) spare_.push_back(std::move(record));
}

void FolderReader::publish(ReadItem item) {
  std::unique_lock lock(mutex_);
  queuedEntries_ += item.weight;
  if (item.record && item.record->folder) ++queuedFolders_;
  queue_.push_back(std::move(item));
  if (writerWaiting_ && queuedEntries_ >= kWakeBatch) writerWake_.notify_one();
  if (!onThread_) return;
  while (queuedEntries_ > kLookAhead && !stopping_) {
    readerWaiting_ = true;
    readerWake_.wait(lock);
    readerWaiting_ = false;
  }
}

// On demand the writer examines entries in any case; a reading thread leaves them
// to it only while it is not behind, and while few shared descriptors wait.
bool FolderReader::leaveToWriter() {
  if (!onThread_) return true;
  std::lock_guard lock(mutex_);
  return queuedEntries_ < kWriterBehind && queuedFolders_ < kQueuedFolders;
}

// Hands over the next item (or items); false once the walk is over.
bool FolderReader::step() {
  for (;;) {
    if (frames_.empty()) {
      ReadItem end;
      end.weight = 1;
      publish(std::move(end));
      return false;
    }
    Frame &top = frames_.back();
    if (top.next < top.subfolders.size()) {
      const Subfolder sub = top.subfolders[top.next++];
      const std::string name(top.names, sub.nameOffset, sub.nameLength);
      // Opened without following a link, and only if it is still the folder that was
      // examined: it may have been replaced since.
      int child = openFolderAt(top.fd(), name.c_str());
      if (child >= 0 && !sameFile(child, sub.dev, sub.ino)) {
        ::close(child);
        child = -1;
      }
      if (child < 0) {
        ReadItem item;
        item.kind = ReadItem::Record;
        item.weight = 1;
        publish(std::move(item));
        return true;
      }
      path_ += name;
      path_ += '/';
      pushFolder(child, sub.dev, sub.ino, childFilter_); // top is no longer valid
      return true;
    }

    bool returned = false;
    if (frames_.size() >= 2) {
      Frame &parent = frames_[frames_.size() - 2];
      if (!parent.folder) {
        // The parent gave its descriptor up; take it back through "..", and only if
        // it is still the same folder (the tree may have been moved meanwhile).
        const int fd = top.folder ? ::openat(top.fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        ReadItem item;
        item.kind = ReadItem::Return;
        item.weight = 1;
        if (fd >= 0 && sameFile(fd, parent.dev, parent.ino)) {
          parent.folder = std::make_shared<const Descriptor>(fd);
          item.resumed = true;
        } else {
          if (fd >= 0) ::close(fd);
          parent.next = parent.subfolders.size();
        }
        returned = true;
        publish(std::move(item));
      }
      path_.resize(parent.pathLength);
    }
    frames_.pop_back();
    if (returned) return true;
  }
}

void FolderReader::pushFolder(int fd, dev_t dev, ino_t ino, const std::string &filter) {
  std::unique_ptr<FolderRecord> record;
  {
    std::lock_guard lock(mutex_);
    if (!spare_.empty()) {
      record = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  if (record) {
    record->names.clear();
    record->entries.clear();
    record->archives.clear();
    record->parentReleased = false;
  } else {
    record = std::make_unique<FolderRecord>();
  }
  if (frames_.size() > kHeldDepth && frames_.back().folder) {
    frames_.back().folder.reset();
    record->parentReleased = true;
  }
  Frame frame;
  frame.folder = std::make_shared<const Descriptor>(fd);
  frame.dev = dev;
  frame.ino = ino;
  frame.pathLength = path_.size();
  readNames(fd, filter, directoryBuffer_, *record);

  const bool leave = frames_.size() < kSharedDepth && leaveToWriter();
  bool left = false;
  for (size_t i = 0; i < record->entries.size(); ++i) {
    if (i % kEntriesPerStopCheck == kEntriesPerStopCheck - 1 && stopping_.load(std::memory_order_relaxed)) break;
    ReadEntry &e = record->entries[i];
    if (leave && e.kind == ReadEntry::Unexamined) {
      left = true;
      continue;
    }
    const std::string_view name = record->name(e);
    struct statx x;
    if (!statEntry(fd, name.data(), x)) {
      e.kind = ReadEntry::Gone;
      continue;
    }
    e.mode = x.stx_mode;
    e.size = x.stx_size;
    e.mtime = static_cast<time_t>(x.stx_mtime.tv_sec);
    if (S_ISDIR(e.mode)) {
      const dev_t entryDev = makedev(x.stx_dev_major, x.stx_dev_minor);
      e.kind = entryDev == rootDev_ ? ReadEntry::Folder : ReadEntry::ForeignFolder;
      if (e.kind == ReadEntry::Folder) {
        frame.subfolders.push_back({frame.names.size(), name.size(), entryDev, static_cast<ino_t>(x.stx_ino)});
        frame.names.append(name);
      }
    } else if (S_ISREG(e.mode) && isArchiveName(name)) {
      e.kind = ReadEntry::Archive;
      e.archive = static_cast<uint32_t>(record->archives.size());
      ArchiveListing &listing = record->archives.emplace_back();
      const std::string archiveName(name);
      std::ostringstream text;
      {
        CatalogOutput out(text);
        listArchive(fd, archiveName, path_ + archiveName, e.size, catalogDateOf(e.mtime).value_or(kDefaultCatalogDate),
                    out, &listing.warnings);
      }
      listing.text = text.str();
    } else {
      e.kind = ReadEntry::Other;
    }
  }
  if (left) record->folder = frame.folder;
  frames_.push_back(std::move(frame));

  ReadItem item;
  item.kind = ReadItem::Record;
  item.weight = record->entries.size() + 1;
  item.record = std::move(record);
  publish(std::move(item));
}

} // namespace tavscan
