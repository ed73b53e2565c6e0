#include "eval/combinators.h"

namespace vorn::eval {

namespace detail {

Combinators* gCombinators = nullptr;

Combinators* makeCombinators() {
  auto* c = new Combinators{cells::CellRef("I"), cells::CellRef("B"), cells::CellRef("T"),
                            cells::CellRef("K"), cells::CellRef("H"), cells::CellRef("V"),
                            cells::CellRef("J"), cells::CellRef("X"), cells::CellRef("Z"),
                            cells::CellRef("\\"), cells::CellRef()};
  c->XJ = cells::makePair(c->X, c->J);
  return c;
}

}  // namespace detail

void resetCombinators() {
  // The old Atoms may still be held by live terms; they stay valid through those references.
  delete detail::gCombinators;
  detail::gCombinators = detail::makeCombinators();
}

}  // namespace vorn::eval
