// The structural order of values.
#include "cells/compare.h"

#include <algorithm>
#include <cstring>
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

}  // namespace

int compareValues(const Cell* a, const Cell* b) {
  // The pairs of right children still to compare once the left children in hand are equal. The
  // walk goes down left children and takes the right spine in the loop, so neither a long list
  // nor a deep left nesting costs native stack.
  struct Both {
    const Cell* a;
    const Cell* b;
  };
  WorkStack<Both> pending;
  for (;;) {
    if (a != b) {
      bool atomA = isAtomCell(a), atomB = isAtomCell(b);
      if (atomA != atomB) return atomA ? 1 : -1;
      if (!atomA) {
        pending.push({rightOf(a), rightOf(b)});
        a = leftOf(a);
        b = leftOf(b);
        continue;
      }
      int c = compareAtoms(a, b);
      if (c != 0) return c;
    }
    if (pending.empty()) return 0;
    Both next = pending.pop();
    a = next.a;
    b = next.b;
  }
}

}  // namespace vorn::cells
