// model_storage.h - the storage behind CatalogModel: items, entries and name bytes.
// Private to the model's own sources.
#ifndef APP_MODEL_MODEL_STORAGE_H
#define APP_MODEL_MODEL_STORAGE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "model/catalog_model.h"
#include "model/model_blocks.h"
#include "model/names.h"

namespace tavlor {

struct FileData::Texts {
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
    if (blocks_.empty() || used_ + name.size() > blockSize_) {
      // Never smaller than the block before: growth goes on from an expected size.
      blockSize_ = std::max({nextBlockSize(blocks_.size(), kFirstBlock, kLargestBlock), nextBlock_, blockSize_});
      nextBlock_ = 0;
      blocks_.push_back(allocateBlock(blockSize_));
      used_ = 0;
    }
    char *at = static_cast<char *>(blocks_.back().get()) + used_;
    std::memcpy(at, name.data(), name.size());
    used_ += name.size();
    return at;
  }

private:
  static constexpr std::size_t kFirstBlock = 64 * 1024;
  static constexpr std::size_t kLargestBlock = 8 * 1024 * 1024;
  std::vector<Block> blocks_;
  std::vector<std::unique_ptr<char[]>> large_;
  std::size_t used_ = 0;
  std::size_t blockSize_ = 0;
  std::size_t nextBlock_ = 0;
};

// FileData records in blocks of fixed size; a destroyed record's slot is reused, and
// no record ever moves, so pointers stay valid until the record is destroyed.
class CatalogModel::EntryPool {
public:
  ~EntryPool() = default; // the model destroys every live record first

  // The same for count more records.
  void expect(std::size_t count) { nextBlock_ = std::min(count * sizeof(Slot), kLargestBlock); }
  void *allocate() {
    if (!free_.empty()) {
      void *slot = free_.back();
      free_.pop_back();
      return slot;
    }
    if (blocks_.empty() || used_ == blockSlots_) {
      const std::size_t bytes =
          std::max({nextBlockSize(blocks_.size(), kFirstBlock, kLargestBlock), nextBlock_, blockSlots_ * sizeof(Slot)});
      nextBlock_ = 0;
      blocks_.push_back(allocateBlock(bytes));
      blockSlots_ = bytes / sizeof(Slot);
      used_ = 0;
    }
    return static_cast<Slot *>(blocks_.back().get()) + used_++;
  }
  void release(FileData *entry) {
    entry->~FileData();
    free_.push_back(entry);
  }

private:
  struct Slot {
    alignas(FileData) unsigned char bytes[sizeof(FileData)];
  };
  // A million entries of a real disk: every word of a record counts.
  static_assert(sizeof(FileData) <= 56, "FileData grew");
  static constexpr std::size_t kFirstBlock = 64 * 1024;
  static constexpr std::size_t kLargestBlock = 8 * 1024 * 1024;
  std::vector<Block> blocks_;
  std::vector<void *> free_;
  std::size_t used_ = 0;
  std::size_t blockSlots_ = 0;
  std::size_t nextBlock_ = 0;
};

struct CatalogModel::Item {
  std::string label;
  ItemId parent = kNoItem;
  std::vector<ItemId> children;
  std::vector<FileData *> entries;
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
