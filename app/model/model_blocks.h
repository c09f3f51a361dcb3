// model_blocks.h - the large blocks the model's records and names live in.
//
// A million entries fault in tens of thousands of pages one at a time, which costs more
// than reading the catalog. Blocks grow geometrically (a small disk stays small) and
// those of 2 MiB and more are aligned and asked to be backed by huge pages, so a large
// catalog is faulted in a few hundred steps.
#ifndef APP_MODEL_MODEL_BLOCKS_H
#define APP_MODEL_MODEL_BLOCKS_H

#include <cstddef>
#include <memory>

namespace tavlor {

// The length a block of size bytes takes: size itself below 2 MiB, whole huge pages above.
std::size_t blockLength(std::size_t size);

struct BlockRelease {
  std::size_t size = 0;
  void operator()(void *block) const;
};
using Block = std::unique_ptr<void, BlockRelease>;

// size bytes, uninitialised; throws std::bad_alloc when none are to be had.
Block allocateBlock(std::size_t size);

// Gives back what allocateBlock(size) gave.
inline void releaseBlock(void *block, std::size_t size) {
  BlockRelease{blockLength(size)}(block);
}

// An allocator over the same blocks, for a large array such as the model's folder items.
template <typename T> struct BlockAllocator {
  using value_type = T;
  BlockAllocator() = default;
  template <typename U> BlockAllocator(const BlockAllocator<U> &) {}
  T *allocate(std::size_t n) { return static_cast<T *>(allocateBlock(n * sizeof(T)).release()); }
  void deallocate(T *p, std::size_t n) { releaseBlock(p, n * sizeof(T)); }
  template <typename U> bool operator==(const BlockAllocator<U> &) const { return true; }
};

// The size of the next block of a store that holds count blocks now: first bytes,
// doubling up to largest.
inline std::size_t nextBlockSize(std::size_t count, std::size_t first, std::size_t largest) {
  std::size_t size = first;
  for (std::size_t i = 0; i < count && size < largest; ++i)
    size *= 2;
  return size < largest ? size : largest;
}

} // namespace tavlor

#endif // APP_MODEL_MODEL_BLOCKS_H
