// The interning set. It lives until the process ends and is never destroyed: its members are
// shared with the global table and with running programs, and freeing them at exit would only
// walk every interned Cell for nothing.
#include "check/intern.h"

#include <vector>

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

}  // namespace

CellRef intern(const CellRef& x) {
  InternSet& set = internSet();
  // The whole value first: an already interned value costs one lookup, however large it is.
  auto found = set.find(x.get());
  if (found != set.end()) return CellRef::borrow(*found);
  if (!cells::isPair(x)) {
    insertNew(x.get());
    return x;
  }
  CellRef l = intern(cells::left(x));
  CellRef r = intern(cells::right(x));
  if (l.get() == cells::leftOf(x.get()) && r.get() == cells::rightOf(x.get())) {
    insertNew(x.get());
    return x;
  }
  CellRef rebuilt = cells::makePair(std::move(l), std::move(r));
  insertNew(rebuilt.get());
  return rebuilt;
}

}  // namespace vorn::check
