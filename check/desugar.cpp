// Quote expansion and pair-binding desugaring, both plain rebuilding walks over one term.
#include "check/desugar.h"

#include <string>

#include "eval/analysis.h"
#include "eval/printer.h"
#include "front/source_text.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;

namespace {

// The Pair of the two children, or the term itself when they are its own children.
CellRef rebuild(const CellRef& term, CellRef l, CellRef r) {
  if (l.get() == cells::leftOf(term.get()) && r.get() == cells::rightOf(term.get())) return term;
  return cells::makePair(std::move(l), std::move(r));
}

// ((({ v) e) body)
CellRef binding(CellRef v, CellRef e, CellRef body) {
  return cells::nest3(cells::makePair(CellRef("{"), std::move(v)), std::move(e), std::move(body));
}

bool isGlobalNameAtom(const Cell* c) {
  return cells::isAtomCell(c) && front::isName(std::string(cells::atomBytesOf(c)));
}

// The variable of a binding when it is written as two names side by side, else nullptr.
Cell* pairVariable(const CellRef& term) {
  if (eval::binderKind(term.get()) != eval::BinderKind::Binding) return nullptr;
  Cell* variable = cells::rightOf(cells::leftOf(cells::leftOf(term.get())));
  if (cells::isAtomCell(variable)) return nullptr;
  if (!isGlobalNameAtom(cells::leftOf(variable)) || !isGlobalNameAtom(cells::rightOf(variable))) {
    return nullptr;
  }
  return variable;
}

}  // namespace

CellRef expandQuotes(const CellRef& term) {
  if (!cells::isPair(term)) return term;
  if (cells::isOneByteAtom(cells::leftOf(term.get()), '`')) {
    CellRef quoted = cells::right(term);
    std::string source("[");
    source.append(eval::showSource(quoted)).append("]");
    CellRef text(source);
    return cells::nest3(CellRef("V"), std::move(text), expandQuotes(quoted));
  }
  return rebuild(term, expandQuotes(cells::left(term)), expandQuotes(cells::right(term)));
}

CellRef desugarPairBindings(const CellRef& term) {
  if (!cells::isPair(term)) return term;
  CellRef done =
      rebuild(term, desugarPairBindings(cells::left(term)), desugarPairBindings(cells::right(term)));
  Cell* variable = pairVariable(done);
  if (variable == nullptr) return done;
  CellRef p = CellRef::borrow(cells::leftOf(variable));
  CellRef q = CellRef::borrow(cells::rightOf(variable));
  CellRef component(front::canonicalName(std::string(cells::atomBytesOf(q.get()))));
  CellRef e = cells::right(cells::left(done));
  CellRef body = cells::right(done);
  CellRef second = binding(q, cells::makePair(component, CellRef("H")), std::move(body));
  CellRef first = binding(std::move(p), cells::makePair(component, CellRef("K")), std::move(second));
  return binding(std::move(q), std::move(e), std::move(first));
}

}  // namespace vorn::check
