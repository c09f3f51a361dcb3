// model_observer.h - how views, result lists and dialogs follow changes of the model.
#ifndef APP_MODEL_MODEL_OBSERVER_H
#define APP_MODEL_MODEL_OBSERVER_H

#include <cstddef>

#include "model/item_id.h"

namespace tavlor {

class FileData;

// Receives every change of a CatalogModel that adds or destroys something, in
// about-to/done pairs. In an "about to" call everything named is still complete and
// may be read; after it, an observer must hold no pointer to a destroyed entry and
// no handle it would use without checking. In a "done" call the change is complete.
// Observers must not change the model from these calls.
//
// A catalog being loaded is built apart from the tree and announced as one disk when
// it is complete, so the items and entries inside a load are never announced one by
// one.
class ModelObserver {
public:
  virtual ~ModelObserver() = default;

  // The item `item`, row `row` among its parent's children, is about to go with every
  // item below it and every entry lying in any of them. The entry of `item` itself
  // (it lies in `parent`) is announced separately afterwards with entryAboutToBeRemoved.
  virtual void subtreeAboutToBeRemoved(ItemId /*parent*/, ItemId /*item*/, std::size_t /*row*/) {}
  virtual void subtreeRemoved(ItemId /*parent*/, ItemId /*item*/) {}

  // Every entry lying directly in `item` is about to be destroyed; the item stays.
  virtual void entriesAboutToBeRemoved(ItemId /*item*/) {}
  virtual void entriesRemoved(ItemId /*item*/) {}

  // `entry`, at position `index` of its parent's entries, is about to be destroyed.
  virtual void entryAboutToBeRemoved(const FileData & /*entry*/, std::size_t /*index*/) {}
  virtual void entryRemoved(ItemId /*parent*/) {}

  // An entry is about to be appended to the entries of `parent` (at `index`, the end)
  // outside a load, and has been.
  virtual void entryAboutToBeAdded(ItemId /*parent*/, std::size_t /*index*/) {}
  virtual void entryAdded(const FileData & /*entry*/) {}

  // A loaded disk's item is about to become child `row` of the root (children stay
  // sorted by label), and its entry the last entry of the root; then it has.
  virtual void diskAboutToBeAdded(ItemId /*root*/, std::size_t /*row*/) {}
  virtual void diskAdded(ItemId /*disk*/, const FileData & /*entry*/) {}

  // The size texts of every entry were dropped (unit or comma changed): redraw.
  virtual void sizeTextsDropped() {}

  // Every disk with all it holds is about to go / has gone; the root stays.
  virtual void modelAboutToBeCleared() {}
  virtual void modelCleared() {}
};

} // namespace tavlor

#endif // APP_MODEL_MODEL_OBSERVER_H
