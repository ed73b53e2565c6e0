// The builtin library's side of the builtin table: every builtin name with its arity, native
// entry and family, from the one list of rows in builtin_list.h. The table itself lives with the program's
// other tables; an entry receives the application node by value (the builtin applied to exactly
// `arity` arguments as a left spine of Pairs) and returns its result.
#pragma once

#include "cells/cell.h"
#include "program/tables.h"

namespace vorn::builtins {

using cells::CellRef;
using Builtin = program::Builtin;
using BuiltinTable = program::BuiltinTable;
using Entry = program::BuiltinEntry;

// Puts every row of the list into `table`.
void fillBuiltinTable(BuiltinTable& table);

// The running program's builtin table, filled first when it is found empty.
BuiltinTable& builtinTable();

}  // namespace vorn::builtins
