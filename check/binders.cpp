// Walks over program terms that follow their binders. Terms are walked recursively: their depth
// is the nesting depth of one definition, and the interpreter runs on a stack made for that.
#include "check/binders.h"

#include <unordered_map>

#include "eval/analysis.h"
#include "front/source_text.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;
using eval::BinderKind;

namespace {

// The pieces of ((\ v) body) and ((({ v) e) body); `bound` is nullptr for a lambda.
struct BinderParts {
  Cell* variable;
  Cell* bound;
  Cell* body;
};

BinderParts partsOf(const Cell* term, BinderKind kind) {
  if (kind == BinderKind::Lambda) {
    return {cells::rightOf(cells::leftOf(term)), nullptr, cells::rightOf(term)};
  }
  const Cell* head = cells::leftOf(term);
  return {cells::rightOf(cells::leftOf(head)), cells::rightOf(head), cells::rightOf(term)};
}

bool isGlobalName(const Cell* atom) {
  return cells::isAtomCell(atom) && front::isName(std::string(cells::atomBytesOf(atom)));
}

// Free-name walk with a count of the binders in scope for each name.
class FreeNameWalk {
 public:
  explicit FreeNameWalk(NameSet& out) : out_(out) {}

  void walk(const Cell* term) {
    if (cells::isAtomCell(term)) {
      visitAtom(term);
      return;
    }
    BinderKind kind = eval::binderKind(term);
    if (kind == BinderKind::Other) {
      walk(cells::leftOf(term));
      walk(cells::rightOf(term));
      return;
    }
    BinderParts parts = partsOf(term, kind);
    if (parts.bound != nullptr) walk(parts.bound);
    std::string_view name = cells::atomBytesOf(parts.variable);
    ++inScope_[name];
    walk(parts.body);
    if (--inScope_[name] == 0) inScope_.erase(name);
  }

 private:
  void visitAtom(const Cell* atom) {
    if (cells::isOneByteAtom(atom, '{') || cells::isOneByteAtom(atom, '\\')) return;
    if (!eval::isNameAtom(atom)) return;
    std::string_view name = cells::atomBytesOf(atom);
    if (inScope_.count(name) == 0) out_.emplace(name);
  }

  NameSet& out_;
  std::unordered_map<std::string_view, int> inScope_;
};

// Renames in a term that is (inScope) or is not under a binder named `from`.
CellRef renameWalk(const CellRef& term, std::string_view from, const CellRef& to, bool inScope) {
  const Cell* t = term.get();
  if (cells::isAtomCell(t)) return inScope && cells::atomBytesOf(t) == from ? to : term;
  BinderKind kind = eval::binderKind(t);
  if (kind == BinderKind::Other) {
    CellRef l = renameWalk(cells::left(term), from, to, inScope);
    CellRef r = renameWalk(cells::right(term), from, to, inScope);
    if (l.get() == cells::leftOf(t) && r.get() == cells::rightOf(t)) return term;
    return cells::makePair(std::move(l), std::move(r));
  }
  BinderParts parts = partsOf(t, kind);
  bool binds = cells::atomBytesOf(parts.variable) == from;
  CellRef variable = binds ? to : CellRef::borrow(parts.variable);
  CellRef body = renameWalk(CellRef::borrow(parts.body), from, to, inScope || binds);
  if (kind == BinderKind::Lambda) {
    if (!binds && body.get() == parts.body) return term;
    return cells::makePair(cells::makePair(cells::left(cells::left(term)), std::move(variable)),
                           std::move(body));
  }
  CellRef bound = renameWalk(CellRef::borrow(parts.bound), from, to, inScope);
  if (!binds && body.get() == parts.body && bound.get() == parts.bound) return term;
  CellRef brace = cells::left(cells::left(cells::left(term)));
  return cells::nest3(cells::makePair(std::move(brace), std::move(variable)), std::move(bound),
                      std::move(body));
}

}  // namespace

const Cell* binderOf(const Cell* term) {
  BinderKind kind = eval::binderKind(term);
  return kind == BinderKind::Other ? nullptr : partsOf(term, kind).variable;
}

void collectFreeNames(const Cell* term, NameSet& out) { FreeNameWalk(out).walk(term); }

void collectBinderNames(const Cell* term, NameSet& out) {
  if (cells::isAtomCell(term)) return;
  BinderKind kind = eval::binderKind(term);
  if (kind == BinderKind::Other) {
    collectBinderNames(cells::leftOf(term), out);
    collectBinderNames(cells::rightOf(term), out);
    return;
  }
  BinderParts parts = partsOf(term, kind);
  out.emplace(cells::atomBytesOf(parts.variable));
  if (parts.bound != nullptr) collectBinderNames(parts.bound, out);
  collectBinderNames(parts.body, out);
}

CellRef renameBound(const CellRef& term, std::string_view from, const CellRef& to) {
  return renameWalk(term, from, to, false);
}

Cell* findFunkyBinder(Cell* term) {
  if (cells::isAtomCell(term)) return nullptr;
  BinderKind kind = eval::binderKind(term);
  if (kind == BinderKind::Other) {
    if (Cell* found = findFunkyBinder(cells::leftOf(term))) return found;
    return findFunkyBinder(cells::rightOf(term));
  }
  BinderParts parts = partsOf(term, kind);
  if (!isGlobalName(parts.variable)) return term;
  if (parts.bound != nullptr) {
    if (Cell* found = findFunkyBinder(parts.bound)) return found;
  }
  return findFunkyBinder(parts.body);
}

std::size_t leadingLambdas(const Cell* term) {
  std::size_t count = 0;
  while (eval::binderKind(term) == BinderKind::Lambda && cells::isAtomCell(binderOf(term))) {
    ++count;
    term = cells::rightOf(term);
  }
  return count;
}

}  // namespace vorn::check
