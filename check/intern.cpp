// The interning set. It lives until the process ends and is never destroyed: its members are
// shared with the global table and with running programs, and freeing them at exit would only
// walk every interned Cell for nothing.
#include "check/intern.h"

#include <vector>

#include "cells/walk.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;

InternSet& internSet() {
  static auto* set = new InternSet();
  return *set;
}

void clearInternSet() {
  // Empty the set before releasing, so that no member is freed while the set still orders it.
  InternSet& set = internSet();
  std::vector<Cell*> members(set.begin(), set.end());
  set.clear();
  for (Cell* member : members) cells::release(member);
}

namespace {

// Adds a Cell that no member equals; the set takes its own reference.
void insertNew(Cell* c) {
  bool inserted = internSet().insert(c).second;
  CORE_ASSERT(inserted);
  cells::retain(c);
}

// Interning as a rebuilding walk: a node the set already holds is done at once, an Atom joins
// the set, and a Pair is closed once its children are canonical.
struct InternWalk {
  struct NoState {};

  Cell* open(Cell* x, NoState, cells::Parts<NoState>& parts) {
    InternSet& set = internSet();
    // The whole value first: an already interned value costs one lookup, however large it is.
    auto found = set.find(x);
    if (found != set.end()) return cells::shared(*found);
    if (cells::isAtomCell(x)) {
      insertNew(x);
      return cells::shared(x);
    }
    return parts.walk(0, cells::leftOf(x), {}, cells::rightOf(x), {});
  }

  Cell* close(Cell* x, NoState, int, Cell** results) {
    CellRef l = CellRef::adopt(results[0]), r = CellRef::adopt(results[1]);
    if (l.get() == cells::leftOf(x) && r.get() == cells::rightOf(x)) {
      insertNew(x);
      return cells::shared(x);
    }
    CellRef rebuilt = cells::makePair(std::move(l), std::move(r));
    insertNew(rebuilt.get());
    return rebuilt.detach();
  }
};

}  // namespace

CellRef intern(const CellRef& x) {
  InternWalk walk;
  return cells::rebuildTerm(x.get(), InternWalk::NoState{}, walk);
}

}  // namespace vorn::check
