// item_id.h - handles of the folder tree's items.
#ifndef APP_MODEL_ITEM_ID_H
#define APP_MODEL_ITEM_ID_H

#include <cstdint>

namespace tavlor {

// An opaque, stable handle of a folder item; 0 is no item. A handle is never reused
// for another item, so one kept across a reload can be checked with
// CatalogModel::isValid and is then simply stale, never someone else's item. It fits
// the internal id of a Qt model index.
using ItemId = std::uint64_t;
inline constexpr ItemId kNoItem = 0;

} // namespace tavlor

#endif // APP_MODEL_ITEM_ID_H
