// The global tables live until the process ends; they are never destroyed, so the exit path
// does not walk millions of Cells just to free them.
#include "front/globals.h"

namespace vorn::front {

GlobalTable& globalTable() {
  static auto* table = new GlobalTable();
  return *table;
}

RecomputeSet& recomputeSet() {
  static auto* set = new RecomputeSet();
  return *set;
}

namespace {
std::uint64_t gGeneration = 1;
}

std::uint64_t tablesGeneration() { return gGeneration; }
void noteTablesChanged() { ++gGeneration; }

cells::Cell* findGlobal(std::string_view name) {
  GlobalTable& table = globalTable();
  auto it = table.find(name);
  return it == table.end() ? nullptr : it->second.get();
}

}  // namespace vorn::front
