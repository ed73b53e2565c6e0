// The interning set: one process-wide set of canonical Cells ordered structurally. After
// interning, structurally equal values are the same Cell.
#pragma once

#include <set>

#include "cells/cell.h"
#include "cells/compare.h"

namespace vorn::check {

using InternSet = std::set<cells::Cell*, cells::CellOrder>;

// The set; every member holds one reference owned by the set.
InternSet& internSet();
// Empties the set, releasing its references.
void clearInternSet();
// The canonical Cell equal to x, inserting x (or a rebuilt Pair of canonical children).
cells::CellRef intern(const cells::CellRef& x);

}  // namespace vorn::check
