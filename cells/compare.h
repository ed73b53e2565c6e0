// The structural order of values: Atoms by their bytes, Atoms before Pairs, Pairs by their left
// children and then their right ones. Used by cmpr and by ordered containers of Cells.
#pragma once

#include "cells/cell.h"

namespace vorn::cells {

// 0 when equal, 1 when a comes before b, -1 when a comes after b. A pair of shared subtrees is
// compared once, however many ways lead to it, so the time follows the Cells, not the paths.
int compareValues(const Cell* a, const Cell* b);

// The same order by the walk that compareValues turns to for large comparisons, which remembers
// the pairs it found equal; callable on its own so that it can be checked on small values.
int compareSharedValues(const Cell* a, const Cell* b);

// Strict weak order for ordered containers of Cells.
struct CellOrder {
  bool operator()(const Cell* a, const Cell* b) const { return compareValues(a, b) == 1; }
};

}  // namespace vorn::cells
