// shelf_view.h - the loaded catalogs as a read-only tree of folders and files: one
// folder per disk, named by its label, and below it what the catalog holds (Zip
// Folders as folders), with the cataloged sizes and dates.
//
// Listing needs only the catalogs. Reading a file reaches through to its disk when
// that is mounted (found by label, walked without leaving the disk) or extracts a
// member of a ZIP file into a private temporary file; a missing disk is named in a
// message and reading fails with ENOMEDIUM.
#ifndef APP_EXPORT_SHELF_VIEW_H
#define APP_EXPORT_SHELF_VIEW_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/catalog_model.h"
#include "platform/fuse_host.h"

namespace tavlor {

// Where the view's catalogs come from: the files named, else every *.zar of the folder.
// Paths should be absolute: a view that went into the background reads them again from
// the root folder.
struct ShelfSource {
  std::string catalogsFolder;
  std::vector<std::string> catalogFiles;
};

class ShelfView : public platform::ReadOnlyFileSystem {
public:
  // Receives each line the view has to tell (a name left out, a disk to insert, a
  // catalog that cannot be read), without a program prefix.
  using MessageSink = std::function<void(const std::string &line)>;

  ShelfView(ShelfSource source, MessageSink messages);
  ~ShelfView() override;
  ShelfView(const ShelfView &) = delete;
  ShelfView &operator=(const ShelfView &) = delete;

  // Reads every catalog into a fresh model. False when one could not be read (the
  // others are shown) or the catalogs folder cannot be listed.
  bool load();
  // How long a look at the catalog files counts: sooner calls take the tree as it is.
  // A change to a catalog, a catalog added to or removed from the folder, is picked up
  // by the first call after it. 0 looks on every call.
  void setCheckInterval(std::chrono::milliseconds interval) { interval_ = interval; }

  // platform::ReadOnlyFileSystem. Names are the catalog's bytes; an entry whose name
  // cannot name a file ("", ".", "..", holding "/" or NUL) is left out with one message,
  // and of two entries with byte-equal names in a folder only the first is shown.
  // Names that differ in case only are both shown.
  int attributes(const std::string &path, platform::NodeAttributes &out) override;
  int list(const std::string &path, std::uint64_t from, const AddEntry &add) override;
  int open(const std::string &path, std::uint64_t &handle, bool &unlisted) override;
  long read(std::uint64_t handle, char *buffer, std::size_t size, off_t offset) override;
  void release(std::uint64_t handle) override;
  // The disks' cataloged total and free bytes, summed; nodes: the entries.
  void space(std::uint64_t &total, std::uint64_t &free, std::uint64_t &nodes) override;

private:
  struct Child {
    std::string_view name; // the entry's own bytes, alive with the model
    const FileData *entry;
    ItemId item; // a container's folder item; kNoItem for files (and folders without one)
  };
  // The children of one folder item, sorted by their bytes for lookups by path.
  using Folder = std::vector<Child>;
  struct Node {
    ItemId item = kNoItem;
    const FileData *entry = nullptr; // null for the root
  };
  struct Stamp {
    std::string path;
    std::int64_t size = -1, modified = 0;
    std::uint64_t inode = 0;
    bool operator==(const Stamp &) const = default;
  };

  void refreshIfChanged();
  std::vector<std::string> catalogPaths(bool &listed) const;
  std::vector<Stamp> stamps() const;
  const Folder &folderOf(ItemId item);
  // 0 and the node at path, else an errno value.
  int find(const std::string &path, Node &node);
  platform::NodeAttributes attributesOf(const Node &node) const;
  int openOnDisk(const FileData &entry, int &fd, bool &unlisted);
  std::string scratchFolder();

  ShelfSource source_;
  MessageSink messages_;
  std::unique_ptr<CatalogModel> model_;
  std::unordered_map<ItemId, Folder> folders_;
  std::set<std::string> reported_; // catalog paths already named as left out
  std::vector<Stamp> stamps_;
  std::chrono::milliseconds interval_{1000};
  std::chrono::steady_clock::time_point lastCheck_{};
  std::string scratch_;
};

} // namespace tavlor

#endif // APP_EXPORT_SHELF_VIEW_H
