// The one entry point through which every Cell is allocated and freed, with live counters so
// tests can see that freeing really happens. Changing the allocator means changing this pair.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn::cells {

void* cellAllocate(std::size_t bytes);
void cellFree(void* block, std::size_t bytes);

// Number of Cell blocks currently allocated and not yet freed.
std::int64_t liveCellBlocks();

}  // namespace vorn::cells
