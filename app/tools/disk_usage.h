// disk_usage.h - the sizes of the folder items below a point of the tree, largest
// first: what takes the room on the cataloged disks.
#ifndef APP_TOOLS_DISK_USAGE_H
#define APP_TOOLS_DISK_USAGE_H

#include <cstdint>
#include <vector>

#include "model/catalog_model.h"

namespace tavlor {

struct UsageRow {
  ItemId item = kNoItem;
  // Its entry in its parent (lookupEntry's): null for the root and for a folder item
  // its parent holds no entry for.
  const FileData *entry = nullptr;
  std::int64_t size = 0; // what accumulate sums below the item
  int depth = 0;         // levels below the top
};

// The top and every folder item (disk, folder, Zip Folder) at most depth levels below
// it, each with the size accumulate gives for it (so the Properties of a container
// show the same size), sorted largest first, equal sizes in tree order. The whole
// subtree is summed in one walk without recursion, however deep it nests.
std::vector<UsageRow> diskUsage(const CatalogModel &model, ItemId top, int depth);

} // namespace tavlor

#endif // APP_TOOLS_DISK_USAGE_H
