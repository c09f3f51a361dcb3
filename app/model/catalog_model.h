// catalog_model.h - every loaded catalog in memory: the folder tree and the entry store.
#ifndef APP_MODEL_CATALOG_MODEL_H
#define APP_MODEL_CATALOG_MODEL_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/file_data.h"
#include "model/item_id.h"
#include "model/model_blocks.h"
#include "model/model_observer.h"
#include "model/node_kind.h"

namespace tavlor {

class CatalogLoader;

// The label of the root item; the root stands for all loaded disks.
inline constexpr const char *kRootLabel = "My Removable Disk Drive";

// The model of all loaded catalogs, in two halves linked by label:
// - the folder tree: one root, the disks below it, their folders and Zip Folders
//   (never files); children are kept sorted by label, ignoring ASCII case;
// - the entry store: for every folder item, the entries lying directly in it
//   (subfolders, Zip Folders, files; the disks are the root's entries), in catalog
//   order.
// Entries are found from an item with lookupEntry (parent item, name) and the item of
// a container entry with findOwnItem.
//
// Not thread-safe: one thread (the user interface) uses a model. Every change that
// adds or destroys something is announced to the observers (model_observer.h).
// Names are bytes; comparisons "ignoring case" fold ASCII letters only.
class CatalogModel {
public:
  CatalogModel();
  ~CatalogModel();
  CatalogModel(const CatalogModel &) = delete;
  CatalogModel &operator=(const CatalogModel &) = delete;

  // ---- observers ----
  // The observer must stay alive until removed; it is not owned.
  void addObserver(ModelObserver *observer);
  void removeObserver(ModelObserver *observer);

  // ---- folder tree ----
  // The root item ("My Removable Disk Drive", icon 4), created on first call and never
  // removed.
  ItemId root();
  // True when the item exists (a handle of a removed item is stale, never reused).
  bool isValid(ItemId item) const;
  // The parent of an item; kNoItem for the root and for invalid handles.
  ItemId parentOf(ItemId item) const;
  // The children of an item in tree order; valid until the next change of the model.
  std::span<const ItemId> childrenOf(ItemId item) const;
  // The position of item among its parent's children (0 for the root).
  std::size_t rowOf(ItemId item) const;
  const std::string &label(ItemId item) const;
  int icon(ItemId item) const;
  int selectedIcon(ItemId item) const;
  // The first child of parent whose label equals label (exactly, or ignoring case).
  // A binary search: children are kept sorted.
  ItemId findChild(ItemId parent, std::string_view label, bool ignoreCase) const;
  // The child labelled exactly label, else the first equal to it ignoring case: of two
  // folders whose names differ in case only, each is found by its own name.
  ItemId findChildExactFirst(ItemId parent, std::string_view label) const;
  // True when item is top or lies below it.
  bool isInSubtree(ItemId item, ItemId top) const;
  // The labels of the item and its ancestors below the root, joined with "/" from the
  // top down (DATA/docs); empty for the root. Cached per item.
  const std::string &itemPath(ItemId item) const;
  // itemPath appended to out, without keeping it: for reports that name many folders once.
  void appendItemPath(std::string &out, ItemId item) const;
  // The same joined from the labels alone, never reading the paths itemPath keeps: for
  // another thread while this one paints (and so fills in those paths).
  void appendLabelPath(std::string &out, ItemId item) const;
  // The item of a catalog path such as DATA/docs/old ("/" between components; "\" is
  // part of a name; empty is the root). Each component is matched exactly first, then
  // ignoring case.
  ItemId findItemByPath(std::string_view path);
  // Removes the child of parent labelled label (exactly, else ignoring case), with
  // every item below it, every entry lying in those items and the child's own entry in
  // parent. Nothing happens when there is no such child.
  void closeChildFolder(ItemId parent, std::string_view label);
  // Removes every disk with everything it holds; the root stays.
  void clear();
  // Moves the disk loaded into staged, a model of its own, into this one, as loading
  // its catalog here would have put it: a loaded disk whose label equals it ignoring
  // case is closed first, and the disk is announced as it joins the tree. Its records
  // and name blocks change owner without moving; staged is left empty. Returns the
  // disk's item here, kNoItem when staged held none.
  ItemId adoptDisk(CatalogModel &staged);
  // Makes room for count more folder items at once, so a large catalog's folders are
  // not moved again and again while it loads.
  void reserveItems(std::size_t count);
  // The same for count more entries.
  void expectEntries(std::size_t count);

  // ---- entry store ----
  // Creates an entry and appends it to the entries of parent (a valid item); returns
  // it. The name is copied.
  FileData *addEntry(ItemId parent, std::string_view name, std::int64_t size, std::int64_t freeSpace, std::time_t date,
                     NodeKind kind);
  // The first entry in parent named exactly name, else the first whose name equals it
  // ignoring case, or null. Going from a folder item to its entry this way finds each
  // of two case twins' own entry.
  FileData *lookupEntry(ItemId parent, std::string_view name) const;
  // All entries in item, in store order; valid until the next change of the model.
  std::span<FileData *const> entriesOf(ItemId item) const;
  // For each child of item, in tree order, the entry lookupEntry finds for its label
  // (null where there is none): for all children at once in n log n, where lookupEntry
  // for each would take the square of their number.
  void childEntries(ItemId item, std::vector<const FileData *> &out) const;
  // The entries in item that are not containers, in store order.
  std::vector<FileData *> filesOf(ItemId item) const;
  // The entries in item that are files or Zip Folders, in store order.
  std::vector<FileData *> filesAndZipFoldersOf(ItemId item) const;
  // Destroys the entry lookupEntry (parent, name) finds; returns whether there was one.
  bool removeEntry(ItemId parent, std::string_view name);
  // Destroys every entry lying directly in item.
  void removeEntriesOf(ItemId item);
  // Drops every cached size and free-space text (after a unit or comma change) and
  // announces sizeTextsDropped.
  void refreshSizeTexts();
  // The number of live entries.
  std::size_t entryCount() const;
  // The entry at a catalog path such as DATA/docs/notes.txt (a disk for a bare label),
  // matched like findItemByPath; null when there is none or the path is empty.
  FileData *findEntryByPath(std::string_view path);

  // ---- derived values of an entry (cached on first use) ----
  // The size in the current unit, rounded up, grouped with commas when that is on:
  // 1234567 -> "1,234,567", 1 with unit KB -> "1KB", 0 -> "0KB".
  std::string formatSize(std::int64_t value) const;
  // The count of units formatSize shows for value: what equal size texts agree on.
  std::int64_t sizeCount(std::int64_t value) const {
    if (sizeUnit_ == 1) return value; // no division for a size in bytes, the common case
    return value / sizeUnit_ + (value % sizeUnit_ != 0 ? 1 : 0);
  }
  // formatSize of the entry's size. A container whose size is 0 first gets the sum of
  // its contents (accumulate), which is kept as its size.
  const std::string &sizeText(const FileData &entry);
  const std::string &freeSpaceText(const FileData &entry);
  // The local date and time in the user's locale (short date, then time); midnight is
  // shown as 00:00:00.
  const std::string &dateText(const FileData &entry);
  // The same texts without keeping them: for reports that pass over every entry once.
  std::string sizeTextOnce(const FileData &entry);
  // The size sizeText shows, without a text: for a container whose size is 0 the sum
  // of its contents, kept as its size. Reads and keeps nothing painting fills in but
  // that sum (stored atomically), so a search on another thread may ask for it.
  std::int64_t summedSize(const FileData &entry);
  // The text dateText gives for a time.
  static std::string formatDate(std::time_t when);
  // The same written into buffer, for the many lines of a report: no text is allocated.
  static constexpr std::size_t kDateTextSize = 128;
  static std::string_view formatDate(std::time_t when, char (&buffer)[kDateTextSize]);
  std::string_view dateTextOnce(const FileData &entry, char (&buffer)[kDateTextSize]) const;
  // Asks for the memory the text of the date will be made from, for a report that
  // reaches dates all over the calendar: a row's date asked for rows ahead.
  static void prefetchDateText(std::time_t when);
  // The local time of when, as localtime_r gives it, from the day table the date texts
  // use; false when the C library has none.
  static bool localTime(std::time_t when, struct tm &out);
  // The catalog path of the folder the entry lies in (DATA/docs/old; empty for a disk).
  const std::string &folderPath(const FileData &entry) const;
  // folderPath + "/" + name.
  std::string catalogPath(const FileData &entry) const;
  // When the entry lies inside a ZIP file: true and out = the catalog path of that ZIP
  // file (folderPath up to and including the first ".zip", else ".ZIP", found after
  // its first character). Otherwise false and out empty.
  bool zipFilePath(const FileData &entry, std::string &out) const;
  // The folder item of a container entry: the child of its parentItem labelled exactly
  // its name; kNoItem for files and when there is none.
  ItemId findOwnItem(const FileData &entry) const;
  // The entry's index in the built-in icon strip (its kind). System icons by file name
  // are the desktop's business.
  int iconIndex(const FileData &entry) const;

  // Adds to the four totals what lies below item: every file's size and count; for
  // each child folder item whose entry is a container, its folders and files, with a
  // Zip Folder contributing its own stored size (not its members') and one Zip Folder,
  // a folder its contents' size and one folder. Any depth; no recursion. Sizes below
  // zero count as 0 and the size saturates at the largest int64, so a damaged catalog
  // never shows a negative total.
  void accumulate(ItemId item, std::int64_t &size, std::int64_t &files, std::int64_t &folders,
                  std::int64_t &zipFolders);

  // ---- display settings ----
  // "byte" -> 1, "KB" -> 1024, "MB" -> 1048576; returns whether the unit changed (any
  // other text changes nothing). Call refreshSizeTexts afterwards to redraw.
  bool setSizeUnit(std::string_view unit);
  // Digit grouping with commas; when it changes and refresh is set, refreshSizeTexts.
  void setSizeComma(bool on, bool refresh);
  std::int64_t sizeUnit() const { return sizeUnit_; }
  bool sizeComma() const { return sizeComma_; }

private:
  friend class CatalogLoader;
  struct Item;
  struct LabelOrder;
  class EntryPool;
  class NameArena;
  struct Texts;

  Item *item(ItemId id);
  const Item *item(ItemId id) const;
  ItemId newItem(ItemId parent, std::string_view label, int icon, int selectedIcon, bool attached);
  FileData *appendEntry(NameArena &names, ItemId parent, std::string_view name, std::int64_t size,
                        std::int64_t freeSpace, std::time_t date, NodeKind kind, bool link);
  NameArena &arenaFor(ItemId parent);
  void destroyEntry(FileData *entry);
  void releaseRecord(FileData *entry); // its destructor, and its slot back to its pool
  void destroyEntriesIn(Item &it);
  void deleteSubtree(ItemId top);
  const std::string &labelOf(ItemId id) const; // of a live item, unchecked
  // The children of an attached item whose labels equal wanted ignoring case.
  std::span<const ItemId> sameLabelIgnoringCase(const Item &parent, std::string_view wanted) const;
  // lookupEntry's choice among the item's entries; entries.size() when none.
  static std::size_t entryIndex(const Item &it, std::string_view name);
  // Sorts the children of a folder that was read and drops the earlier of two
  // children whose labels are equal byte for byte.
  void sortChildren(ItemId item);
  void dropReplacedChildren(ItemId item, const std::vector<ItemId> &replaced);
  void attachDisk(ItemId disk, FileData *entry);
  template <typename F> void notify(F &&call);
  Texts &textsOf(const FileData &entry);                // made when first asked for
  const Texts *knownTexts(const FileData &entry) const; // null when none were made

  std::vector<Item, BlockAllocator<Item>> items_; // large arrays on huge pages
  std::vector<std::uint32_t> freeSlots_;
  std::unique_ptr<EntryPool> pool_;          // files
  std::unique_ptr<EntryPool> containerPool_; // disks, folders, Zip Folders
  std::unique_ptr<NameArena> rootNames_;
  std::unordered_map<const FileData *, std::unique_ptr<Texts>> texts_; // of the entries that showed one
  std::vector<ModelObserver *> observers_;
  ItemId root_ = kNoItem;
  std::size_t entryCount_ = 0;
  std::int64_t sizeUnit_ = 1;
  bool sizeComma_ = true;
};

} // namespace tavlor

#endif // APP_MODEL_CATALOG_MODEL_H
