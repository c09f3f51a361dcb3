#include "tools/disk_compare.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "model/catalog_loader.h"
#include "model/names.h"
#include "platform/catalog_label.h"
#include "platform/files.h"

namespace tavlor {

namespace {

std::string joinPath(const std::string &folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

// Candidates of one folder (its catalog sub-folders or its files) to be matched by
// name and taken at most once each: the first not yet taken in list order wins. A
// folder of many entries is matched through its candidates in order of their names
// ignoring case, so the walk stays n log n and allocates nothing per name.
class NameMatcher {
public:
  explicit NameMatcher(std::vector<std::string_view> names) : names_(std::move(names)), taken_(names_.size(), false) {
    if (names_.size() > kLinearLimit) {
      byFolded_.resize(names_.size());
      for (std::uint32_t i = 0; i < byFolded_.size(); ++i)
        byFolded_[i] = i;
      // Equal names ignoring case stay in list order.
      std::stable_sort(byFolded_.begin(), byFolded_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return compareIgnoringCase(names_[a], names_[b]) < 0;
      });
    }
  }

  // The index of the first untaken candidate equal to name (exactly, or ignoring
  // ASCII case), marked taken; -1 when none.
  long take(std::string_view name, bool exact) {
    auto fits = [&](std::size_t i) {
      return !taken_[i] && (exact ? names_[i] == name : equalIgnoringCase(names_[i], name));
    };
    if (names_.size() <= kLinearLimit) {
      for (std::size_t i = 0; i < names_.size(); ++i) {
        if (fits(i)) return mark(i);
      }
      return -1;
    }
    auto at = std::lower_bound(byFolded_.begin(), byFolded_.end(), name, [this](std::uint32_t i, std::string_view n) {
      return compareIgnoringCase(names_[i], n) < 0;
    });
    for (; at != byFolded_.end() && equalIgnoringCase(names_[*at], name); ++at) {
      if (fits(*at)) return mark(*at);
    }
    return -1;
  }

  bool taken(std::size_t i) const { return taken_[i]; }

private:
  static constexpr std::size_t kLinearLimit = 8;
  long mark(std::size_t i) {
    taken_[i] = true;
    return static_cast<long>(i);
  }
  std::vector<std::string_view> names_;
  std::vector<bool> taken_;
  std::vector<std::uint32_t> byFolded_; // candidates by name ignoring case, then in list order
};

bool sameFolder(int fd, dev_t dev, ino_t ino) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

} // namespace

const char *statusText(CompareStatus status) {
  switch (status) {
  case CompareStatus::NewDirectory:
    return "new directory";
  case CompareStatus::New:
    return "new";
  case CompareStatus::Modified:
    return "modified";
  case CompareStatus::DeletedDirectory:
    return "deleted directory";
  case CompareStatus::Deleted:
    return "deleted";
  case CompareStatus::Identical:
    return "Identical";
  }
  return "";
}

int statusIcon(CompareStatus status) {
  switch (status) {
  case CompareStatus::NewDirectory:
  case CompareStatus::New:
    return 10;
  case CompareStatus::Modified:
    return 7;
  case CompareStatus::DeletedDirectory:
  case CompareStatus::Deleted:
    return 9;
  case CompareStatus::Identical:
    return 8;
  }
  return 8;
}

std::string catalogName(std::string_view diskName) {
  return platform::catalogLabel(diskName);
}

std::time_t catalogTime(std::time_t when) {
  if (when > 0 && when <= INT32_MAX) {
    struct tm local;
    if (localtime_r(&when, &local)) {
      const int year = local.tm_year + 1900;
      // The scanner writes dates up to 2038, but the loader keeps none after 2035.
      if (year >= 1970 && year <= kLastCatalogYear)
        return localCalendarTime(local.tm_mday, local.tm_mon + 1, year, local.tm_hour, local.tm_min, local.tm_sec);
    }
  }
  return localCalendarTime(5, 2, 2036, 0, 0, 0);
}

// One folder of the walk: what the disk listing found, paired with the catalog's
// sub-folders and files of the same folder, and how far the walk has got in it.
struct DiskCompare::Frame {
  struct Listed {
    std::string name; // as the disk spells it, to open it
    // As a catalog would hold it: most names are held as they are spelt.
    const std::string &shown() const { return differs ? catalogForm : name; }
    std::string catalogForm; // only where it differs
    bool differs = false;
    bool directory = false;
    bool enter = false; // a folder of the compared filesystem, to be read
    std::int64_t size = 0;
    std::time_t time = 0;
    dev_t dev = 0;
    ino_t ino = 0;
    ItemId folder = kNoItem;        // the catalog folder paired with a directory
    const FileData *file = nullptr; // the catalog file paired with a file
  };

  std::string name;  // the folder's own name on the disk (the root's path for the root)
  std::string shown; // the folder's disk path with the names as a catalog holds them
  ItemId item = kNoItem;
  bool root = false;
  bool onDisk = false;
  dev_t dev = 0; // what the parent's listing saw under name
  ino_t ino = 0;
  // Open while the frame is on the stack, for opening the folders below it, in the
  // top levels and every 64th level below them: a deep tree costs few descriptors and
  // no path grows past the system's limit.
  int fd = -1;
  std::vector<Listed> listing;
  std::vector<ItemId> leftFolders;
  std::vector<const FileData *> leftFiles;
  std::size_t next = 0, nextFolder = 0, nextFile = 0;
};

DiskCompare::DiskCompare(CatalogModel &model) : model_(model) {
  model_.addObserver(this);
}

DiskCompare::~DiskCompare() {
  model_.removeObserver(this);
}

ItemId DiskCompare::findDisk(std::string_view label) const {
  // Labels of loaded disks never differ in case only, so the first fit is the one.
  return model_.findChild(model_.root(), label, true);
}

void DiskCompare::clear() {
  rows_.clear();
  records_.clear();
  kept_.clear();
  rootReadable_ = true;
}

bool DiskCompare::run(const std::string &root, std::string_view label) {
  clear();
  const ItemId disk = findDisk(platform::catalogLabel(label));
  if (disk == kNoItem) return false;
  runFrom(root, disk);
  return true;
}

void DiskCompare::runFrom(const std::string &root, ItemId item) {
  clear();
  walk(root, item);
  // Grouped like a list kept sorted descending by status text; the walk order stays
  // within a group.
  std::stable_sort(rows_.begin(), rows_.end(), [](const CompareRow &a, const CompareRow &b) {
    return std::strcmp(statusText(a.status), statusText(b.status)) > 0;
  });
  if (rows_.empty()) addRow(CompareStatus::Identical, nullptr, -1);
}

void DiskCompare::openFrame(std::vector<Frame> &frames) {
  Frame &frame = frames.back();
  // The catalog side: sub-folders in tree order without the Zip Folders, which are
  // compared as the files they are on the disk, and the files with the Zip Folders.
  std::vector<ItemId> folders;
  std::vector<const FileData *> files;
  if (frame.item != kNoItem && model_.isValid(frame.item)) {
    for (ItemId child : model_.childrenOf(frame.item)) {
      if (!isZipFolderName(model_.label(child))) folders.push_back(child);
    }
    for (const FileData *e : model_.filesAndZipFoldersOf(frame.item))
      files.push_back(e);
  }

  if (frame.onDisk) {
    int fd = -1;
    if (frame.root) {
      fd = ::open(frame.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      struct stat st;
      if (fd >= 0 && ::fstat(fd, &st) == 0) rootDev_ = st.st_dev;
    } else {
      // From the nearest folder above that is still open, never through a link.
      std::vector<std::string> components{frame.name};
      std::size_t above = frames.size() - 1;
      while (above > 0 && frames[above - 1].fd < 0)
        components.insert(components.begin(), frames[--above].name);
      if (above > 0) fd = platform::openFolderBelow(frames[above - 1].fd, components, false);
      // The folder read must be the one the parent listed: nothing swapped in between.
      if (fd >= 0 && !sameFolder(fd, frame.dev, frame.ino)) {
        ::close(fd);
        fd = -1;
      }
    }
    if (fd < 0 && frame.root) rootReadable_ = false;
    // The entries straight from the folder's own descriptor into one buffer for the
    // whole walk, as the scanner reads them: a directory stream would cost a duplicate
    // descriptor, its checks and a close per folder, and read 32 KB at a time.
    if (fd >= 0 && listBuffer_.empty()) listBuffer_.resize(std::size_t(1) << 17);
    for (ssize_t got; fd >= 0 && (got = ::getdents64(fd, listBuffer_.data(), listBuffer_.size())) != 0;) {
      if (got < 0) {
        if (errno == EINTR) continue;
        break;
      }
      std::size_t count = 0;
      for (ssize_t at = 0; at < got; ++count)
        at += reinterpret_cast<const struct dirent64 *>(listBuffer_.data() + at)->d_reclen;
      frame.listing.reserve(frame.listing.size() + count);
      for (ssize_t at = 0; at < got;) {
        const auto *d = reinterpret_cast<const struct dirent64 *>(listBuffer_.data() + at);
        at += d->d_reclen;
        const char *name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        // Only what the compare needs: file systems that compute the other fields need not.
        struct statx st;
        if (::statx(fd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_INO,
                    &st) != 0)
          continue; // gone meanwhile
        Frame::Listed item;
        item.name = name;
        item.differs = !platform::catalogHoldsAsItIs(item.name);
        if (item.differs) item.catalogForm = catalogName(item.name);
        item.directory = S_ISDIR(st.stx_mode);
        item.dev = makedev(st.stx_dev_major, st.stx_dev_minor);
        item.enter = item.directory && item.dev == rootDev_;
        // A folder's own size is 0, as a catalog holds it; only files and links
        // have a size of their own.
        item.size = S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode) ? static_cast<std::int64_t>(st.stx_size) : 0;
        item.time = static_cast<std::time_t>(st.stx_mtime.tv_sec);
        item.ino = st.stx_ino;
        frame.listing.push_back(std::move(item));
      }
    }
    const std::size_t depth = frames.size() - 1;
    if (fd >= 0 && (depth < 100 || depth % 64 == 0)) {
      frame.fd = fd;
    } else if (fd >= 0) {
      ::close(fd);
    }
  }

  // Exact names are paired first, over the whole listing, so that case twins such
  // as Photos and photos each find their own catalog folder; what is left is then
  // paired ignoring case.
  std::vector<std::string_view> folderNames, fileNames;
  for (ItemId f : folders)
    folderNames.push_back(model_.label(f));
  for (const FileData *e : files)
    fileNames.push_back(e->name());
  NameMatcher folderMatch(std::move(folderNames)), fileMatch(std::move(fileNames));
  for (bool exact : {true, false}) {
    for (Frame::Listed &l : frame.listing) {
      if (l.directory) {
        if (l.folder != kNoItem) continue;
        const long i = folderMatch.take(l.shown(), exact);
        if (i >= 0) l.folder = folders[static_cast<std::size_t>(i)];
      } else {
        if (l.file) continue;
        const long i = fileMatch.take(l.shown(), exact);
        if (i >= 0) l.file = files[static_cast<std::size_t>(i)];
      }
    }
  }
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (!folderMatch.taken(i)) frame.leftFolders.push_back(folders[i]);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!fileMatch.taken(i)) frame.leftFiles.push_back(files[i]);
  }
}

void DiskCompare::walk(const std::string &root, ItemId top) {
  // Its own stack rather than recursion: folders may nest deeper than the call stack.
  std::vector<Frame> frames;
  rootDev_ = 0;
  Frame first;
  first.name = root;
  first.shown = root;
  first.item = top;
  first.root = true;
  first.onDisk = true;
  frames.push_back(std::move(first));
  openFrame(frames);
  while (!frames.empty()) {
    Frame &f = frames.back();
    if (f.next < f.listing.size()) {
      const Frame::Listed &l = f.listing[f.next++];
      if (l.directory) {
        if (l.folder == kNoItem)
          addRow(CompareStatus::NewDirectory, nullptr, addRecord({l.shown(), 0, catalogTime(l.time), f.shown}));
        Frame child;
        child.name = l.name;
        child.shown = joinPath(f.shown, l.shown());
        child.item = l.folder;
        child.onDisk = l.enter;
        child.dev = l.dev;
        child.ino = l.ino;
        frames.push_back(std::move(child)); // f is no longer valid
        openFrame(frames);
      } else if (l.file) {
        const bool sameDate = l.file->date() == l.time || l.file->date() == catalogTime(l.time);
        if (l.file->size() != l.size || !sameDate)
          addRow(CompareStatus::Modified, l.file, addRecord({l.shown(), l.size, catalogTime(l.time), {}}));
      } else {
        addRow(CompareStatus::New, nullptr, addRecord({l.shown(), l.size, catalogTime(l.time), f.shown}));
      }
      continue;
    }
    if (f.nextFolder < f.leftFolders.size()) {
      // In the catalog, not on the disk: it and everything below it are deleted.
      const ItemId gone = f.leftFolders[f.nextFolder++];
      if (const FileData *e = model_.lookupEntry(f.item, model_.label(gone)))
        addRow(CompareStatus::DeletedDirectory, e, -1);
      Frame child;
      child.shown = joinPath(f.shown, model_.label(gone));
      child.item = gone;
      frames.push_back(std::move(child));
      openFrame(frames);
      continue;
    }
    while (f.nextFile < f.leftFiles.size())
      addRow(CompareStatus::Deleted, f.leftFiles[f.nextFile++], -1);
    if (f.fd >= 0) ::close(f.fd);
    frames.pop_back();
  }
}

int DiskCompare::addRecord(DiskRecord record) {
  records_.push_back(std::move(record));
  return static_cast<int>(records_.size() - 1);
}

void DiskCompare::addRow(CompareStatus status, const FileData *entry, int disk) {
  CompareRow row;
  row.status = status;
  row.disk = disk;
  row.entry = entry;
  rows_.push_back(std::move(row));
}

std::size_t DiskCompare::differences() const {
  return static_cast<std::size_t>(std::count_if(
      rows_.begin(), rows_.end(), [](const CompareRow &r) { return r.status != CompareStatus::Identical; }));
}

const DiskRecord *DiskCompare::diskSide(const CompareRow &row) const {
  if (row.disk < 0 || static_cast<std::size_t>(row.disk) >= records_.size()) return nullptr;
  return &records_[static_cast<std::size_t>(row.disk)];
}

std::string DiskCompare::text(const CompareRow &row, CompareColumn column) const {
  const DiskRecord *disk = diskSide(row);
  const KeptTexts *kept = row.kept >= 0 ? &kept_[static_cast<std::size_t>(row.kept)] : nullptr;
  switch (column) {
  case CompareColumn::Status:
    return statusText(row.status);
  case CompareColumn::Name:
    if (row.status == CompareStatus::Identical) return "All files";
    if (row.entry) return std::string(row.entry->name());
    if (kept) return kept->name;
    return disk ? disk->name : std::string();
  case CompareColumn::InFolder:
    if (row.entry) return model_.folderPath(*row.entry);
    if (kept) return kept->folder;
    return disk ? disk->folderPath : std::string();
  case CompareColumn::SizeCatalog:
    if (row.entry) return model_.sizeText(*row.entry);
    return kept ? kept->size : std::string();
  case CompareColumn::DateCatalog:
    if (row.entry) return model_.dateText(*row.entry);
    return kept ? kept->date : std::string();
  case CompareColumn::SizeDisk:
    return disk ? model_.formatSize(disk->size) : std::string();
  case CompareColumn::DateDisk:
    return disk ? CatalogModel::formatDate(disk->date) : std::string();
  }
  return {};
}

template <typename Pred> void DiskCompare::dropEntries(Pred &&gone) {
  for (CompareRow &row : rows_) {
    if (!row.entry || !gone(*row.entry)) continue;
    // Everything the texts need is still complete in an "about to" call.
    const FileData &e = *row.entry;
    kept_.push_back({std::string(e.name()), model_.folderPath(e), model_.sizeText(e), model_.dateText(e)});
    row.kept = static_cast<int>(kept_.size() - 1);
    row.entry = nullptr;
  }
}

void DiskCompare::subtreeAboutToBeRemoved(ItemId parent, ItemId item, std::size_t) {
  // The entry of item itself goes right after its subtree; its size text may need
  // the subtree, so it is taken now too.
  const std::string &label = model_.label(item);
  dropEntries([&](const FileData &e) {
    return model_.isInSubtree(e.parentItem(), item) ||
           (e.isContainer() && e.parentItem() == parent && e.name() == label);
  });
}

void DiskCompare::entriesAboutToBeRemoved(ItemId item) {
  dropEntries([&](const FileData &e) { return e.parentItem() == item; });
}

void DiskCompare::entryAboutToBeRemoved(const FileData &entry, std::size_t) {
  dropEntries([&](const FileData &e) { return &e == &entry; });
}

void DiskCompare::modelAboutToBeCleared() {
  dropEntries([](const FileData &) { return true; });
}

} // namespace tavlor
