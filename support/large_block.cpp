// Large blocks, each advised for huge pages. The advice is a request: on a
// system without transparent huge pages, or with them turned off, it does nothing and the blocks
// are ordinary memory.
#include "support/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "support/assert.h"

namespace vorn::support {

namespace {

void* checked(void* block) {
  if (block == nullptr) fatal("memory");
  return block;
}

// Advises the whole pages inside the block; the kernel backs the huge-page-aligned stretches of
// them with huge pages as they are first touched.
void adviseHugePages(void* block, std::size_t bytes) {
  constexpr std::uintptr_t kPage = 4096;
  auto begin = (reinterpret_cast<std::uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(kPage - 1);
  if (end >= begin + kHugePageBytes) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

void* allocateZeroedBlock(std::size_t bytes) {
  // A block this large comes from a fresh mapping, whose pages the C library knows are zero.
  void* block = checked(std::calloc(1, bytes));
  adviseHugePages(block, bytes);
  return block;
}

void freeLargeBlock(void* block) { std::free(block); }

void* allocateHugeChunk(std::size_t bytes) {
  // A mapping one huge page longer than asked, trimmed at both ends to the aligned stretch.
  std::size_t mapped = bytes + kHugePageBytes;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) fatal("memory");
  auto start = reinterpret_cast<std::uintptr_t>(raw);
  auto aligned = (start + kHugePageBytes - 1) & ~(std::uintptr_t{kHugePageBytes} - 1);
  std::size_t head = aligned - start;
  if (head != 0) munmap(raw, head);
  if (mapped - head != bytes) munmap(reinterpret_cast<void*>(aligned + bytes), mapped - head - bytes);
  void* block = reinterpret_cast<void*>(aligned);
  adviseHugePages(block, bytes);
  return block;
}

}  // namespace vorn::support
