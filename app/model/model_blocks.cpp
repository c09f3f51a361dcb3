#include "model/model_blocks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace tavlor {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

std::size_t blockLength(std::size_t size) {
  return size < kHugePage ? size : (size + kHugePage - 1) / kHugePage * kHugePage;
}

void BlockRelease::operator()(void *block) const {
  if (size >= kHugePage)
    ::munmap(block, size);
  else
    std::free(block);
}

Block allocateBlock(std::size_t size) {
  if (size < kHugePage) {
    void *block = std::malloc(size);
    if (!block) throw std::bad_alloc();
    return Block(block, BlockRelease{size});
  }
  // Mapped with room to spare, then trimmed to a huge-page boundary on both sides.
  const std::size_t length = blockLength(size);
  void *mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::uintptr_t end = start + length + kHugePage;
  if (end > aligned + length) ::munmap(reinterpret_cast<void *>(aligned + length), end - (aligned + length));
  void *block = reinterpret_cast<void *>(aligned);
  ::madvise(block, length, MADV_HUGEPAGE);
  return Block(block, BlockRelease{length});
}

} // namespace tavlor
