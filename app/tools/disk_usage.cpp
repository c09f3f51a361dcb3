#include "tools/disk_usage.h"

#include <algorithm>
#include <limits>

namespace tavlor {

namespace {

// As accumulate adds: sizes below zero count as 0 and the sum saturates, so a damaged
// catalog never shows a negative or wrapped total.
std::int64_t addSize(std::int64_t sum, std::int64_t size) {
  if (size <= 0) return sum;
  if (sum > std::numeric_limits<std::int64_t>::max() - size) return std::numeric_limits<std::int64_t>::max();
  return sum + size;
}

struct Node {
  ItemId item;
  const FileData *entry;
  std::size_t parent; // index in the walk; the top's is its own
  int depth;
  // What the item adds to its parent: its own total, or for a Zip Folder its stored
  // size; nothing when its parent holds no container entry for it.
  bool counted;
  bool zip;
  std::int64_t stored;
  std::int64_t total;
  std::size_t rank; // the position in tree order
};

} // namespace

std::vector<UsageRow> diskUsage(const CatalogModel &model, ItemId top, int depth) {
  std::vector<Node> nodes;
  if (!model.isValid(top)) return {};
  // Pre-order: every node comes after its parent, so walking the list backwards sums
  // children before their parents.
  std::vector<std::size_t> pending;
  std::vector<const FileData *> childEntries;
  const ItemId topParent = model.parentOf(top);
  nodes.push_back({top, topParent == kNoItem ? nullptr : model.lookupEntry(topParent, model.label(top)), 0, 0, false,
                   false, 0, 0, 0});
  std::size_t visited = 0;
  pending.push_back(0);
  while (!pending.empty()) {
    const std::size_t index = pending.back();
    pending.pop_back();
    const ItemId item = nodes[index].item;
    nodes[index].rank = visited++;
    std::int64_t files = 0;
    for (const FileData *e : model.entriesOf(item))
      if (!e->isContainer()) files = addSize(files, e->size());
    nodes[index].total = files;
    const std::span<const ItemId> children = model.childrenOf(item);
    model.childEntries(item, childEntries); // all at once: a folder may hold 100,000 subfolders
    for (std::size_t k = children.size(); k-- > 0;) {
      const ItemId child = children[k];
      const FileData *entry = childEntries[k];
      // As accumulate: a folder item without a container entry in its parent is not
      // part of the disk's contents.
      if (!entry || !entry->isContainer()) continue;
      nodes.push_back({child, entry, index, nodes[index].depth + 1, true, entry->isZipFolder(), entry->size(), 0, 0});
      pending.push_back(nodes.size() - 1);
    }
  }
  for (std::size_t i = nodes.size(); i-- > 1;) {
    const Node &n = nodes[i];
    if (n.counted) nodes[n.parent].total = addSize(nodes[n.parent].total, n.zip ? n.stored : n.total);
  }
  std::vector<const Node *> shown;
  for (const Node &n : nodes)
    if (n.depth <= depth) shown.push_back(&n);
  std::sort(shown.begin(), shown.end(), [](const Node *a, const Node *b) {
    return a->total != b->total ? a->total > b->total : a->rank < b->rank;
  });
  std::vector<UsageRow> rows;
  rows.reserve(shown.size());
  for (const Node *n : shown)
    rows.push_back({n->item, n->entry, n->total, n->depth});
  return rows;
}

} // namespace tavlor
