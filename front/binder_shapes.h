// The two shapes that bind a name, as the parser builds them: a lambda ((\ v) body) from v\body,
// binding v in body, and a binding ((({ v) e) body) from v{e}body, binding v in body only. The
// desugarings and the loader build them here; the checker, the analysis and the reducer read them.
#pragma once

#include "cells/cell.h"

namespace vorn::front {

enum class BinderKind { Lambda, Binding, Other };

// Lambda for ((\ v) body), Binding for ((({ v) e) body), Other otherwise.
inline BinderKind binderKind(const cells::Cell* term) {
  if (cells::isAtomCell(term)) return BinderKind::Other;
  const cells::Cell* l = cells::leftOf(term);
  if (cells::isAtomCell(l)) return BinderKind::Other;
  const cells::Cell* ll = cells::leftOf(l);
  if (cells::isOneByteAtom(ll, '\\')) return BinderKind::Lambda;
  if (!cells::isAtomCell(ll) && cells::isOneByteAtom(cells::leftOf(ll), '{')) return BinderKind::Binding;
  return BinderKind::Other;
}

// The pieces of a lambda or a binding (borrows); `bound` is a binding's e, nullptr for a lambda.
struct BinderParts {
  cells::Cell* variable;
  cells::Cell* bound;
  cells::Cell* body;
};
inline BinderParts binderParts(const cells::Cell* term, BinderKind kind) {
  if (kind == BinderKind::Lambda) {
    return {cells::rightOf(cells::leftOf(term)), nullptr, cells::rightOf(term)};
  }
  const cells::Cell* head = cells::leftOf(term);
  return {cells::rightOf(cells::leftOf(head)), cells::rightOf(head), cells::rightOf(term)};
}

// ((\ v) body)
inline cells::CellRef makeLambda(cells::CellRef v, cells::CellRef body) {
  return cells::nest3(cells::CellRef("\\"), std::move(v), std::move(body));
}

// ((({ v) e) body)
inline cells::CellRef makeBinding(cells::CellRef v, cells::CellRef e, cells::CellRef body) {
  return cells::nest3(cells::makePair(cells::CellRef("{"), std::move(v)), std::move(e), std::move(body));
}

}  // namespace vorn::front
