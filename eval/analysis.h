// Term analysis: the facts the reducer and the checker ask of every term (its arity, whether it
// is text, whether an argument is still unevaluated, its free letters), computed once per Cell and
// cached in the header. Also substitution, which uses the cached letter sets to share every
// subtree in which the variable does not occur.
#pragma once

#include <cstdint>

#include "cells/cell.h"
#include "front/binder_shapes.h"

namespace vorn::eval {

using cells::Cell;
using cells::CellRef;

// Fills the analysis byte and the extent of a Cell that is not analysed yet.
void analyseFresh(Cell* term);

// Fills the analysis byte (and where it applies the extent) if the Cell is not analysed yet.
inline void analyse(Cell* term) {
  if (!cells::isAnalysed(term)) analyseFresh(term);
}

// Further arguments the term takes before it can be rewritten; 1 for the text class.
inline int arity(Cell* term) {
  analyse(term);
  return cells::isTextClassCell(term) ? 1 : cells::arityField(term);
}
inline int arity(const CellRef& term) { return arity(term.get()); }
// Text class, or no redex flag and arity 1 or more.
inline bool isValue(Cell* term) {
  analyse(term);
  if (cells::isTextClassCell(term)) return true;
  return !cells::redexFlag(term) && cells::arityField(term) >= 1;
}
inline bool isValue(const CellRef& term) { return isValue(term.get()); }
// The free letters a..z as bits 0..25.
inline std::uint32_t variableSet(Cell* term) {
  analyse(term);
  if (cells::isTextClassCell(term)) return 0;
  if (cells::isAtomCell(term)) {
    unsigned char b = cells::firstByteOf(term);
    if ((b >= '0' && b <= '9') || b == '[') return 0;
  }
  return static_cast<std::uint32_t>(cells::extentField(term));
}
inline std::uint32_t variableSet(const CellRef& term) { return variableSet(term.get()); }
// True when the head at the bottom of the left spine is one of the lazy combinators.
bool hasLazyHead(Cell* term);

using front::BinderKind;
using front::binderKind;

// The term with every free occurrence of the letter c replaced by v.
CellRef substitute(const CellRef& term, const CellRef& v, char c);
// The term with the letters replaced by the closed values at once; the same as substituting one
// after another, since no value holds a free letter.
CellRef substituteAll(Cell* term, const char* letters, Cell* const* values, int count);

// The name test of the analysis: identifiers of '_' and a..z, and the one-byte names.
bool isNameAtom(const Cell* atom);

}  // namespace vorn::eval
