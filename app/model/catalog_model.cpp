#include "model/catalog_model.h"

#include <algorithm>

#include "model/model_storage.h"

namespace tavlor {

namespace {

constexpr std::uint64_t kSlotMask = 0xffffffffu;

ItemId makeId(std::uint32_t slot, std::uint32_t generation) {
  return (static_cast<std::uint64_t>(generation) << 32) | slot;
}

const std::string kEmpty;

} // namespace

FileData::FileData(const char *name, std::uint32_t nameLength, ItemId parentItem, std::int64_t size,
                   std::int64_t freeSpace, std::time_t date, NodeKind kind)
    : name_(name), parentItem_(parentItem), size_(size), freeSpace_(freeSpace), date_(date), nameLength_(nameLength),
      kind_(kind) {}

FileData::~FileData() = default;

CatalogModel::CatalogModel() : pool_(std::make_unique<EntryPool>()), rootNames_(std::make_unique<NameArena>()) {}

CatalogModel::~CatalogModel() {
  for (Item &it : items_) {
    for (FileData *e : it.entries)
      pool_->release(e);
    it.entries.clear();
  }
}

template <typename F> void CatalogModel::notify(F &&call) {
  // A copy: an observer may remove itself while being told.
  const std::vector<ModelObserver *> observers = observers_;
  for (ModelObserver *o : observers)
    call(*o);
}

void CatalogModel::addObserver(ModelObserver *observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void CatalogModel::removeObserver(ModelObserver *observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// ---- items ----

CatalogModel::Item *CatalogModel::item(ItemId id) {
  const std::uint64_t slot = id & kSlotMask;
  if (id == kNoItem || slot >= items_.size()) return nullptr;
  Item &it = items_[slot];
  if (!it.alive || it.generation != (id >> 32)) return nullptr;
  return &it;
}

const CatalogModel::Item *CatalogModel::item(ItemId id) const {
  return const_cast<CatalogModel *>(this)->item(id);
}

ItemId CatalogModel::newItem(ItemId parent, std::string_view label, int icon, int selectedIcon, bool attached) {
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    slot = static_cast<std::uint32_t>(items_.size());
    items_.emplace_back();
  }
  Item &it = items_[slot];
  ++it.generation;
  if (it.generation == 0) it.generation = 1; // 0 would make the root's id 0 = no item
  it.alive = true;
  it.attached = attached;
  it.label.assign(label);
  it.parent = parent;
  it.icon = static_cast<std::int8_t>(icon);
  it.selectedIcon = static_cast<std::int8_t>(selectedIcon);
  return makeId(slot, it.generation);
}

ItemId CatalogModel::root() {
  if (root_ == kNoItem) root_ = newItem(kNoItem, kRootLabel, kRootIcon, kRootIcon, true);
  return root_;
}

bool CatalogModel::isValid(ItemId id) const {
  return item(id) != nullptr;
}

ItemId CatalogModel::parentOf(ItemId id) const {
  const Item *it = item(id);
  return it ? it->parent : kNoItem;
}

std::span<const ItemId> CatalogModel::childrenOf(ItemId id) const {
  const Item *it = item(id);
  if (!it) return {};
  return it->children;
}

std::size_t CatalogModel::rowOf(ItemId id) const {
  const Item *parent = item(parentOf(id));
  if (!parent) return 0;
  auto at = std::find(parent->children.begin(), parent->children.end(), id);
  return static_cast<std::size_t>(at - parent->children.begin());
}

const std::string &CatalogModel::label(ItemId id) const {
  const Item *it = item(id);
  return it ? it->label : kEmpty;
}

int CatalogModel::icon(ItemId id) const {
  const Item *it = item(id);
  return it ? it->icon : 0;
}

int CatalogModel::selectedIcon(ItemId id) const {
  const Item *it = item(id);
  return it ? it->selectedIcon : 0;
}

ItemId CatalogModel::findChild(ItemId parent, std::string_view wanted, bool ignoreCase) const {
  const Item *it = item(parent);
  if (!it) return kNoItem;
  for (ItemId child : it->children) {
    const std::string &l = items_[child & kSlotMask].label;
    if (ignoreCase ? equalIgnoringCase(l, wanted) : l == wanted) return child;
  }
  return kNoItem;
}

bool CatalogModel::isInSubtree(ItemId id, ItemId top) const {
  for (const Item *it = item(id); it; it = item(id)) {
    if (id == top) return true;
    id = it->parent;
  }
  return false;
}

const std::string &CatalogModel::itemPath(ItemId id) const {
  const Item *it = item(id);
  if (!it || it->parent == kNoItem) return kEmpty;
  if (!it->path) {
    // Only the asked item is cached: caching every ancestor would cost the square of
    // the depth for deeply nested catalogs.
    std::vector<const std::string *> labels;
    for (const Item *at = it; at && at->parent != kNoItem; at = item(at->parent))
      labels.push_back(&at->label);
    auto path = std::make_unique<std::string>();
    for (auto l = labels.rbegin(); l != labels.rend(); ++l) {
      if (!path->empty() || l != labels.rbegin()) path->push_back('/');
      path->append(**l);
    }
    it->path = std::move(path);
  }
  return *it->path;
}

namespace {

// Splits a catalog path at "/" or "\", dropping empty components.
std::vector<std::string_view> splitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/' || path[i] == '\\') {
      if (i > start) parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

} // namespace

ItemId CatalogModel::findItemByPath(std::string_view path) {
  ItemId at = root();
  for (std::string_view part : splitPath(path)) {
    ItemId next = findChild(at, part, false);
    if (next == kNoItem) next = findChild(at, part, true);
    if (next == kNoItem) return kNoItem;
    at = next;
  }
  return at;
}

FileData *CatalogModel::findEntryByPath(std::string_view path) {
  std::vector<std::string_view> parts = splitPath(path);
  if (parts.empty()) return nullptr;
  ItemId at = root();
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    ItemId next = findChild(at, parts[i], false);
    if (next == kNoItem) next = findChild(at, parts[i], true);
    if (next == kNoItem) return nullptr;
    at = next;
  }
  const Item *it = item(at);
  for (FileData *e : it->entries) {
    if (e->name() == parts.back()) return e;
  }
  return lookupEntry(at, parts.back());
}

void CatalogModel::sortChildren(ItemId id) {
  Item *it = item(id);
  if (!it) return;
  std::stable_sort(it->children.begin(), it->children.end(), [this](ItemId a, ItemId b) {
    return compareIgnoringCase(items_[a & kSlotMask].label, items_[b & kSlotMask].label) < 0;
  });
}

void CatalogModel::deleteSubtree(ItemId top) {
  // Depth first without recursion: catalogs may nest folders very deeply.
  std::vector<ItemId> pending{top};
  while (!pending.empty()) {
    const ItemId id = pending.back();
    pending.pop_back();
    Item *it = item(id);
    if (!it) continue;
    pending.insert(pending.end(), it->children.begin(), it->children.end());
    destroyEntriesIn(*it);
    it->alive = false;
    it->attached = false;
    it->children = {};
    it->entries = {};
    it->path.reset();
    it->names.reset();
    it->label = {};
    freeSlots_.push_back(static_cast<std::uint32_t>(id & kSlotMask));
  }
}

void CatalogModel::closeChildFolder(ItemId parent, std::string_view wanted) {
  const ItemId child = findChild(parent, wanted, true);
  if (child == kNoItem) return;
  const bool announce = item(parent)->attached;
  const std::size_t row = rowOf(child);
  if (announce) notify([&](ModelObserver &o) { o.subtreeAboutToBeRemoved(parent, child, row); });
  Item *p = item(parent);
  p->children.erase(p->children.begin() + static_cast<std::ptrdiff_t>(row));
  deleteSubtree(child);
  if (announce) notify([&](ModelObserver &o) { o.subtreeRemoved(parent, child); });
  removeEntry(parent, wanted);
}

void CatalogModel::clear() {
  Item *r = item(root());
  notify([](ModelObserver &o) { o.modelAboutToBeCleared(); });
  std::vector<ItemId> disks;
  disks.swap(r->children);
  for (ItemId disk : disks)
    deleteSubtree(disk);
  r = item(root_);
  destroyEntriesIn(*r);
  r->entries.clear();
  rootNames_ = std::make_unique<NameArena>();
  notify([](ModelObserver &o) { o.modelCleared(); });
}

void CatalogModel::attachDisk(ItemId disk, FileData *entry) {
  Item *r = item(root());
  const std::string &l = item(disk)->label;
  auto at = std::upper_bound(r->children.begin(), r->children.end(), l, [this](const std::string &x, ItemId y) {
    return compareIgnoringCase(x, items_[y & kSlotMask].label) < 0;
  });
  const std::size_t row = static_cast<std::size_t>(at - r->children.begin());
  notify([&](ModelObserver &o) { o.diskAboutToBeAdded(root_, row); });
  r->children.insert(r->children.begin() + static_cast<std::ptrdiff_t>(row), disk);
  std::vector<ItemId> pending{disk};
  while (!pending.empty()) {
    Item *it = item(pending.back());
    pending.pop_back();
    it->attached = true;
    pending.insert(pending.end(), it->children.begin(), it->children.end());
  }
  item(root_)->entries.push_back(entry);
  notify([&](ModelObserver &o) { o.diskAdded(disk, *entry); });
}

// ---- entries ----

CatalogModel::NameArena &CatalogModel::arenaFor(ItemId parent) {
  ItemId at = parent;
  for (;;) {
    Item *it = item(at);
    if (!it || it->parent == kNoItem) return *rootNames_;
    if (it->parent == root_) {
      if (!it->names) it->names = std::make_unique<NameArena>();
      return *it->names;
    }
    at = it->parent;
  }
}

FileData *CatalogModel::appendEntry(NameArena &names, ItemId parent, std::string_view name, std::int64_t size,
                                    std::int64_t freeSpace, std::time_t date, NodeKind kind, bool link) {
  const char *bytes = names.store(name);
  FileData *entry = new (pool_->allocate())
      FileData(bytes, static_cast<std::uint32_t>(name.size()), parent, size, freeSpace, date, kind);
  ++entryCount_;
  if (link) item(parent)->entries.push_back(entry);
  return entry;
}

FileData *CatalogModel::addEntry(ItemId parent, std::string_view name, std::int64_t size, std::int64_t freeSpace,
                                 std::time_t date, NodeKind kind) {
  Item *it = item(parent);
  if (!it) return nullptr;
  const bool announce = it->attached;
  const std::size_t index = it->entries.size();
  if (announce) notify([&](ModelObserver &o) { o.entryAboutToBeAdded(parent, index); });
  FileData *entry = appendEntry(arenaFor(parent), parent, name, size, freeSpace, date, kind, true);
  if (announce) notify([&](ModelObserver &o) { o.entryAdded(*entry); });
  return entry;
}

FileData *CatalogModel::lookupEntry(ItemId parent, std::string_view name) const {
  const Item *it = item(parent);
  if (!it) return nullptr;
  for (FileData *e : it->entries) {
    if (equalIgnoringCase(e->name(), name)) return e;
  }
  return nullptr;
}

std::span<FileData *const> CatalogModel::entriesOf(ItemId id) const {
  const Item *it = item(id);
  if (!it) return {};
  return it->entries;
}

std::vector<FileData *> CatalogModel::filesOf(ItemId id) const {
  std::vector<FileData *> out;
  for (FileData *e : entriesOf(id)) {
    if (!e->isContainer()) out.push_back(e);
  }
  return out;
}

std::vector<FileData *> CatalogModel::filesAndZipFoldersOf(ItemId id) const {
  std::vector<FileData *> out;
  for (FileData *e : entriesOf(id)) {
    if (!e->isContainer() || e->isZipFolder()) out.push_back(e);
  }
  return out;
}

void CatalogModel::destroyEntry(FileData *entry) {
  pool_->release(entry);
  --entryCount_;
}

void CatalogModel::destroyEntriesIn(Item &it) {
  for (FileData *e : it.entries)
    destroyEntry(e);
  it.entries.clear();
}

bool CatalogModel::removeEntry(ItemId parent, std::string_view name) {
  Item *it = item(parent);
  if (!it) return false;
  for (std::size_t i = 0; i < it->entries.size(); ++i) {
    FileData *e = it->entries[i];
    if (!equalIgnoringCase(e->name(), name)) continue;
    const bool announce = it->attached;
    if (announce) notify([&](ModelObserver &o) { o.entryAboutToBeRemoved(*e, i); });
    it = item(parent);
    it->entries.erase(it->entries.begin() + static_cast<std::ptrdiff_t>(i));
    destroyEntry(e);
    if (announce) notify([&](ModelObserver &o) { o.entryRemoved(parent); });
    return true;
  }
  return false;
}

void CatalogModel::removeEntriesOf(ItemId id) {
  Item *it = item(id);
  if (!it) return;
  const bool announce = it->attached;
  if (announce) notify([&](ModelObserver &o) { o.entriesAboutToBeRemoved(id); });
  destroyEntriesIn(*item(id));
  if (announce) notify([&](ModelObserver &o) { o.entriesRemoved(id); });
}

void CatalogModel::refreshSizeTexts() {
  for (Item &it : items_) {
    for (FileData *e : it.entries) {
      if (e->texts_) {
        e->texts_->size.reset();
        e->texts_->freeSpace.reset();
      }
    }
  }
  notify([](ModelObserver &o) { o.sizeTextsDropped(); });
}

std::size_t CatalogModel::entryCount() const {
  return entryCount_;
}

} // namespace tavlor
