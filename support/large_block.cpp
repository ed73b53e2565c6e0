// Zeroed blocks, each advised for huge pages. The advice is a request: on a system without
// transparent huge pages, or with them turned off, it does nothing and the blocks are ordinary
// memory.
#include "support/large_block.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "support/assert.h"

namespace vorn::support {

namespace {

constexpr std::size_t kHugePage = std::size_t{1} << 21;

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
  if (end >= begin + kHugePage) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

void* allocateZeroedBlock(std::size_t bytes) {
  // A large block comes from a fresh mapping, whose pages the C library knows are zero already:
  // no pass writes zeros into it, and its pages are first touched by their first use.
  void* block = checked(std::calloc(1, bytes));
  adviseHugePages(block, bytes);
  return block;
}

void freeLargeBlock(void* block) { std::free(block); }

}  // namespace vorn::support
