// Filling the builtin table from the one list of rows.
#include "builtins/table.h"

namespace vorn::builtins {

// Every entry named in the list, declared once here; each family file defines its own.
#define VORN_BUILTIN(name, arity, entry, family) CellRef entry(CellRef node);
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN

// The shortcuts of the arithmetic family (arithmetic.cpp).
void addQuickEntries(BuiltinTable& table);

void fillBuiltinTable(BuiltinTable& table) {
#define VORN_BUILTIN(name, arity, entry, family) \
  table.emplace(#name, Builtin{arity, &entry, program::Family::family});
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN
  addQuickEntries(table);
}

BuiltinTable& builtinTable() {
  BuiltinTable& table = program::tables().builtins();
  if (table.empty()) fillBuiltinTable(table);
  return table;
}

}  // namespace vorn::builtins
