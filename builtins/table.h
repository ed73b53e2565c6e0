// The BuiltinTable: every builtin name with its arity and native entry, and the calling
// convention all entries share. An entry receives the application node by value (the builtin
// applied to exactly `arity` arguments as a left spine of Pairs) and returns its result.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cells/cell.h"

namespace vorn::builtins {

using cells::CellRef;

using Entry = CellRef (*)(CellRef node);

struct Builtin {
  std::uint8_t arity = 0;
  Entry entry = nullptr;
};

using BuiltinTable = std::map<std::string, Builtin, std::less<>>;

// The table, filled first whenever it is found empty.
BuiltinTable& builtinTable();

// Empties the table; the next builtinTable() fills it again.
void clearBuiltinTable();

// The entry of a builtin whose family is not built yet. Calling it is a fatal error naming it.
CellRef notYetBuilt(CellRef node);

// Names whose entry is still notYetBuilt, in table order.
std::vector<std::string> pendingBuiltins();

}  // namespace vorn::builtins
