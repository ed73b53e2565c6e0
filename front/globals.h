// The process-wide global table of definitions and the recompute set. Keys are canonical names;
// the empty name "" holds the program's entry expression (and, after a successful run, its
// result). Names in the recompute set were defined in the empty-call form and are never memoised.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "cells/cell.h"

namespace vorn::front {

using GlobalTable = std::map<std::string, cells::CellRef, std::less<>>;
using RecomputeSet = std::set<std::string, std::less<>>;

GlobalTable& globalTable();
RecomputeSet& recomputeSet();

// The definition stored under `name`, or nullptr (a borrow, valid until the entry changes).
cells::Cell* findGlobal(std::string_view name);

// A counter that changes whenever entries may have left the global table or the builtin table
// (start-up, pruning). Whoever keeps pointers into the tables checks it before using them.
std::uint64_t tablesGeneration();
void noteTablesChanged();

}  // namespace vorn::front
