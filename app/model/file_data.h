// file_data.h - one disk, folder, Zip Folder or file of a loaded catalog.
#ifndef APP_MODEL_FILE_DATA_H
#define APP_MODEL_FILE_DATA_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "model/item_id.h"
#include "model/node_kind.h"

namespace tavlor {

class CatalogModel;

// An entry of the entry store. Entries are created and destroyed only by their
// CatalogModel, which keeps them at a stable address from addEntry until they are
// removed; a removal is always announced to the model's observers first
// (model_observer.h), so a view that drops its pointers on the announcement never
// reaches a destroyed entry.
//
// The name bytes live in the model's name storage and stay valid as long as the
// entry. The derived texts (size, date, folder path) are computed by the model on
// first use and cached beside the entries (CatalogModel::sizeText ...): most entries
// never show a text, and a million records are eight megabytes less without a place
// for them.
class FileData {
public:
  ~FileData();
  FileData(const FileData &) = delete;
  FileData &operator=(const FileData &) = delete;

  // The name as read from the catalog; for a disk its label. Bytes, not text.
  std::string_view name() const {
    return {name_, static_cast<std::size_t>((packed_ >> kLengthShift) & kMaxNameLength)};
  }
  // The folder item this entry lies in (the root for a disk).
  ItemId parentItem() const { return parentItem_; }
  NodeKind kind() const { return static_cast<NodeKind>(packed_ & kKindMask); }
  // Disk: total bytes; file: its size; folder and Zip Folder: the first number of
  // its folder line, replaced by the sum of its contents the first time its size
  // text is asked for when it was 0.
  std::int64_t size() const { return size_; }
  // size(), for another thread while the window's thread may be filling in a folder's
  // sum (which is stored the same way): it reads the catalog's number or the sum.
  std::int64_t sizeAcrossThreads() const {
    return std::atomic_ref<std::int64_t>(size_).load(std::memory_order_relaxed);
  }
  // Disk: free bytes; folder and Zip Folder: the second number of its folder line;
  // file: 0.
  std::int64_t freeSpace() const;
  // Seconds since 1970-01-01 00:00 UTC.
  std::time_t date() const { return static_cast<std::time_t>(static_cast<std::int64_t>(packed_) >> kDateShift); }

  // What a record holds: names of at most a mebibyte (a file system's names are at
  // most a few hundred bytes, a Zip member's 64 KiB) and dates within some seventeen
  // thousand years of 1970. The model cuts what lies beyond.
  static constexpr std::size_t kMaxNameLength = (std::size_t(1) << 20) - 1;
  static constexpr std::int64_t kLatestDate = (std::int64_t(1) << 39) - 1;
  static constexpr std::int64_t kEarliestDate = -(std::int64_t(1) << 39);

  bool isZipFolder() const { return tavlor::isZipFolder(kind()); }
  bool isDisk() const { return tavlor::isDisk(kind()); }
  bool isContainer() const { return tavlor::isContainer(kind()); }
  bool isFile() const { return !isContainer(); }

private:
  friend class CatalogModel;
  friend class ContainerData;
  FileData(const char *name, std::uint32_t nameLength, ItemId parentItem, std::int64_t size, std::time_t date,
           NodeKind kind);
  // A container's size replaced by the sum of its contents.
  void fillSize(std::int64_t sum) const { std::atomic_ref<std::int64_t>(size_).store(sum, std::memory_order_relaxed); }

  static constexpr int kLengthShift = 4;
  static constexpr int kDateShift = 24;
  static constexpr std::uint64_t kKindMask = 0xf;

  const char *name_;
  ItemId parentItem_;
  mutable std::int64_t size_;
  // The date (the top 40 bits, signed), the name's length (20 bits) and the kind (4
  // bits) in one word: a record of a file is half a cache line.
  std::uint64_t packed_;
};

// A disk, folder or Zip Folder: an entry with the free space files do not have (a
// million files are a million words less).
class ContainerData final : public FileData {
private:
  friend class CatalogModel;
  friend class FileData;
  ContainerData(const char *name, std::uint32_t nameLength, ItemId parentItem, std::int64_t size,
                std::int64_t freeSpace, std::time_t date, NodeKind kind)
      : FileData(name, nameLength, parentItem, size, date, kind), freeSpace_(freeSpace) {}
  std::int64_t freeSpace_;
};

inline std::int64_t FileData::freeSpace() const {
  return isContainer() ? static_cast<const ContainerData *>(this)->freeSpace_ : 0;
}

// Asks for a record's memory ahead of its use, both cache lines where it straddles
// one's end (a record is 32 or 40 bytes), for walks that reach records all over the model.
// Always inlined: to GCC a function that only prefetches has no effect, and a call of
// it that is not inlined first is dropped with its prefetches.
[[gnu::always_inline]] inline void prefetchRecord(const FileData *entry) {
  __builtin_prefetch(entry);
  __builtin_prefetch(reinterpret_cast<const char *>(entry) + sizeof(FileData) - 1);
}

// The entries of a run of folders one after the other: spanOf(k) gives the entries of
// the k-th of count folders. For walks that fetch ahead across folders, most of which
// hold a few entries.
template <typename SpanOf> class EntryCursor {
public:
  EntryCursor(std::size_t count, SpanOf spanOf) : count_(count), spanOf_(spanOf) {}
  // The entry after the one given last; nullptr after the last.
  const FileData *next() {
    while (entry_ == entries_.size()) {
      if (folder_ == count_) return nullptr;
      entries_ = spanOf_(folder_++);
      entry_ = 0;
    }
    return entries_[entry_++];
  }

private:
  std::size_t count_;
  SpanOf spanOf_;
  std::size_t folder_ = 0, entry_ = 0;
  std::span<FileData *const> entries_;
};

// Fetches the records 16 entries and the names 8 entries ahead of a walk through the
// entries of a run of folders: step() once per entry walked.
template <typename SpanOf> class WalkAhead {
public:
  WalkAhead(std::size_t count, SpanOf spanOf) : records_(count, spanOf), names_(count, spanOf) {
    for (int k = 0; k < 16; ++k)
      if (const FileData *e = records_.next()) prefetchRecord(e);
    for (int k = 0; k < 8; ++k)
      names_.next();
  }
  // Always inlined, as prefetchRecord is.
  [[gnu::always_inline]] void step() {
    if (const FileData *e = records_.next()) prefetchRecord(e);
    if (const FileData *e = names_.next()) __builtin_prefetch(e->name().data());
  }

private:
  EntryCursor<SpanOf> records_, names_;
};

} // namespace tavlor

#endif // APP_MODEL_FILE_DATA_H
