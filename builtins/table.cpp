// Filling the BuiltinTable from the one list of rows.
#include "builtins/table.h"

#include "support/assert.h"

namespace vorn::builtins {

// Every entry named in the list, declared once here; each family file defines its own.
#define VORN_BUILTIN(name, arity, entry) CellRef entry(CellRef node);
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN

namespace {

BuiltinTable& storage() {
  static auto* table = new BuiltinTable();
  return *table;
}

void fill(BuiltinTable& table) {
#define VORN_BUILTIN(name, arity, entry) table.emplace(#name, Builtin{arity, &entry});
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN
}

}  // namespace

BuiltinTable& builtinTable() {
  BuiltinTable& table = storage();
  if (table.empty()) fill(table);
  return table;
}

void clearBuiltinTable() { storage().clear(); }

CellRef notYetBuilt(CellRef node) {
  // The head of the node names the builtin that was called.
  cells::Cell* head = node.get();
  while (!cells::isAtomCell(head)) head = cells::leftOf(head);
  support::fatal("unbuilt " + std::string(cells::atomBytesOf(head)));
}

std::vector<std::string> pendingBuiltins() {
  std::vector<std::string> names;
  for (const auto& [name, builtin] : builtinTable()) {
    if (builtin.entry == &notYetBuilt) names.push_back(name);
  }
  return names;
}

}  // namespace vorn::builtins
