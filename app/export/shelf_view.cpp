#include "export/shelf_view.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Tavscan60.h"
#include "export/disk_locator.h"
#include "export/file_actions.h"
#include "model/catalog_loader.h"
#include "model/catalog_set_loader.h"
#include "platform/disk_copy.h"
#include "platform/files.h"
#include "platform/temp_folder.h"

namespace tavlor {
namespace {

class ForwardingReporter : public LoadReporter {
public:
  explicit ForwardingReporter(const ShelfView::MessageSink &sink) : sink_(sink) {}
  void warning(const std::string &caption, const std::string &text) override { sink_(caption + ": " + text); }

private:
  const ShelfView::MessageSink &sink_;
};

bool endsWith(const std::string &text, const char *suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// A name as a message line can show it: a NUL would end the line early.
std::string printable(std::string_view name) {
  std::string text(name);
  std::replace(text.begin(), text.end(), '\0', '?');
  return text;
}

std::vector<std::string_view> splitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view part = path.substr(0, slash);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return parts;
}

std::vector<std::string> slice(const std::vector<std::string> &all, std::size_t from, std::size_t to) {
  return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())),
                                  all.begin() + static_cast<std::ptrdiff_t>(std::min(to, all.size())));
}

std::uint64_t nonNegative(std::int64_t value) {
  return value < 0 ? 0 : static_cast<std::uint64_t>(value);
}

} // namespace

ShelfView::ShelfView(ShelfSource source, MessageSink messages)
    : source_(std::move(source)), messages_(std::move(messages)), model_(std::make_unique<CatalogModel>()) {}

ShelfView::~ShelfView() {
  if (!scratch_.empty()) ::rmdir(scratch_.c_str());
}

std::vector<std::string> ShelfView::catalogPaths(bool &listed) const {
  listed = true;
  if (!source_.catalogFiles.empty()) return source_.catalogFiles;
  std::vector<std::string> files;
  DIR *dir = ::opendir(source_.catalogsFolder.c_str());
  if (!dir) {
    listed = false;
    return files;
  }
  while (const dirent *d = ::readdir(dir)) {
    const std::string name = d->d_name;
    if (endsWith(name, ".zar")) files.push_back(source_.catalogsFolder + "/" + name);
  }
  ::closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<ShelfView::Stamp> ShelfView::stamps() const {
  bool listed = true;
  std::vector<Stamp> result;
  for (const std::string &path : catalogPaths(listed)) {
    Stamp stamp{path};
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
      stamp.size = st.st_size;
      stamp.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
      stamp.inode = st.st_ino;
    }
    result.push_back(stamp);
  }
  return result;
}

bool ShelfView::load() {
  // Taken before reading, so that a catalog replaced while it is read is read again.
  stamps_ = stamps();
  lastCheck_ = std::chrono::steady_clock::now();
  folders_.clear();
  model_ = std::make_unique<CatalogModel>();
  bool listed = true;
  const std::vector<std::string> files = catalogPaths(listed);
  if (!listed) {
    messages_("cannot list the catalogs folder " + source_.catalogsFolder + ": " + std::strerror(errno));
    return false;
  }
  bool ok = true;
  ForwardingReporter reporter(messages_);
  loadCatalogs(*model_, files, reporter, catalogLoadThreads(), [&](std::size_t index, const LoadResult &result) {
    if (result.status != LoadStatus::Rejected) return;
    messages_("cannot read the catalog " + files[index]);
    ok = false;
  });
  return ok;
}

void ShelfView::refreshIfChanged() {
  const auto now = std::chrono::steady_clock::now();
  if (interval_.count() > 0 && now - lastCheck_ < interval_) return;
  lastCheck_ = now;
  if (stamps() == stamps_) return;
  load();
  messages_("the catalogs changed; the view shows them as they are now");
}

const ShelfView::Folder &ShelfView::folderOf(ItemId item) {
  auto found = folders_.find(item);
  if (found != folders_.end()) return found->second;
  Folder folder;
  const std::string &where = model_->itemPath(item);
  for (const FileData *entry : model_->entriesOf(item)) {
    const std::string_view name = entry->name();
    if (!platform::isSafeComponent(std::string(name))) {
      const std::string path = (where.empty() ? "" : where + "/") + std::string(name);
      if (reported_.insert(path).second)
        messages_("left out of the view: \"" + printable(path) + "\": the name \"" + printable(name) +
                  "\" cannot name a file");
      continue;
    }
    folder.push_back({name, entry, entry->isContainer() ? model_->findOwnItem(*entry) : kNoItem});
  }
  std::stable_sort(folder.begin(), folder.end(), [](const Child &a, const Child &b) { return a.name < b.name; });
  // A crafted catalog can repeat a name; a folder can hold it only once.
  const auto sameName = [](const Child &a, const Child &b) { return a.name == b.name; };
  for (auto twin = std::adjacent_find(folder.begin(), folder.end(), sameName); twin != folder.end();) {
    const std::string path = (where.empty() ? "" : where + "/") + std::string(twin->name);
    if (reported_.insert(path + "\n2").second) messages_("left out of the view: a second \"" + printable(path) + "\"");
    auto last = twin + 1;
    while (last != folder.end() && last->name == twin->name)
      ++last;
    const auto next = folder.erase(twin + 1, last);
    twin = std::adjacent_find(next, folder.end(), sameName);
  }
  return folders_.emplace(item, std::move(folder)).first->second;
}

int ShelfView::find(const std::string &path, Node &node) {
  node = {model_->root(), nullptr};
  for (const std::string_view component : splitPath(path)) {
    if (node.entry && !node.entry->isContainer()) return ENOTDIR;
    if (node.item == kNoItem) return ENOENT;
    const Folder &folder = folderOf(node.item);
    const auto at = std::lower_bound(folder.begin(), folder.end(), component,
                                     [](const Child &c, std::string_view name) { return c.name < name; });
    if (at == folder.end() || at->name != component) return ENOENT;
    node = {at->item, at->entry};
  }
  return 0;
}

platform::NodeAttributes ShelfView::attributesOf(const Node &node) const {
  platform::NodeAttributes a;
  if (!node.entry) {
    a.folder = true;
    for (const FileData *disk : model_->entriesOf(model_->root()))
      a.modified = std::max(a.modified, disk->date());
    return a;
  }
  a.folder = node.entry->isContainer();
  a.size = a.folder ? 0 : nonNegative(node.entry->size());
  a.modified = node.entry->date();
  return a;
}

int ShelfView::attributes(const std::string &path, platform::NodeAttributes &out) {
  refreshIfChanged();
  Node node;
  if (const int error = find(path, node)) return error;
  out = attributesOf(node);
  return 0;
}

int ShelfView::list(const std::string &path, std::uint64_t from, const AddEntry &add) {
  refreshIfChanged();
  Node node;
  if (const int error = find(path, node)) return error;
  if (node.entry && !node.entry->isContainer()) return ENOTDIR;
  if (node.item == kNoItem) return 0;
  const Folder &folder = folderOf(node.item);
  for (std::size_t i = from; i < folder.size(); ++i) {
    if (!add(std::string(folder[i].name), attributesOf({folder[i].item, folder[i].entry}))) break;
  }
  return 0;
}

std::string ShelfView::scratchFolder() {
  if (scratch_.empty()) {
    const std::string root = privateTemporaryFolder();
    if (!root.empty()) scratch_ = platform::privateSubfolder(root, "mount-" + std::to_string(::getpid()));
  }
  return scratch_;
}

int ShelfView::openOnDisk(const FileData &entry, int &fd, bool &unlisted) {
  const EntrySource source = entrySource(*model_, entry);
  if (!source.refusal.empty()) {
    messages_("cannot read " + printable(source.catalogPath) + ": " + source.refusal);
    return EACCES;
  }
  std::string drive;
  if (!findDriveByLabel(source.label(), drive)) {
    messages_("insert the disk \"" + source.label() + "\" to read " + source.catalogPath);
    return ENOMEDIUM;
  }
  const std::size_t onDisk = source.inZip() ? source.zipDepth : source.components.size();
  const platform::DiskPath found = platform::resolveOnDisk(drive, slice(source.components, 1, onDisk));
  if (found.error) {
    messages_("cannot read " + source.catalogPath + ": " + found.why);
    return found.error;
  }
  if (found.folder) {
    messages_("cannot read " + source.catalogPath + ": a folder stands in its place on the disk");
    return EISDIR;
  }
  std::string path = found.path;
  if (source.inZip()) {
    const std::string folder = scratchFolder();
    if (folder.empty()) {
      messages_("cannot read " + source.catalogPath + ": no private temporary folder can be made");
      return EIO;
    }
    char written[kTavscanPathBufferSize] = {};
    if (!extractFromZip(found.path.c_str(), source.member().c_str(), folder.c_str(), false, true, true, written,
                        sizeof written) &&
        !(entry.size() == 0 && written[0])) {
      if (written[0]) ::unlink(written);
      messages_("cannot read " + source.catalogPath + ": it cannot be extracted from " + source.zipPath());
      return EIO;
    }
    path = written;
  }
  // Not blocking: a FIFO planted where a file was cataloged must not stop the view.
  fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  const int openError = errno;
  // The extracted copy lives on as the open descriptor only, so nothing is left behind.
  if (source.inZip()) ::unlink(path.c_str());
  if (fd < 0) {
    messages_("cannot read " + source.catalogPath + ": " + std::strerror(openError));
    return openError;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    messages_("cannot read " + source.catalogPath + ": it is not a regular file on the disk");
    return EACCES;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  unlisted = st.st_size != entry.size();
  return 0;
}

int ShelfView::open(const std::string &path, std::uint64_t &handle, bool &unlisted) {
  refreshIfChanged();
  Node node;
  if (const int error = find(path, node)) return error;
  if (!node.entry || node.entry->isContainer()) return EISDIR;
  int fd = -1;
  if (const int error = openOnDisk(*node.entry, fd, unlisted)) return error;
  handle = static_cast<std::uint64_t>(fd);
  return 0;
}

long ShelfView::read(std::uint64_t handle, char *buffer, std::size_t size, off_t offset) {
  const int fd = static_cast<int>(handle);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done > 0 ? static_cast<long>(done) : -errno;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<long>(done);
}

void ShelfView::release(std::uint64_t handle) {
  ::close(static_cast<int>(handle));
}

void ShelfView::space(std::uint64_t &total, std::uint64_t &free, std::uint64_t &nodes) {
  refreshIfChanged();
  total = free = 0;
  for (const FileData *disk : model_->entriesOf(model_->root())) {
    total += nonNegative(disk->size());
    free += nonNegative(disk->freeSpace());
  }
  nodes = model_->entryCount();
}

} // namespace tavlor
