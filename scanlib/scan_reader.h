// scan_reader.h - the file-system half of a scan: reading and examining folders
// ahead of the catalog writer, on a second thread when the tree is large.
#ifndef SCANLIB_SCAN_READER_H
#define SCANLIB_SCAN_READER_H

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace tavscan {

// One entry of a folder as the reader examined it.
struct ReadEntry {
  enum Kind : uint8_t {
    Gone,          // vanished or could not be examined: passed over
    Folder,        // a folder on the root's filesystem: an item of the reader follows
    ForeignFolder, // a folder of another filesystem: written empty, never opened
    Archive,       // a regular file named as a ZIP archive: listed in the record
    Other,         // any other entry: one file line
    Unexamined,    // not a folder by its directory entry; the writer examines it
  };
  size_t nameOffset = 0; // in FolderRecord::names
  uint32_t nameLength = 0;
  Kind kind = Gone;
  mode_t mode = 0;
  uint64_t size = 0;
  time_t mtime = 0;
  uint32_t archive = 0; // index into FolderRecord::archives for an Archive
};

// A folder's descriptor, shared by the reader and the writer of a record that
// leaves entries to the writer; closed when both are done with it.
struct Descriptor {
  explicit Descriptor(int descriptor) : fd(descriptor) {}
  ~Descriptor();
  Descriptor(const Descriptor &) = delete;
  Descriptor &operator=(const Descriptor &) = delete;
  const int fd;
};

// An archive's catalog text, listed by the reader, and the warnings its listing
// would have shown: they are shown by the writer when it writes the text, so that
// every box appears on the caller's thread and in the order of the catalog.
struct ArchiveListing {
  std::string text;
  std::vector<std::pair<std::string, std::string>> warnings; // caption, text
};

// The entries of one folder in the order the file system gave them.
struct FolderRecord {
  std::string names; // each followed by a NUL
  std::vector<ReadEntry> entries;
  std::vector<ArchiveListing> archives;
  // Set when entries are left Unexamined: the folder, for examining them.
  std::shared_ptr<const Descriptor> folder;
  // The reader gave up the parent's descriptor for this folder: a ReadItem::Return
  // follows the folder's last item and tells whether the parent could be resumed.
  bool parentReleased = false;

  std::string_view name(const ReadEntry &entry) const { return {names.data() + entry.nameOffset, entry.nameLength}; }
};

// Only the exact spellings ".zip" and ".ZIP" of the last extension make an archive.
bool isArchiveName(std::string_view name);

// Examines an entry left Unexamined in the folder open at folderFd: its mode, size
// and time. False when it vanished or cannot be examined.
bool examineEntry(int folderFd, const char *name, ReadEntry &entry);

// What the reader hands over, in the order a depth-first writer needs it: the root
// folder's record first; then for each Folder entry, where the writer meets it, the
// subfolder's record (null when it could not be opened) and everything below it;
// and a Return after a folder whose record says parentReleased.
struct ReadItem {
  enum Kind : uint8_t { Record, Return, End };
  Kind kind = End;
  std::unique_ptr<FolderRecord> record; // Record: null for a folder not opened
  bool resumed = false;                 // Return: false cuts the parent short
  size_t weight = 0;                    // entries in record, for the look-ahead bound
};

// Walks the tree depth first with its own stack, never following a symbolic link,
// never opening a folder of another filesystem than the root's, and holding a
// bounded number of descriptors however deep the tree is. Until start() it works
// only when next() asks for an item; after start() a thread reads ahead of the
// writer, at most about kLookAhead entries.
//
// Folders are always examined here; other entries only while the writer is behind.
// Otherwise they are left to the writer, which has less to do per entry: two
// threads that both examine entries finish sooner than one that examines them all.
class FolderReader {
public:
  FolderReader() = default;
  ~FolderReader();
  FolderReader(const FolderReader &) = delete;
  FolderReader &operator=(const FolderReader &) = delete;

  // Takes fd, the open root folder, and reads it with rootFilter, every folder
  // below with childFilter; path is the root's path ending in "/".
  void reset(int fd, const struct stat &st, const std::string &rootFilter, const std::string &childFilter,
             const std::string &path);

  // Reads ahead on a thread of its own from now on. False when no thread could be
  // started; the reader goes on working on demand then.
  bool start();

  // The next item in depth-first order; End when the walk is over. Rethrows what the
  // reading thread failed with.
  ReadItem next();

  // Gives a written record back for the reader to fill again: its buffers then stay
  // with the thread that fills them instead of being freed on the other one.
  void recycle(std::unique_ptr<FolderRecord> record);

  // Stops the reading thread and closes every descriptor.
  void stop();

private:
  struct Subfolder {
    size_t nameOffset, nameLength; // in Frame::names
    dev_t dev;
    ino_t ino;
  };
  struct Frame {
    std::shared_ptr<const Descriptor> folder; // null while a deeper folder holds the descriptors
    int fd() const { return folder ? folder->fd : -1; }
    dev_t dev = 0;
    ino_t ino = 0;
    std::string names; // of the subfolders, one after another
    std::vector<Subfolder> subfolders;
    size_t next = 0;
    size_t pathLength = 0;
  };

  bool step();
  void pushFolder(int fd, dev_t dev, ino_t ino, const std::string &filter);
  bool leaveToWriter();
  void publish(ReadItem item);
  void run();

  // In entries (a folder counts one more than it holds): the reader stops when this
  // many wait for the writer and goes on when half of them are written.
  static constexpr size_t kLookAhead = 32768;
  static constexpr size_t kWakeBatch = 1024;
  static constexpr auto kWriterPatience = std::chrono::milliseconds(50);
  // The reader examines every entry itself once this many wait for the writer.
  static constexpr size_t kWriterBehind = 2048;
  // Records that share their folder's descriptor, at most, waiting in the queue.
  static constexpr size_t kQueuedFolders = 64;
  // Records kept for filling again, and the largest folder whose record is kept.
  static constexpr size_t kSpareRecords = 32;
  static constexpr size_t kSpareEntries = 4096;

  std::vector<Frame> frames_;
  std::string path_;
  std::string childFilter_;
  std::vector<char> directoryBuffer_;
  dev_t rootDev_ = 0;

  std::mutex mutex_;
  std::condition_variable readerWake_, writerWake_;
  std::deque<ReadItem> queue_;
  std::vector<std::unique_ptr<FolderRecord>> spare_;
  size_t queuedEntries_ = 0;
  size_t queuedFolders_ = 0; // records in queue_ with a folder descriptor
  bool readerWaiting_ = false, writerWaiting_ = false, done_ = false;
  bool onThread_ = false; // set by start(), before the thread runs; cleared by stop()
  std::atomic<bool> stopping_{false};
  std::exception_ptr failure_;
  std::thread thread_;
};

} // namespace tavscan

#endif // SCANLIB_SCAN_READER_H
