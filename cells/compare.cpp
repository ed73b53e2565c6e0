// The structural order of values.
#include "cells/compare.h"

#include <algorithm>
#include <cstring>

namespace vorn::cells {

namespace {

// Atoms by their full byte strings (a blob's whole payload, a real's nine bytes), as unsigned
// bytes; a proper prefix comes first.
int compareAtoms(const Cell* a, const Cell* b) {
  std::string_view x = atomBytesOf(a);
  std::string_view y = atomBytesOf(b);
  std::size_t shorter = std::min(x.size(), y.size());
  int c = shorter == 0 ? 0 : std::memcmp(x.data(), y.data(), shorter);
  if (c != 0) return c < 0 ? 1 : -1;
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? 1 : -1;
}

}  // namespace

int compareValues(const Cell* a, const Cell* b) {
  // Lists and applications grow along their right spine, so that spine is walked in this loop;
  // only left children recurse, on the interpreter's large stack.
  for (;;) {
    if (a == b) return 0;
    bool atomA = isAtomCell(a), atomB = isAtomCell(b);
    if (atomA && atomB) return compareAtoms(a, b);
    if (atomA != atomB) return atomA ? 1 : -1;
    int left = compareValues(leftOf(a), leftOf(b));
    if (left != 0) return left;
    a = rightOf(a);
    b = rightOf(b);
  }
}

}  // namespace vorn::cells
