#include "eval/combinators.h"

namespace vorn::eval {

namespace {

Combinators* gCombinators = nullptr;

Combinators* makeCombinators() {
  auto* c = new Combinators{cells::CellRef("I"), cells::CellRef("B"), cells::CellRef("T"),
                            cells::CellRef("K"), cells::CellRef("H"), cells::CellRef("V"),
                            cells::CellRef("J"), cells::CellRef("X"), cells::CellRef("Z"),
                            cells::CellRef("\\"), cells::CellRef()};
  c->XJ = cells::makePair(c->X, c->J);
  return c;
}

}  // namespace

const Combinators& combinators() {
  if (gCombinators == nullptr) gCombinators = makeCombinators();
  return *gCombinators;
}

void resetCombinators() {
  // The old Atoms may still be held by live terms; they stay valid through those references.
  delete gCombinators;
  gCombinators = makeCombinators();
}

}  // namespace vorn::eval
