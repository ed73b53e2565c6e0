// The structural order of values.
#include "cells/compare.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cells/walk.h"

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

// The order of a and b, with the right children still to compare on a work list while the walk
// goes down the left ones, so that a deep left nesting costs no native stack. The list is kept
// from call to call, so deep comparisons repeated by a set's search do not grow it each time;
// right children that are the same Cell need no place on it.
int compareNested(const Cell* a, const Cell* b) {
  struct Both {
    const Cell* a;
    const Cell* b;
  };
  static auto* pending = new std::vector<Both>();
  pending->clear();
  for (;;) {
    if (a != b) {
      bool atomA = isAtomCell(a), atomB = isAtomCell(b);
      if (atomA != atomB) return atomA ? 1 : -1;
      if (atomA) {
        int c = compareAtoms(a, b);
        if (c != 0) return c;
      } else {
        if (rightOf(a) != rightOf(b)) pending->push_back({rightOf(a), rightOf(b)});
        a = leftOf(a);
        b = leftOf(b);
        continue;
      }
    }
    if (pending->empty()) return 0;
    a = pending->back().a;
    b = pending->back().b;
    pending->pop_back();
  }
}

// The order of a and b, `level` levels of left children below the first call. The right spine is
// walked in the loop and left children by recursion, down to kNativeLevels; below that the walk
// goes on with a work list.
int compareFrom(const Cell* a, const Cell* b, int level) {
  for (;;) {
    if (a == b) return 0;
    bool atomA = isAtomCell(a), atomB = isAtomCell(b);
    if (atomA != atomB) return atomA ? 1 : -1;
    if (atomA) return compareAtoms(a, b);
    if (level == kNativeLevels) return compareNested(a, b);
    int left = compareFrom(leftOf(a), leftOf(b), level + 1);
    if (left != 0) return left;
    a = rightOf(a);
    b = rightOf(b);
  }
}

}  // namespace

int compareValues(const Cell* a, const Cell* b) { return compareFrom(a, b, 0); }

}  // namespace vorn::cells
