#include "scan_walker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/message_box.h"
#include "zip_listing.h"

namespace tavscan {
namespace {

constexpr uint64_t kEntriesPerClockCheck = 64;
constexpr auto kProgressInterval = std::chrono::milliseconds(200);

// Below this many entries a tree is walked on the caller's thread alone: a scan of
// a few folders ends before a second thread would have paid for itself.
constexpr uint64_t kEntriesBeforeReadAhead = 128;

// TAVSCAN_READ_AHEAD=0 keeps every scan on one thread, to compare the two walks.
bool readAheadWanted() {
  const char *value = std::getenv("TAVSCAN_READ_AHEAD");
  return !(value && std::strcmp(value, "0") == 0);
}

} // namespace

DiskScanner::DiskScanner(std::ostream &out, TavscanProgress progress, void *context)
    : out_(out), progress_(progress), context_(context) {} // the first check reports at once

DiskScanner::~DiskScanner() {
  reader_.stop();
}

CatalogDate DiskScanner::dateOf(time_t mtime, std::string_view name) const {
  if (auto date = catalogDateOf(mtime)) return *date;
  platform::showMessageBox("Warning: file date invalid",
                           "The file " + path_ + std::string(name) + " has invalid date information.\n" +
                               "A default catalog date will be assigned: Feb 5, 2036\n" + "Press OK to continue",
                           platform::BoxIcon::Warning);
  return kDefaultCatalogDate;
}

bool DiskScanner::scan(const ScanRoot &root) {
  reader_.stop();
  frames_.clear();
  entries_ = 0;
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
  reader_.reset(fd, st, root.rootFilter, root.childFilter, path_);
  bool readAhead = readAheadWanted();
  pushFolder(reader_.next().record);

  while (!frames_.empty()) {
    const size_t top = frames_.size() - 1;
    if (frames_[top].next == frames_[top].count()) {
      finishTop();
      continue;
    }
    ++entries_;
    if (entries_ % kEntriesPerClockCheck == 0) {
      if (!reportProgress()) {
        reader_.stop();
        frames_.clear();
        out_.flush();
        return false;
      }
      if (readAhead && entries_ >= kEntriesBeforeReadAhead) {
        reader_.start(); // without a thread the walk goes on as before
        readAhead = false;
      }
    }
    visit(frames_[top], frames_[top].next++);
  }
  reader_.stop();
  out_.flush();
  return true;
}

void DiskScanner::pushFolder(std::unique_ptr<FolderRecord> record) {
  Frame frame;
  frame.record = std::move(record);
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

  const bool released = top.record->parentReleased;
  reader_.recycle(std::move(top.record));
  frames_.pop_back();
  if (frames_.empty()) return;
  Frame &parent = frames_.back();
  // A parent the reader could not resume (the tree was moved meanwhile) ends here,
  // as it would have for a walk that gave its descriptor up itself.
  if (released) {
    const ReadItem item = reader_.next();
    if (item.kind != ReadItem::Return || !item.resumed) parent.next = parent.count();
  }
  path_.resize(parent.pathLength);
}

void DiskScanner::visit(Frame &frame, size_t index) {
  const FolderRecord &record = *frame.record;
  ReadEntry entry = record.entries[index];
  const std::string_view name = record.name(entry);
  // An entry that vanished or could not be examined once the folder was read is
  // passed over.
  if (entry.kind == ReadEntry::Unexamined && !(record.folder && examineEntry(record.folder->fd, name.data(), entry)))
    return;
  if (entry.kind == ReadEntry::Gone) return;
  const CatalogDate date = dateOf(entry.mtime, name);

  if (entry.kind == ReadEntry::Unexamined) {
    if (S_ISDIR(entry.mode)) {
      // Put in a file's place since the folder was read: written, not entered.
      out_.openFolder(name, 0, 0, date);
      out_.closeFolder();
      return;
    }
    if (S_ISREG(entry.mode) && isArchiveName(name)) {
      const std::string archive(name);
      listArchive(record.folder->fd, archive, path_ + archive, entry.size, date, out_);
      return;
    }
  }

  switch (entry.kind) {
  case ReadEntry::Folder:
  case ReadEntry::ForeignFolder: {
    // A folder's own size is written as 0: the size of a directory's index would
    // only hide the size of what it holds.
    out_.openFolder(name, 0, 0, date);
    ReadItem item;
    if (entry.kind == ReadEntry::Folder) item = reader_.next();
    if (item.kind != ReadItem::Record || !item.record) {
      out_.closeFolder();
      return;
    }
    path_ += name;
    path_ += '/';
    pushFolder(std::move(item.record)); // frame is no longer valid
    return;
  }
  case ReadEntry::Archive: {
    const ArchiveListing &listing = record.archives[entry.archive];
    for (const auto &[caption, text] : listing.warnings)
      platform::showMessageBox(caption, text, platform::BoxIcon::Warning);
    out_.text(listing.text);
    return;
  }
  default: {
    // Links are cataloged with their own data; FIFOs, sockets and devices as empty.
    const uint64_t size = S_ISREG(entry.mode) || S_ISLNK(entry.mode) ? entry.size : 0;
    const size_t start = frame.lineText.size();
    appendFileLine(frame.lineText, name, size, date);
    frame.lines.emplace_back(start, frame.lineText.size() - start);
    return;
  }
  }
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
