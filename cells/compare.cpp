// The structural order of values.
#include "cells/compare.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cells/walk.h"

namespace vorn::cells {

namespace {

// What the plain walk answers when it has opened its allowance of Pairs without a decision.
constexpr int kGaveUp = 2;
// Pairs of Pairs the plain walk may open before the comparison starts again with the walk that
// remembers equal pairs. Comparisons this large are rare, and any value the program built in
// full (without sharing) is compared by the second walk as fast as by the first.
constexpr std::uint64_t kPlainOpenings = std::uint64_t{1} << 20;

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
// right children that are the same Cell need no place on it. Each pair of Pairs opened spends
// one of `openings`; kGaveUp when there are none left.
int compareNested(const Cell* a, const Cell* b, std::uint64_t& openings) {
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
        if (openings-- == 0) return kGaveUp;
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
int compareFrom(const Cell* a, const Cell* b, int level, std::uint64_t& openings) {
  for (;;) {
    if (a == b) return 0;
    bool atomA = isAtomCell(a), atomB = isAtomCell(b);
    if (atomA != atomB) return atomA ? 1 : -1;
    if (atomA) return compareAtoms(a, b);
    if (level == kNativeLevels) return compareNested(a, b, openings);
    if (openings-- == 0) return kGaveUp;
    int left = compareFrom(leftOf(a), leftOf(b), level + 1, openings);
    if (left != 0) return left;
    a = rightOf(a);
    b = rightOf(b);
  }
}

// A pair of Cells that can be reached again by another way: one of them has another owner. Two
// Cells with one owner each are reached again only when the pair of their owners is, and going
// up that way the first pair reached again has a Cell with another owner; so remembering these
// pairs alone keeps every pair from being walked twice.
bool mayRecur(const Cell* a, const Cell* b) { return refCount(a) > 1 || refCount(b) > 1; }

struct BothHash {
  std::size_t operator()(const std::pair<const Cell*, const Cell*>& both) const {
    std::size_t h = std::hash<const Cell*>()(both.first);
    return h ^ (std::hash<const Cell*>()(both.second) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
  }
};

// The order of a and b by a walk that remembers the pairs of Pairs it found equal, so that each
// pair is walked once however many ways lead to it: two equal values that share their subtrees
// (a value doubled forty times is forty Cells but 2^40 paths) are compared in time linear in
// their Cells. The first difference decides, so every pair finished on the way is equal.
int compareRemembering(const Cell* a, const Cell* b) {
  constexpr int kOpened = 2;
  struct Frame {
    const Cell* a;
    const Cell* b;
    int opened;  // children opened so far: 0, 1 or 2
  };
  std::vector<Frame> work;
  std::unordered_set<std::pair<const Cell*, const Cell*>, BothHash> equal;
  // The order of x and y when it is known at once, else kOpened with their frame on the list.
  auto open = [&](const Cell* x, const Cell* y) {
    if (x == y) return 0;
    bool atomX = isAtomCell(x), atomY = isAtomCell(y);
    if (atomX != atomY) return atomX ? 1 : -1;
    if (atomX) return compareAtoms(x, y);
    if (mayRecur(x, y) && equal.contains({x, y})) return 0;
    work.push_back({x, y, 0});
    return kOpened;
  };
  int first = open(a, b);
  if (first != kOpened) return first;
  while (!work.empty()) {
    Frame& f = work.back();
    if (f.opened == 2) {  // both children equal: the pair is
      equal.insert({f.a, f.b});
      work.pop_back();
      continue;
    }
    const Cell* x;
    const Cell* y;
    if (f.opened == 0) {
      x = leftOf(f.a);
      y = leftOf(f.b);
      f.opened = 1;
    } else {
      x = rightOf(f.a);
      y = rightOf(f.b);
      // A pair not worth remembering needs its frame no longer: a long list keeps no frames.
      if (mayRecur(f.a, f.b)) {
        f.opened = 2;
      } else {
        work.pop_back();
      }
    }
    int c = open(x, y);
    if (c != 0 && c != kOpened) return c;
  }
  return 0;
}

}  // namespace

int compareValues(const Cell* a, const Cell* b) {
  std::uint64_t openings = kPlainOpenings;
  int order = compareFrom(a, b, 0, openings);
  return order == kGaveUp ? compareRemembering(a, b) : order;
}

int compareSharedValues(const Cell* a, const Cell* b) { return compareRemembering(a, b); }

}  // namespace vorn::cells
