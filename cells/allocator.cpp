// Cell allocation over the general heap. An allocation failure ends the process with the fatal
// error "memory": no Cell can be made, and nothing a program does can recover from that.
#include "cells/allocator.h"

#include <cstdlib>

#include "driver/report.h"

namespace vorn::cells {

namespace {
std::int64_t gLiveBlocks = 0;
}

void* cellAllocate(std::size_t bytes) {
  void* block = std::malloc(bytes);
  if (block == nullptr) driver::fatal("memory");
  ++gLiveBlocks;
  return block;
}

void cellFree(void* block, std::size_t /*bytes*/) {
  --gLiveBlocks;
  std::free(block);
}

std::int64_t liveCellBlocks() { return gLiveBlocks; }

}  // namespace vorn::cells
