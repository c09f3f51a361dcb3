#include "model/catalog_model.h"

#include <algorithm>
#include <unordered_map>

#include "model/model_storage.h"

namespace tavlor {

namespace {

constexpr std::uint64_t kSlotMask = 0xffffffffu;

ItemId makeId(std::uint32_t slot, std::uint32_t generation) {
  return (static_cast<std::uint64_t>(generation) << 32) | slot;
}

const std::string kEmpty;

} // namespace

// Orders item ids by their labels ignoring case, as the tree keeps children.
struct CatalogModel::LabelOrder {
  const std::vector<Item, BlockAllocator<Item>> &items;
  const std::string &of(ItemId id) const { return items[id & kSlotMask].label; }
  bool operator()(ItemId a, ItemId b) const { return compareIgnoringCase(of(a), of(b)) < 0; }
  bool operator()(ItemId a, std::string_view b) const { return compareIgnoringCase(of(a), b) < 0; }
  bool operator()(std::string_view a, ItemId b) const { return compareIgnoringCase(a, of(b)) < 0; }
};

const std::string &CatalogModel::labelOf(ItemId id) const {
  return items_[id & kSlotMask].label;
}

FileData::FileData(const char *name, std::uint32_t nameLength, ItemId parentItem, std::int64_t size, std::time_t date,
                   NodeKind kind)
    : name_(name), parentItem_(parentItem), size_(size),
      packed_(static_cast<std::uint64_t>(std::clamp<std::int64_t>(date, kEarliestDate, kLatestDate)) << kDateShift |
              std::uint64_t{std::min<std::uint32_t>(nameLength, kMaxNameLength)} << kLengthShift |
              static_cast<std::uint64_t>(kind)) {
  static_assert(static_cast<std::uint64_t>(NodeKind::RemovableDrive) <= kKindMask, "a kind beyond its four bits");
}

FileData::~FileData() = default;

CatalogModel::CatalogModel()
    : pool_(std::make_unique<EntryPool>(sizeof(FileData))),
      containerPool_(std::make_unique<EntryPool>(sizeof(ContainerData))), rootNames_(std::make_unique<NameArena>()) {}

CatalogModel::~CatalogModel() {
  for (Item &it : items_) {
    for (FileData *e : it.entries)
      releaseRecord(e);
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
  // Cut as an entry's name is (appendEntry), so a folder's label stays its entry's name.
  it.label.assign(label.substr(0, FileData::kMaxNameLength));
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
  const Item *it = item(id);
  const Item *parent = it ? item(it->parent) : nullptr;
  if (!parent) return 0;
  const std::vector<ItemId> &children = parent->children;
  std::span<const ItemId> near = children;
  if (parent->attached) near = sameLabelIgnoringCase(*parent, it->label);
  const auto at = std::find(near.begin(), near.end(), id);
  return at == near.end() ? children.size() : static_cast<std::size_t>(&*at - children.data());
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

std::span<const ItemId> CatalogModel::sameLabelIgnoringCase(const Item &parent, std::string_view wanted) const {
  // Children are sorted by label ignoring case once their folder is read, so twins
  // stand side by side and a search is a binary one.
  const auto [first, last] =
      std::equal_range(parent.children.begin(), parent.children.end(), wanted, LabelOrder{items_});
  return std::span<const ItemId>(first, last);
}

ItemId CatalogModel::findChild(ItemId parent, std::string_view wanted, bool ignoreCase) const {
  const Item *it = item(parent);
  if (!it) return kNoItem;
  if (!it->attached) {
    // A folder still being read is not sorted yet.
    for (ItemId child : it->children) {
      const std::string &l = labelOf(child);
      if (ignoreCase ? equalIgnoringCase(l, wanted) : l == wanted) return child;
    }
    return kNoItem;
  }
  const std::span<const ItemId> twins = sameLabelIgnoringCase(*it, wanted);
  if (twins.empty()) return kNoItem;
  if (ignoreCase) return twins.front();
  for (ItemId child : twins) {
    if (items_[child & kSlotMask].label == wanted) return child;
  }
  return kNoItem;
}

ItemId CatalogModel::findChildExactFirst(ItemId parent, std::string_view wanted) const {
  const ItemId exact = findChild(parent, wanted, false);
  return exact != kNoItem ? exact : findChild(parent, wanted, true);
}

bool CatalogModel::isInSubtree(ItemId id, ItemId top) const {
  for (const Item *it = item(id); it; it = item(id)) {
    if (id == top) return true;
    id = it->parent;
  }
  return false;
}

void CatalogModel::appendItemPath(std::string &out, ItemId id) const {
  const Item *it = item(id);
  if (!it || it->parent == kNoItem) return;
  if (it->path) {
    out += *it->path;
    return;
  }
  appendLabelPath(out, id);
}

void CatalogModel::appendLabelPath(std::string &out, ItemId id) const {
  const Item *it = item(id);
  thread_local std::vector<const std::string *> labels;
  labels.clear();
  for (const Item *at = it; at && at->parent != kNoItem; at = item(at->parent))
    labels.push_back(&at->label);
  for (std::size_t k = labels.size(); k-- > 0;) {
    if (k + 1 < labels.size()) out.push_back('/');
    out += *labels[k];
  }
}

const std::string &CatalogModel::itemPath(ItemId id) const {
  const Item *it = item(id);
  if (!it || it->parent == kNoItem) return kEmpty;
  if (!it->path) {
    // Only the asked item is cached: caching every ancestor would cost the square of
    // the depth for deeply nested catalogs.
    auto path = std::make_unique<std::string>();
    appendItemPath(*path, id);
    it->path = std::move(path);
  }
  return *it->path;
}

namespace {

// Splits a catalog path at "/", dropping empty components. "\" is an ordinary byte
// of a Linux name, so it never separates.
std::vector<std::string_view> splitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
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
    const ItemId next = findChildExactFirst(at, part);
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
    const ItemId next = findChildExactFirst(at, parts[i]);
    if (next == kNoItem) return nullptr;
    at = next;
  }
  return lookupEntry(at, parts.back());
}

void CatalogModel::sortChildren(ItemId id) {
  Item *it = item(id);
  if (!it) return;
  std::vector<ItemId> &children = it->children;
  const LabelOrder order{items_};
  if (children.size() <= 16) {
    // Most folders have a few subfolders: sorted in place, where stable_sort would
    // allocate a buffer for each.
    for (auto at = children.begin(); at != children.end(); ++at) {
      const ItemId child = *at;
      auto to = at;
      for (; to != children.begin() && order(child, *(to - 1)); --to)
        *to = *(to - 1);
      *to = child;
    }
  } else {
    std::stable_sort(children.begin(), children.end(), order);
  }
  // Folders whose names differ in case only are different folders (Linux keeps Photos
  // beside photos); only a byte-for-byte repeat replaces its earlier namesake, as a
  // reload would. Twins stand together after the sort, in catalog order.
  std::vector<ItemId> replaced;
  for (std::size_t i = 0; i + 1 < children.size();) {
    std::size_t end = i + 1;
    while (end < children.size() && equalIgnoringCase(labelOf(children[i]), labelOf(children[end])))
      ++end;
    if (end - i == 2) {
      if (labelOf(children[i]) == labelOf(children[i + 1])) replaced.push_back(children[i]);
    } else if (end - i > 2) {
      std::vector<ItemId> run(children.begin() + static_cast<std::ptrdiff_t>(i),
                              children.begin() + static_cast<std::ptrdiff_t>(end));
      std::stable_sort(run.begin(), run.end(), [this](ItemId a, ItemId b) { return labelOf(a) < labelOf(b); });
      for (std::size_t k = 0; k + 1 < run.size(); ++k) {
        if (labelOf(run[k]) == labelOf(run[k + 1])) replaced.push_back(run[k]);
      }
    }
    i = end;
  }
  if (!replaced.empty()) dropReplacedChildren(id, replaced);
}

void CatalogModel::dropReplacedChildren(ItemId id, const std::vector<ItemId> &replaced) {
  // The entries of replaced folders: of the container entries sharing a name, the
  // earlier ones, as many as there are replaced folders of that name.
  std::unordered_map<std::string_view, std::size_t> doomed;
  for (ItemId child : replaced)
    ++doomed[labelOf(child)];
  Item *it = item(id);
  EntryList &entries = it->entries;
  auto kept = std::remove_if(entries.begin(), entries.end(), [&](FileData *e) {
    if (!e->isContainer()) return false;
    auto found = doomed.find(e->name());
    if (found == doomed.end() || found->second == 0) return false;
    --found->second;
    destroyEntry(e);
    return true;
  });
  entries.erase(kept, entries.end());
  for (ItemId child : replaced)
    deleteSubtree(child);
  it = item(id);
  std::erase_if(it->children, [this](ItemId child) { return !isValid(child); });
}

void CatalogModel::deleteSubtree(ItemId top) {
  // Depth first without recursion: catalogs may nest folders very deeply. The name
  // blocks of a disk, which hold the lists of its folders too, go last.
  std::vector<std::unique_ptr<NameArena>> arenas;
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
    it->entries.clear();
    it->path.reset();
    if (it->names) arenas.push_back(std::move(it->names));
    it->label = {};
    freeSlots_.push_back(static_cast<std::uint32_t>(id & kSlotMask));
  }
}

void CatalogModel::closeChildFolder(ItemId parent, std::string_view wanted) {
  const ItemId child = findChildExactFirst(parent, wanted);
  if (child == kNoItem) return;
  // The child's own label: of two twins, the entry of the one closed goes with it.
  const std::string label = labelOf(child);
  const bool announce = item(parent)->attached;
  const std::size_t row = rowOf(child);
  if (announce) notify([&](ModelObserver &o) { o.subtreeAboutToBeRemoved(parent, child, row); });
  Item *p = item(parent);
  p->children.erase(p->children.begin() + static_cast<std::ptrdiff_t>(row));
  deleteSubtree(child);
  if (announce) notify([&](ModelObserver &o) { o.subtreeRemoved(parent, child); });
  removeEntry(parent, label);
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
  auto at = std::upper_bound(r->children.begin(), r->children.end(), std::string_view(l), LabelOrder{items_});
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

ItemId CatalogModel::adoptDisk(CatalogModel &staged) {
  Item *stagedRoot = staged.item(staged.root_);
  if (!stagedRoot || stagedRoot->children.empty() || stagedRoot->entries.empty()) return kNoItem;
  const std::uint64_t stagedDisk = stagedRoot->children.front() & kSlotMask;
  const ItemId rootId = root();
  closeChildFolder(rootId, staged.items_[stagedDisk].label);
  // Each live item of staged gets a slot here first (the array may move meanwhile),
  // then takes its place with its links translated.
  const std::size_t stagedRootSlot = staged.root_ & kSlotMask;
  std::vector<ItemId> moved(staged.items_.size(), kNoItem);
  moved[stagedRootSlot] = rootId;
  std::size_t live = 0;
  for (const Item &it : staged.items_)
    live += it.alive ? 1 : 0;
  if (live > freeSlots_.size()) items_.reserve(items_.size() + (live - freeSlots_.size()));
  for (std::size_t s = 0; s < staged.items_.size(); ++s) {
    if (s != stagedRootSlot && staged.items_[s].alive) moved[s] = newItem(kNoItem, {}, 0, 0, false);
  }
  for (std::size_t s = 0; s < staged.items_.size(); ++s) {
    if (s == stagedRootSlot || moved[s] == kNoItem) continue;
    Item &from = staged.items_[s];
    Item &to = items_[moved[s] & kSlotMask];
    to.label = std::move(from.label);
    to.parent = moved[from.parent & kSlotMask];
    to.children = std::move(from.children);
    for (ItemId &child : to.children)
      child = moved[child & kSlotMask];
    to.entries = std::move(from.entries);
    for (FileData *e : to.entries)
      e->parentItem_ = moved[s];
    to.names = std::move(from.names);
    to.icon = from.icon;
    to.selectedIcon = from.selectedIcon;
    from = Item{};
  }
  // The disk's own entry keeps its record; its name moves to the root's name blocks,
  // which the disk's entry of the root lives with.
  FileData *diskEntry = stagedRoot->entries[0];
  diskEntry->name_ = rootNames_->store(diskEntry->name());
  diskEntry->parentItem_ = rootId;
  stagedRoot->entries.clear();
  stagedRoot->children.clear();
  pool_->adopt(*staged.pool_);
  containerPool_->adopt(*staged.containerPool_);
  texts_.merge(staged.texts_);
  entryCount_ += staged.entryCount_;
  staged.entryCount_ = 0;
  attachDisk(moved[stagedDisk], diskEntry);
  return moved[stagedDisk];
}

// ---- entries ----

void CatalogModel::reserveItems(std::size_t count) {
  items_.reserve(items_.size() + count);
}

void CatalogModel::expectEntries(std::size_t count) {
  // One folder for every ten entries or so.
  pool_->expect(count);
  containerPool_->expect(count / 10);
}

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
  // A name beyond what a record holds (only a made-up catalog has one) is cut there.
  if (name.size() > FileData::kMaxNameLength) name = name.substr(0, FileData::kMaxNameLength);
  const char *bytes = names.store(name);
  const auto length = static_cast<std::uint32_t>(name.size());
  FileData *entry;
  if (isContainer(kind)) {
    entry = new (containerPool_->allocate()) ContainerData(bytes, length, parent, size, freeSpace, date, kind);
  } else {
    entry = new (pool_->allocate()) FileData(bytes, length, parent, size, date, kind); // a file has no free space
  }
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

std::size_t CatalogModel::entryIndex(const Item &it, std::string_view name) {
  const EntryList &entries = it.entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i]->name() == name) return i;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (equalIgnoringCase(entries[i]->name(), name)) return i;
  }
  return entries.size();
}

FileData *CatalogModel::lookupEntry(ItemId parent, std::string_view name) const {
  const Item *it = item(parent);
  if (!it) return nullptr;
  const std::size_t at = entryIndex(*it, name);
  return at < it->entries.size() ? it->entries[at] : nullptr;
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

void CatalogModel::releaseRecord(FileData *entry) {
  if (!texts_.empty()) texts_.erase(entry);
  if (entry->isContainer()) {
    auto *container = static_cast<ContainerData *>(entry);
    container->~ContainerData();
    containerPool_->release(container);
  } else {
    entry->~FileData();
    pool_->release(entry);
  }
}

void CatalogModel::destroyEntry(FileData *entry) {
  releaseRecord(entry);
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
  const std::size_t i = entryIndex(*it, name);
  if (i == it->entries.size()) return false;
  FileData *e = it->entries[i];
  const bool announce = it->attached;
  if (announce) notify([&](ModelObserver &o) { o.entryAboutToBeRemoved(*e, i); });
  it = item(parent);
  it->entries.erase(it->entries.begin() + static_cast<std::ptrdiff_t>(i));
  destroyEntry(e);
  if (announce) notify([&](ModelObserver &o) { o.entryRemoved(parent); });
  return true;
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
  for (auto &[entry, texts] : texts_) {
    texts->size.reset();
    texts->freeSpace.reset();
  }
  notify([](ModelObserver &o) { o.sizeTextsDropped(); });
}

std::size_t CatalogModel::entryCount() const {
  return entryCount_;
}

} // namespace tavlor
