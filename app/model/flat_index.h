// flat_index.h - a table from handles or addresses to small numbers, in one array.
//
// Node-based hash tables allocate a node per key and cost a cache miss for the bucket
// and another for the node; an export of a large disk numbers a hundred thousand
// folders. Here a key and its number lie side by side in a slot of 16 bytes found by
// open addressing: no allocation per key, a look-up is one miss at most, and a table of
// a hundred thousand folders fits the second-level cache.
#ifndef APP_MODEL_FLAT_INDEX_H
#define APP_MODEL_FLAT_INDEX_H

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace tavlor {

// Key: an integer or pointer type, never all bits set (that marks an empty slot). Keys
// are never removed; clear() empties the table.
template <typename Key, typename Value> class FlatIndex {
public:
  // Room for n keys without growing.
  void reserve(std::size_t n) {
    if (!roomFor(n)) rehash(std::bit_ceil(std::max<std::size_t>(16, n + n / 3 + 1)));
  }
  void clear() {
    slots_.clear();
    count_ = 0;
  }
  std::size_t size() const { return count_; }

  // Adds key with value unless key is there; false when it was (its value unchanged).
  bool insert(Key key, Value value) {
    if (!roomFor(count_ + 1)) rehash(slots_.empty() ? 16 : slots_.size() * 2);
    Slot &slot = slotFor(key);
    if (slot.key != kEmpty) return false;
    slot = {key, value};
    ++count_;
    return true;
  }
  const Value *find(Key key) const {
    if (slots_.empty()) return nullptr;
    const Slot &slot = const_cast<FlatIndex *>(this)->slotFor(key);
    return slot.key != kEmpty ? &slot.value : nullptr;
  }
  bool contains(Key key) const { return find(key) != nullptr; }
  template <typename F> void forEach(F &&f) const {
    for (const Slot &slot : slots_)
      if (slot.key != kEmpty) f(slot.key, slot.value);
  }

private:
  static inline const Key kEmpty = [] {
    if constexpr (std::is_pointer_v<Key>)
      return reinterpret_cast<Key>(~std::uintptr_t(0));
    else
      return static_cast<Key>(~Key(0));
  }();
  struct Slot {
    Key key = kEmpty;
    Value value{};
  };
  // At most three quarters full: probes stay short.
  bool roomFor(std::size_t n) const { return n * 4 <= slots_.size() * 3; }
  static std::size_t hash(Key key) {
    std::uint64_t x;
    if constexpr (std::is_pointer_v<Key>)
      x = reinterpret_cast<std::uintptr_t>(key);
    else
      x = static_cast<std::uint64_t>(key);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    return static_cast<std::size_t>(x);
  }
  // The slot holding key, or the empty one where it would go.
  Slot &slotFor(Key key) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash(key) & mask;; at = (at + 1) & mask)
      if (slots_[at].key == kEmpty || slots_[at].key == key) return slots_[at];
  }
  void rehash(std::size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    for (const Slot &slot : old)
      if (slot.key != kEmpty) slotFor(slot.key) = slot;
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

} // namespace tavlor

#endif // APP_MODEL_FLAT_INDEX_H
