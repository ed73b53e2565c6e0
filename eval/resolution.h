// What a head name resolves to: a builtin, a global definition, or neither. Rewriting asks this
// for every named head, so answers are cached by Atom; a cached answer is used only while the
// Atom still holds the same bytes and the tables have not lost entries since.
#pragma once

#include <string>
#include <string_view>

#include "program/tables.h"
#include "cells/cell.h"

namespace vorn::eval {

struct Resolution {
  const program::Builtin* builtin = nullptr;  // the builtin of that name
  const std::string* name = nullptr;           // the global table's key, when there is a definition
  cells::CellRef* definition = nullptr;        // its slot in the global table (memoising writes it)
};

// The resolution of a non-empty head Atom that is neither a datum nor a marker (its full byte
// string ends at its first zero byte).
Resolution resolveHead(const cells::Cell* head);

}  // namespace vorn::eval
