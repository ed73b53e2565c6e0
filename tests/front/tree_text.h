// Test helper: writes an expression tree the way the tests spell it, an Atom as its bytes and a
// Pair as "(left right)", so (+ a) applied to b reads "((+ a) b)".
#pragma once

#include <string>

#include "cells/cell.h"

namespace vorn::front::testing {

inline void appendTree(const cells::Cell* c, std::string& out) {
  if (cells::isAtomCell(c)) {
    out += cells::atomBytesOf(c);
    return;
  }
  out += '(';
  appendTree(cells::leftOf(c), out);
  out += ' ';
  appendTree(cells::rightOf(c), out);
  out += ')';
}

inline std::string treeText(const cells::CellRef& tree) {
  std::string out;
  appendTree(tree.get(), out);
  return out;
}

}  // namespace vorn::front::testing
