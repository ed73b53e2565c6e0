// Walks over program terms that follow their binders. Every walk keeps its own work list, so the
// nesting depth of a definition never becomes native stack depth.
#include "check/binders.h"

#include <unordered_map>
#include <vector>

#include "cells/walk.h"
#include "front/binder_shapes.h"
#include "eval/analysis.h"
#include "front/source_text.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;
using front::BinderKind;
using front::BinderParts;

namespace {

bool isGlobalName(const Cell* atom) {
  return cells::isAtomCell(atom) && front::isName(std::string(cells::atomBytesOf(atom)));
}

// Walks a term depth first, left before right, the way its binders scope it, keeping its own
// work list. Each lambda or binding is shown to the visitor as a binder (its variable), then its
// bound term (a binding's e) is walked, then its body between enter and leave; any other Pair is
// walked as its left child, then its right one. The visitor supplies:
//   bool binder(const Cell* node, const Cell* variable)  false stops the walk at this node
//   void atom(const Cell* atom)
//   void enter(const Cell* variable), void leave(const Cell* variable)
// Returns the node at which the visitor stopped the walk, or nullptr.
template <class Visitor>
const Cell* walkScopes(const Cell* term, Visitor& visitor) {
  enum class Step { Walk, Enter, Leave };
  struct Item {
    Step step;
    const Cell* cell;  // the term to walk, or the variable to enter or leave
  };
  cells::WorkStack<Item> pending;
  pending.push({Step::Walk, term});
  while (!pending.empty()) {
    Item item = pending.pop();
    const Cell* t = item.cell;
    if (item.step == Step::Enter) {
      visitor.enter(t);
    } else if (item.step == Step::Leave) {
      visitor.leave(t);
    } else if (cells::isAtomCell(t)) {
      visitor.atom(t);
    } else if (BinderKind kind = front::binderKind(t); kind == BinderKind::Other) {
      pending.push({Step::Walk, cells::rightOf(t)});
      pending.push({Step::Walk, cells::leftOf(t)});
    } else {
      BinderParts parts = front::binderParts(t, kind);
      if (!visitor.binder(t, parts.variable)) return t;
      pending.push({Step::Leave, parts.variable});
      pending.push({Step::Walk, parts.body});
      pending.push({Step::Enter, parts.variable});
      if (parts.bound != nullptr) pending.push({Step::Walk, parts.bound});
    }
  }
  return nullptr;
}

// The names of the binders in scope. A term has few binders in scope at a time, and they are
// searched on a stack, innermost last; past kFew the stack is counted per name in a hash map as
// well, so that terms a million binders deep are not searched linearly.
class Scope {
 public:
  void enter(std::string_view name) {
    stack_.push_back(name);
    if (!counted_.empty()) {
      ++counted_[name];
    } else if (stack_.size() > kFew) {
      for (std::string_view inside : stack_) ++counted_[inside];
    }
  }
  void leave(std::string_view name) {
    stack_.pop_back();
    if (counted_.empty()) return;
    if (--counted_[name] == 0) counted_.erase(name);
  }
  bool binds(std::string_view name) const {
    if (!counted_.empty()) return counted_.count(name) != 0;
    for (std::string_view inside : stack_) {
      if (inside == name) return true;
    }
    return false;
  }

 private:
  static constexpr std::size_t kFew = 32;
  std::vector<std::string_view> stack_;
  std::unordered_map<std::string_view, int> counted_;  // filled only while many are in scope
};

// The free names: symbols that no binder in scope binds. Each is handed to `use`, once per
// occurrence.
template <class Use>
class FreeNames {
 public:
  explicit FreeNames(Use use) : use_(use) {}

  bool binder(const Cell*, const Cell*) { return true; }
  void atom(const Cell* atom) {
    if (cells::isOneByteAtom(atom, '{') || cells::isOneByteAtom(atom, '\\')) return;
    if (!eval::isNameAtom(atom)) return;
    std::string_view name = cells::atomBytesOf(atom);
    if (!scope_.binds(name)) use_(name);
  }
  void enter(const Cell* variable) { scope_.enter(cells::atomBytesOf(variable)); }
  void leave(const Cell* variable) { scope_.leave(cells::atomBytesOf(variable)); }

 private:
  Use use_;
  Scope scope_;
};

// The texts of all binders.
struct BinderNames {
  NameSet& out;

  bool binder(const Cell*, const Cell* variable) {
    out.emplace(cells::atomBytesOf(variable));
    return true;
  }
  void atom(const Cell*) {}
  void enter(const Cell*) {}
  void leave(const Cell*) {}
};

// Stops at the first binder whose variable is not one lowercase letter.
struct LongBinders {
  bool binder(const Cell*, const Cell* variable) {
    std::string_view name = cells::atomBytesOf(variable);
    return name.size() == 1 && name[0] >= 'a' && name[0] <= 'z';
  }
  void atom(const Cell*) {}
  void enter(const Cell*) {}
  void leave(const Cell*) {}
};

// Stops at the first binder whose variable is not a global name.
struct FunkyBinders {
  bool binder(const Cell*, const Cell* variable) { return isGlobalName(variable); }
  void atom(const Cell*) {}
  void enter(const Cell*) {}
  void leave(const Cell*) {}
};

// Renaming as a rebuilding walk; the state says whether the subterm lies under a binder named
// `from`. A binder's variable is renamed where it binds `from`; its body is walked in scope.
struct RenameWalk {
  std::string_view from;
  const CellRef& to;

  Cell* open(Cell* t, bool inScope, cells::Parts<bool>& parts) {
    if (cells::isAtomCell(t)) {
      bool renamed = inScope && cells::atomBytesOf(t) == from;
      return cells::shared(renamed ? to.get() : t);
    }
    BinderKind kind = front::binderKind(t);
    int tag = static_cast<int>(kind);
    if (kind == BinderKind::Other) {
      return parts.walk(tag, cells::leftOf(t), inScope, cells::rightOf(t), inScope);
    }
    BinderParts binder = front::binderParts(t, kind);
    bool bodyInScope = inScope || binds(binder);
    if (kind == BinderKind::Lambda) return parts.walk(tag, binder.body, bodyInScope);
    return parts.walk(tag, binder.body, bodyInScope, binder.bound, inScope);
  }

  // The tag is the node's binder kind; results: the renamed body, then (for a binding) the
  // renamed bound term.
  Cell* close(Cell* t, bool, int tag, Cell** results) {
    return closed(t, static_cast<BinderKind>(tag), results).detach();
  }

  CellRef closed(Cell* t, BinderKind kind, Cell** results) {
    CellRef first = CellRef::adopt(results[0]);
    CellRef second = kind == BinderKind::Lambda ? CellRef() : CellRef::adopt(results[1]);
    if (kind == BinderKind::Other) {
      if (first.get() == cells::leftOf(t) && second.get() == cells::rightOf(t)) return CellRef::borrow(t);
      return cells::makePair(std::move(first), std::move(second));
    }
    BinderParts parts = front::binderParts(t, kind);
    bool renames = binds(parts);
    CellRef variable = renames ? to : CellRef::borrow(parts.variable);
    CellRef& body = first;
    if (kind == BinderKind::Lambda) {
      if (!renames && body.get() == parts.body) return CellRef::borrow(t);
      return cells::makePair(cells::makePair(CellRef::borrow(cells::leftOf(cells::leftOf(t))),
                                             std::move(variable)),
                             std::move(body));
    }
    CellRef& bound = second;
    if (!renames && body.get() == parts.body && bound.get() == parts.bound) return CellRef::borrow(t);
    CellRef brace = CellRef::borrow(cells::leftOf(cells::leftOf(cells::leftOf(t))));
    return cells::nest3(cells::makePair(std::move(brace), std::move(variable)), std::move(bound),
                        std::move(body));
  }

  bool binds(const BinderParts& parts) const { return cells::atomBytesOf(parts.variable) == from; }
};

}  // namespace

const Cell* binderOf(const Cell* term) {
  BinderKind kind = front::binderKind(term);
  return kind == BinderKind::Other ? nullptr : front::binderParts(term, kind).variable;
}

void collectFreeNames(const Cell* term, NameSet& out) {
  FreeNames visitor([&out](std::string_view name) { out.emplace(name); });
  walkScopes(term, visitor);
}

bool usesFreeName(const Cell* term, const std::function<bool(std::string_view)>& test) {
  bool found = false;
  FreeNames visitor([&found, &test](std::string_view name) { found = found || test(name); });
  walkScopes(term, visitor);
  return found;
}

void collectBinderNames(const Cell* term, NameSet& out) {
  BinderNames visitor{out};
  walkScopes(term, visitor);
}

bool bindsOnlyLetters(const Cell* term) {
  LongBinders visitor;
  return walkScopes(term, visitor) == nullptr;
}

CellRef renameBound(const CellRef& term, std::string_view from, const CellRef& to) {
  RenameWalk walk{from, to};
  return cells::rebuildTerm(term.get(), false, walk);
}

Cell* findFunkyBinder(Cell* term) {
  FunkyBinders visitor;
  return const_cast<Cell*>(walkScopes(term, visitor));
}

std::size_t leadingLambdas(const Cell* term) {
  std::size_t count = 0;
  while (front::binderKind(term) == BinderKind::Lambda && cells::isAtomCell(binderOf(term))) {
    ++count;
    term = cells::rightOf(term);
  }
  return count;
}

}  // namespace vorn::check
