// Chunks for the small-block pools, and the large blocks. An allocation failure ends the process
// with the fatal error "memory": no Cell can be made, and nothing a program does can recover.
#include "cells/allocator.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/assert.h"

namespace vorn::cells::detail {

Pools gPools;

namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

struct Chunk {
  char* next = nullptr;
  char* end = nullptr;
};

Chunk gChunk;

std::vector<char*>& chunks() {
  static auto* all = new std::vector<char*>();
  return *all;
}

void* checked(void* block) {
  if (block == nullptr) support::fatal("memory");
  return block;
}

}  // namespace

void* allocateFresh(std::size_t units) {
  std::size_t bytes = units * 8;
  if (static_cast<std::size_t>(gChunk.end - gChunk.next) < bytes) {
    // The rest of the old chunk is too small for this class: it goes to the free list of its own
    // size so nothing is lost.
    std::size_t left = static_cast<std::size_t>(gChunk.end - gChunk.next) / 8;
    if (left != 0) {
      auto* b = reinterpret_cast<FreeBlock*>(gChunk.next);
      b->next = gPools.free[left];
      gPools.free[left] = b;
    }
    gChunk.next = static_cast<char*>(checked(std::malloc(kChunkBytes)));
    chunks().push_back(gChunk.next);  // kept reachable: chunks live until the process ends
    gChunk.end = gChunk.next + kChunkBytes;
  }
  void* block = gChunk.next;
  gChunk.next += bytes;
  return block;
}

void* allocateLarge(std::size_t bytes) {
  ++gPools.live;
  return checked(std::malloc(bytes));
}

void freeLarge(void* block) {
  --gPools.live;
  std::free(block);
}

}  // namespace vorn::cells::detail

namespace vorn::cells {

void* cellGrow(void* block, std::size_t oldBytes, std::size_t newBytes) {
  using namespace detail;
  std::size_t oldUnits = (oldBytes + 7) >> 3;
  std::size_t newUnits = (newBytes + 7) >> 3;
  if (kPooled && oldUnits <= kSmallUnits) {
    if (newUnits == oldUnits) {
      VORN_COUNT_CELL_BYTES(static_cast<std::int64_t>(newBytes - oldBytes));
      return block;
    }
    void* moved = cellAllocate(newBytes);
    std::memcpy(moved, block, oldBytes);
    cellFree(block, oldBytes);
    return moved;
  }
  // A large block: from malloc, whose usable size tells how much room it already has.
  VORN_COUNT_CELL_BYTES(static_cast<std::int64_t>(newBytes - oldBytes));
  if (malloc_usable_size(block) >= newBytes) return block;
  return checked(std::realloc(block, newBytes + newBytes / 2));
}

}  // namespace vorn::cells
