// Chunks for the small-block pools, and the large blocks. An allocation failure ends the process
// with the fatal error "memory": no Cell can be made, and nothing a program does can recover.
#include "cells/allocator.h"

#include <cstdlib>
#include <vector>

#include "driver/report.h"

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
  if (block == nullptr) driver::fatal("memory");
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
