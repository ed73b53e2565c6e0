// The few combinator Atoms the reducer builds continuations and data decompositions from (I, B,
// T, K, H, V, J, X, Z). They are made once per evaluation context and shared; resetting them makes
// new Atoms, so a run never sees an analysis cached against an earlier global table.
#pragma once

#include "cells/cell.h"

namespace vorn::eval {

struct Combinators {
  cells::CellRef I, B, T, K, H, V, J, X, Z;
  cells::CellRef Lambda;  // the one-byte backslash Atom that heads a lambda
  cells::CellRef XJ;  // (X J), the tag of boxed trees and text decompositions
};

namespace detail {
extern Combinators* gCombinators;
Combinators* makeCombinators();
}  // namespace detail

// Inline: the machine reaches for these in most steps.
inline const Combinators& combinators() {
  if (detail::gCombinators == nullptr) detail::gCombinators = detail::makeCombinators();
  return *detail::gCombinators;
}
// Makes fresh Atoms for the next evaluation.
void resetCombinators();

}  // namespace vorn::eval
