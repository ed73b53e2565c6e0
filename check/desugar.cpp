// Quote expansion and pair-binding desugaring, both rebuilding walks over one term.
#include "check/desugar.h"

#include <string>

#include "cells/walk.h"
#include "front/binder_shapes.h"
#include "eval/analysis.h"
#include "front/printer.h"
#include "front/source_text.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;

namespace {

// The Pair of the two children (owned references, taken over), or the term itself when they are
// its own children.
Cell* rebuild(Cell* term, Cell* l, Cell* r) {
  if (l != cells::leftOf(term) || r != cells::rightOf(term)) return cells::joined(l, r);
  cells::release(l);
  cells::release(r);
  return cells::shared(term);
}

bool isGlobalNameAtom(const Cell* c) {
  return cells::isAtomCell(c) && front::isName(std::string(cells::atomBytesOf(c)));
}

// The variable of a binding when it is written as two names side by side, else nullptr.
Cell* pairVariable(const CellRef& term) {
  if (front::binderKind(term.get()) != front::BinderKind::Binding) return nullptr;
  Cell* variable = cells::rightOf(cells::leftOf(cells::leftOf(term.get())));
  if (cells::isAtomCell(variable)) return nullptr;
  if (!isGlobalNameAtom(cells::leftOf(variable)) || !isGlobalNameAtom(cells::rightOf(variable))) {
    return nullptr;
  }
  return variable;
}

// A pair binding p q{e}body whose parts are already desugared becomes the three plain bindings;
// any other term stays as it is.
CellRef desugarOne(CellRef done) {
  Cell* variable = pairVariable(done);
  if (variable == nullptr) return done;
  CellRef p = CellRef::borrow(cells::leftOf(variable));
  CellRef q = CellRef::borrow(cells::rightOf(variable));
  CellRef component(front::canonicalName(std::string(cells::atomBytesOf(q.get()))));
  CellRef e = cells::right(cells::left(done));
  CellRef body = cells::right(done);
  CellRef second = front::makeBinding(q, cells::makePair(component, CellRef("H")), std::move(body));
  CellRef first = front::makeBinding(std::move(p), cells::makePair(component, CellRef("K")), std::move(second));
  return front::makeBinding(std::move(q), std::move(e), std::move(first));
}

// Quote expansion as a rebuilding walk: (` x) is closed as ((V t) x'), t being x's source as it
// was before the expansion; any other Pair is rebuilt from its expanded children.
struct QuoteWalk {
  struct NoState {};

  Cell* open(Cell* term, NoState, cells::Parts<NoState>& parts) {
    if (cells::isAtomCell(term)) return cells::shared(term);
    if (isQuote(term)) return parts.walk(kQuote, cells::rightOf(term), {});
    return parts.walk(kOther, cells::leftOf(term), {}, cells::rightOf(term), {});
  }

  Cell* close(Cell* term, NoState, int tag, Cell** expanded) {
    if (tag != kQuote) return rebuild(term, expanded[0], expanded[1]);
    std::string source("[");
    source.append(front::showSource(CellRef::borrow(cells::rightOf(term)))).append("]");
    return cells::nest3(CellRef("V"), CellRef(source), CellRef::adopt(expanded[0])).detach();
  }

  static constexpr int kOther = 0, kQuote = 1;
  static bool isQuote(const Cell* pair) { return cells::isOneByteAtom(cells::leftOf(pair), '`'); }
};

// Pair bindings as a rebuilding walk: every Pair is rebuilt from its desugared children first,
// then desugared itself if it is a pair binding.
struct PairBindingWalk {
  struct NoState {};

  Cell* open(Cell* term, NoState, cells::Parts<NoState>& parts) {
    if (cells::isAtomCell(term)) return cells::shared(term);
    return parts.walk(0, cells::leftOf(term), {}, cells::rightOf(term), {});
  }

  Cell* close(Cell* term, NoState, int, Cell** desugared) {
    return desugarOne(CellRef::adopt(rebuild(term, desugared[0], desugared[1]))).detach();
  }
};

}  // namespace

CellRef expandQuotes(const CellRef& term) {
  QuoteWalk walk;
  return cells::rebuildTerm(term.get(), QuoteWalk::NoState{}, walk);
}

CellRef desugarPairBindings(const CellRef& term) {
  PairBindingWalk walk;
  return cells::rebuildTerm(term.get(), PairBindingWalk::NoState{}, walk);
}

}  // namespace vorn::check
