// model_storage.h - the storage behind CatalogModel: items, entries and name bytes.
// Private to the model's own sources.
#ifndef APP_MODEL_MODEL_STORAGE_H
#define APP_MODEL_MODEL_STORAGE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/catalog_model.h"
#include "model/model_blocks.h"
#include "model/names.h"

namespace tavlor {

struct CatalogModel::Texts {
  std::optional<std::string> size;
  std::optional<std::string> freeSpace;
  std::optional<std::string> date;
};

// Name bytes of one disk in large blocks, released together with the disk: a million
// names cost their bytes and no allocation each.
class CatalogModel::NameArena {
public:
  // Makes the next block hold at least bytes (up to the largest block): a large
  // catalog starts on huge pages instead of growing through small blocks.
  void expect(std::size_t bytes) { nextBlock_ = std::min(bytes, kLargestBlock); }
  const char *store(std::string_view name) {
    if (name.empty()) return "";
    if (name.size() > kFirstBlock / 4) {
      large_.push_back(std::make_unique_for_overwrite<char[]>(name.size()));
      std::memcpy(large_.back().get(), name.data(), name.size());
      return large_.back().get();
    }
    if (blocks_.empty() || used_ + name.size() > blockSize_) newBlock();
    char *at = static_cast<char *>(blocks_.back().get()) + used_;
    std::memcpy(at, name.data(), name.size());
    used_ += name.size();
    return at;
  }
  // A copy of a folder's list of entries, in the same blocks.
  FileData **storeList(FileData *const *entries, std::size_t count) {
    if (count == 0) return nullptr;
    const std::size_t bytes = count * sizeof(FileData *);
    FileData **at;
    if (bytes > kFirstBlock / 4) {
      large_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
      at = reinterpret_cast<FileData **>(large_.back().get());
    } else {
      std::size_t aligned = (used_ + alignof(FileData *) - 1) & ~(alignof(FileData *) - 1);
      if (blocks_.empty() || aligned + bytes > blockSize_) {
        newBlock();
        aligned = 0;
      }
      at = reinterpret_cast<FileData **>(static_cast<char *>(blocks_.back().get()) + aligned);
      used_ = aligned + bytes;
    }
    std::memcpy(at, entries, bytes);
    return at;
  }

private:
  void newBlock() {
    // Never smaller than the block before: growth goes on from an expected size.
    blockSize_ = std::max({nextBlockSize(blocks_.size(), kFirstBlock, kLargestBlock), nextBlock_, blockSize_});
    nextBlock_ = 0;
    blocks_.push_back(allocateBlock(blockSize_));
    used_ = 0;
  }
  static constexpr std::size_t kFirstBlock = 64 * 1024;
  static constexpr std::size_t kLargestBlock = 8 * 1024 * 1024;
  std::vector<Block> blocks_;
  std::vector<std::unique_ptr<char[]>> large_;
  std::size_t used_ = 0;
  std::size_t blockSize_ = 0;
  std::size_t nextBlock_ = 0;
};

// Records of one size (FileData or ContainerData) in blocks; a destroyed record's slot
// is reused, and no record ever moves, so pointers stay valid until the record is
// destroyed.
class CatalogModel::EntryPool {
public:
  explicit EntryPool(std::size_t slot) : slot_(slot) {}
  ~EntryPool() = default; // the model destroys every live record first

  // The same for count more records.
  void expect(std::size_t count) { nextBlock_ = std::min(count * slot_, kLargestBlock); }
  void *allocate() {
    ++live_;
    if (!free_.empty()) {
      void *slot = free_.back();
      free_.pop_back();
      return slot;
    }
    if (blocks_.empty() || used_ == blockSlots_) {
      const std::size_t bytes =
          std::max({nextBlockSize(blocks_.size(), kFirstBlock, kLargestBlock), nextBlock_, blockSlots_ * slot_});
      nextBlock_ = 0;
      blocks_.push_back(allocateBlock(bytes));
      blockSlots_ = bytes / slot_;
      used_ = 0;
    }
    return static_cast<char *>(blocks_.back().get()) + slot_ * used_++;
  }
  // A slot whose record has been destroyed. The last live record's release gives every
  // block back: records of catalogs loaded elsewhere and adopted never take freed slots.
  void release(void *slot) {
    if (--live_ == 0) {
      std::vector<Block>().swap(blocks_);
      std::vector<void *>().swap(free_);
      used_ = blockSlots_ = 0;
      return;
    }
    free_.push_back(slot);
  }
  // Takes over the blocks of other, with the records in them and its free slots: a
  // catalog loaded into a model of its own joins this one without a record moving.
  // New records still come from this pool's own last block.
  void adopt(EntryPool &other) {
    const auto at = blocks_.empty() ? blocks_.end() : blocks_.end() - 1;
    blocks_.insert(at, std::make_move_iterator(other.blocks_.begin()), std::make_move_iterator(other.blocks_.end()));
    free_.insert(free_.end(), other.free_.begin(), other.free_.end());
    live_ += other.live_;
    other.blocks_.clear();
    other.free_.clear();
    other.used_ = other.blockSlots_ = other.live_ = 0;
  }

private:
  // A million entries of a real disk: every word of a record counts.
  static_assert(sizeof(FileData) <= 32, "FileData grew");
  static_assert(sizeof(FileData) % alignof(ContainerData) == 0 && sizeof(ContainerData) % alignof(ContainerData) == 0);
  std::size_t slot_;
  static constexpr std::size_t kFirstBlock = 64 * 1024;
  static constexpr std::size_t kLargestBlock = 8 * 1024 * 1024;
  std::vector<Block> blocks_;
  std::vector<void *> free_;
  std::size_t live_ = 0;
  std::size_t used_ = 0;
  std::size_t blockSlots_ = 0;
  std::size_t nextBlock_ = 0;
};

// The entries of one folder item. A loaded folder's list lies in its disk's name
// blocks (adopt), which outlive it; a change that needs more room moves it to memory
// of its own. Pointers into the list stay valid until it changes.
class EntryList {
public:
  EntryList() = default;
  EntryList(EntryList &&other) noexcept { take(other); }
  EntryList &operator=(EntryList &&other) noexcept {
    if (this != &other) {
      clear();
      take(other);
    }
    return *this;
  }
  ~EntryList() { clear(); }

  // Lists count entries kept at data, memory that outlives the list.
  void adopt(FileData **data, std::size_t count) {
    clear();
    data_ = data;
    size_ = static_cast<std::uint32_t>(count);
  }
  FileData **begin() { return data_; }
  FileData **end() { return data_ + size_; }
  FileData *const *begin() const { return data_; }
  FileData *const *end() const { return data_ + size_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  FileData *operator[](std::size_t i) const { return data_[i]; }
  operator std::span<FileData *const>() const { return {data_, size_}; }

  void push_back(FileData *entry) {
    if (size_ >= capacity_) grow(std::size_t{size_} + 1);
    data_[size_++] = entry;
  }
  FileData **erase(FileData **first, FileData **last) {
    std::copy(last, end(), first);
    size_ -= static_cast<std::uint32_t>(last - first);
    return first;
  }
  FileData **erase(FileData **at) { return erase(at, at + 1); }
  // Empties the list, and lets go of the memory it lay in.
  void clear() {
    if (capacity_ != 0) delete[] data_;
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

private:
  void take(EntryList &other) {
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  void grow(std::size_t needed) {
    // Room for fewer than 2^32 entries: more than a catalog of the largest size read holds.
    const std::size_t capacity = std::min<std::size_t>(std::max<std::size_t>({needed, std::size_t{capacity_} * 2, 4}),
                                                       std::numeric_limits<std::uint32_t>::max());
    if (needed > capacity) throw std::length_error("a folder of more entries than a list holds");
    FileData **moved = new FileData *[capacity];
    std::copy(begin(), end(), moved);
    const std::uint32_t size = size_;
    clear();
    data_ = moved;
    size_ = size;
    capacity_ = static_cast<std::uint32_t>(capacity);
  }
  FileData **data_ = nullptr;
  std::uint32_t size_ = 0;
  // The room of a list of its own; 0 while the list lies in memory it does not own.
  std::uint32_t capacity_ = 0;
};

struct CatalogModel::Item {
  std::string label;
  ItemId parent = kNoItem;
  std::vector<ItemId> children;
  EntryList entries;
  mutable std::unique_ptr<std::string> path; // itemPath, once asked
  std::unique_ptr<NameArena> names;          // a disk's name bytes
  std::uint32_t generation = 0;
  std::int8_t icon = 0;
  std::int8_t selectedIcon = 0;
  bool alive = false;
  bool attached = false; // reachable from the root (false while its catalog loads)
};

} // namespace tavlor

#endif // APP_MODEL_MODEL_STORAGE_H
