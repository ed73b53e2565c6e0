// The one entry point through which every Cell is allocated and freed, with a live counter so
// tests can see that freeing really happens. Small blocks (every Pair and most Atoms) come from
// free lists by size class, carved from large chunks: a Cell costs a few instructions instead of
// a trip through malloc. The sanitizer build uses malloc and free directly, so that every block
// stays visible to AddressSanitizer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "support/config.h"

namespace vorn::cells {

namespace detail {

struct FreeBlock {
  FreeBlock* next;
};

// Size classes in 8-byte units, up to kSmallUnits units (64 bytes).
inline constexpr std::size_t kSmallUnits = 8;

struct Pools {
  FreeBlock* free[kSmallUnits + 1] = {};
  std::int64_t live = 0;
};

extern Pools gPools;

void* allocateFresh(std::size_t units);
void* allocateLarge(std::size_t bytes);
void freeLarge(void* block);

}  // namespace detail

#if defined(VORN_PLAIN_ALLOCATOR)
inline constexpr bool kPooled = false;
#else
inline constexpr bool kPooled = true;
#endif

inline void* cellAllocate(std::size_t bytes) {
  using namespace detail;
  std::size_t units = (bytes + 7) >> 3;
  VORN_COUNT_CELL_BYTES(static_cast<std::int64_t>(bytes));
  if (kPooled && units <= kSmallUnits) {
    ++gPools.live;
    FreeBlock* block = gPools.free[units];
    if (block == nullptr) return allocateFresh(units);
    gPools.free[units] = block->next;
    return block;
  }
  return allocateLarge(bytes);
}

// `bytes` must be the size the block was allocated with.
inline void cellFree(void* block, std::size_t bytes) {
  using namespace detail;
  std::size_t units = (bytes + 7) >> 3;
  VORN_COUNT_CELL_BYTES(-static_cast<std::int64_t>(bytes));
  if (kPooled && units <= kSmallUnits) {
    --gPools.live;
    auto* b = static_cast<FreeBlock*>(block);
    b->next = gPools.free[units];
    gPools.free[units] = b;
    return;
  }
  freeLarge(block);
}

// A block of `oldBytes` made room for at least `newBytes` (more than `oldBytes`), its contents
// kept; it may move. A small block stays where it is while its size class still holds the new
// size; a large block grows by half again at a time, so a block grown piece by piece is copied
// a bounded number of times on average. The block then counts as allocated with `newBytes`.
void* cellGrow(void* block, std::size_t oldBytes, std::size_t newBytes);

// Number of Cell blocks currently allocated and not yet freed.
inline std::int64_t liveCellBlocks() { return detail::gPools.live; }

}  // namespace vorn::cells
