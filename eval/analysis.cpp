// Term analysis and substitution. Results are cached in each Cell's header, so every test the
// reducer makes costs constant time after a Cell's first visit. Both walks keep their own work
// lists, so a term's depth never becomes native stack depth.
#include "eval/analysis.h"

#include <array>
#include <string_view>
#include <vector>

#include "eval/resolution.h"
#include "cells/walk.h"
#include "front/names.h"
#include "program/tables.h"

namespace vorn::eval {

using cells::analysisByte;
using cells::arityField;
using cells::atomBytesOf;
using cells::atomData;
using cells::extentField;
using cells::firstByteOf;
using cells::isAnalysed;
using cells::isAtomCell;
using cells::isOneByteAtom;
using cells::isTextClassCell;
using cells::leftOf;
using cells::rightOf;

namespace {

constexpr int kUnknownArity = 11;
constexpr int kStuckArity = -51;  // this value and below are never decremented
// The arguments of a lambda head (\ c body a) and of a binding head ({ c e body).
constexpr int kBinderArity = 3;

bool isLower(unsigned char c) { return c >= 'a' && c <= 'z'; }

// Number of leading lambdas of a definition, stopping at the unknown value.
int binderCount(const Cell* definition) {
  int count = 0;
  const Cell* d = definition;
  while (count < kUnknownArity && binderKind(d) == BinderKind::Lambda) {
    ++count;
    d = rightOf(d);
  }
  return count;
}

void setAnalysed(Cell* c, int arityValue, bool redex) {
  cells::setArity(c, arityValue);
  cells::setRedex(c, redex);
}

void analyseAtom(Cell* atom) {
  unsigned char b = firstByteOf(atom);
  if (b == ')' || b == ']') return setAnalysed(atom, 1, false);  // the reducer's markers
  if (b == '[') return cells::markTextClass(atom);
  if (isNameAtom(atom)) {
    std::string_view name = atomBytesOf(atom);
    // The head resolution answers from its cache; builtins make a fresh K or H Atom for every
    // comparison, and each is analysed once.
    if (const CellRef* definition = resolveHead(atom).definition) {
      return setAnalysed(atom, binderCount(definition->get()), false);
    }
    if (name.size() == 1 && isLower(b)) {
      setAnalysed(atom, kUnknownArity, false);
      return cells::setExtent(atom, std::uint64_t{1} << (b - 'a'));
    }
    // The binders' Prelude definitions only give them their arity: the reducer rewrites a lambda
    // and a binding by rules of its own. The checker erases them when a Prelude letter they name
    // is redefined to need a missing name, yet nothing in a program refers to them by name, so
    // that is no error; they keep the three arguments those rules take.
    if (name.size() == 1 && (b == '\\' || b == '{')) return setAnalysed(atom, kBinderArity, false);
    // A name without a definition that is not a letter: loading and the checker refuse these in
    // programs, but run-time data can still make one. It waits for one argument like any datum,
    // and applying it gives the missing-name marker.
  }
  setAnalysed(atom, 1, false);
}

int appliedArity(const Cell* function) {
  if (isTextClassCell(function)) return 0;
  int a = arityField(function);
  if (a == kUnknownArity || a <= kStuckArity) return a;
  return a - 1;
}

// The free letters of a Cell that is analysed already.
std::uint32_t lettersOf(const Cell* c) {
  if (isTextClassCell(c)) return 0;
  if (isAtomCell(c)) {
    unsigned char b = firstByteOf(c);
    if ((b >= '0' && b <= '9') || b == '[') return 0;
  }
  return static_cast<std::uint32_t>(extentField(c));
}

// The free letters of the Pair, by the binder shape it has.
std::uint32_t pairVariables(const Cell* l, const Cell* r) {
  if (!isAtomCell(l)) {
    const Cell* ll = leftOf(l);
    if (isAtomCell(ll) && firstByteOf(ll) == '{') return lettersOf(r);
    if (!isAtomCell(ll) && isAtomCell(leftOf(ll)) && firstByteOf(leftOf(ll)) == '{') {
      std::uint32_t bound = lettersOf(rightOf(ll));
      return (lettersOf(r) & ~bound) | lettersOf(l);
    }
  }
  return lettersOf(l) | lettersOf(r);
}

// Analyses a Pair whose children are analysed already. Every rewrite makes Pairs, so this writes
// the whole analysis into the header at once.
void analysePair(Cell* pair) {
  Cell* l = leftOf(pair);
  Cell* r = rightOf(pair);
  bool leftText = isTextClassCell(l);
  bool rightText = isTextClassCell(r);
  if (leftText && rightText) {
    cells::markTextClass(pair);
    std::uint64_t a = extentField(l), b = extentField(r);
    if (a >= 2 && b >= 2 && a + b < cells::kExtentLimit) cells::setExtent(pair, a + b);
    return;
  }
  int arityValue = appliedArity(l);
  bool lambda = !isAtomCell(l) && isAtomCell(leftOf(l)) && firstByteOf(leftOf(l)) == '\\';
  if (lambda) return cells::setPairAnalysis(pair, arityValue, false, lettersOf(r) & ~lettersOf(l));
  bool redex = (!leftText && cells::redexFlag(l)) ||
               (!rightText && (cells::redexFlag(r) || cells::arityField(r) < 1));
  cells::setPairAnalysis(pair, arityValue, redex, pairVariables(l, r));
}

}  // namespace

bool isNameAtom(const Cell* atom) { return front::isStoredName(atomBytesOf(atom)); }

void analyseFresh(Cell* term) {
  if (isAtomCell(term)) return analyseAtom(term);
  if (isAnalysed(leftOf(term)) && isAnalysed(rightOf(term))) return analysePair(term);
  // Children first, walked with a work list: a fresh list of millions of cells (one a builtin
  // built, say) is analysed without native recursion. The list is kept between calls, since
  // every rewrite makes fresh Pairs, and an allocation per call would cost more than the walk.
  static auto* work = new std::vector<Cell*>();
  std::vector<Cell*>& pending = *work;
  std::size_t base = pending.size();
  pending.push_back(term);
  while (pending.size() != base) {
    Cell* c = pending.back();
    if (isAnalysed(c)) {
      pending.pop_back();
    } else if (isAtomCell(c)) {
      analyseAtom(c);
      pending.pop_back();
    } else if (!isAnalysed(leftOf(c))) {
      pending.push_back(leftOf(c));
    } else if (!isAnalysed(rightOf(c))) {
      pending.push_back(rightOf(c));
    } else {
      analysePair(c);
      pending.pop_back();
    }
  }
}

bool hasLazyHead(Cell* term) {
  Cell* c = term;
  while (!isAtomCell(c)) {
    analyse(c);
    if (isTextClassCell(c)) return false;  // a text Pair's first byte reads as 0
    c = leftOf(c);
  }
  switch (firstByteOf(c)) {
    case '&': case 'A': case 'B': case 'C': case 'D': case 'E': case 'F': case 'H': case 'I':
    case 'J': case 'K': case 'L': case 'N': case 'Q': case 'R': case 'T': case 'U': case 'V':
    case 'X': case 'Z': case '|':
      return true;
    default:
      return false;
  }
}

namespace {

// The letters' replacements, indexed by letter; only the letters in the mask are used.
using Replacements = std::array<Cell*, 26>;

std::uint32_t letterBit(const Cell* binder) {
  unsigned char b = firstByteOf(binder);
  return isLower(b) ? std::uint32_t{1} << (b - 'a') : 0;
}

// Substitution as a rebuilding walk; the state is the mask of letters still replaced below. A
// subterm without those letters is shared; a binder's body is walked without the letter it binds.
struct SubstituteWalk {
  const Replacements& values;

  Cell* open(Cell* t, std::uint32_t mask, cells::Parts<std::uint32_t>& parts) {
    if ((variableSet(t) & mask) == 0 || isTextClassCell(t)) return cells::shared(t);
    if (isAtomCell(t)) return cells::shared(values[firstByteOf(t) - 'a']);
    Cell* l = leftOf(t);
    Cell* r = rightOf(t);
    BinderKind kind = binderKind(t);
    int tag = static_cast<int>(kind);
    switch (kind) {
      case BinderKind::Lambda:  // ((\ d) body): d is bound in the body
        return parts.walk(tag, r, mask & ~letterBit(rightOf(l)));
      case BinderKind::Binding:  // ((({ d) e) body): d is bound in the body only
        return parts.walk(tag, rightOf(l), mask, r, mask & ~letterBit(rightOf(leftOf(l))));
      case BinderKind::Other:
        break;
    }
    return parts.walk(tag, l, mask, r, mask);
  }

  // The tag is the node's binder kind. Substitution is the reducer's hottest walk: this is
  // inlined into it.
  [[gnu::always_inline]] Cell* close(Cell* t, std::uint32_t, int tag, Cell** parts) {
    Cell* l = leftOf(t);
    switch (static_cast<BinderKind>(tag)) {
      case BinderKind::Lambda:
        return cells::joined(cells::shared(l), parts[0]);
      case BinderKind::Binding:
        return cells::joined(cells::joined(cells::shared(leftOf(l)), parts[0]), parts[1]);
      case BinderKind::Other:
        break;
    }
    return cells::joined(parts[0], parts[1]);
  }
};

// The term with the masked letters replaced. Untouched subtrees are shared.
CellRef substituteMasked(const CellRef& term, std::uint32_t mask, const Replacements& values) {
  SubstituteWalk walk{values};
  return cells::rebuildTerm(term.get(), mask, walk);
}

}  // namespace

CellRef substitute(const CellRef& term, const CellRef& v, char c) {
  // Only a letter can be free in a term: any other binder has nothing to replace.
  if (!isLower(static_cast<unsigned char>(c))) return term;
  Replacements values{};
  values[c - 'a'] = v.get();
  return substituteMasked(term, std::uint32_t{1} << (c - 'a'), values);
}

CellRef substituteAll(Cell* term, const char* letters, Cell* const* values, int count) {
  Replacements byLetter;  // only the letters in the mask are ever read
  std::uint32_t mask = 0;
  // Later binders of the same letter win, as substituting one after another would make them.
  for (int i = count; i-- > 0;) {
    auto c = static_cast<unsigned char>(letters[i]);
    if (!isLower(c) || (mask & (std::uint32_t{1} << (c - 'a'))) != 0) continue;
    mask |= std::uint32_t{1} << (c - 'a');
    byLetter[c - 'a'] = values[i];
    analyse(values[i]);
  }
  if (mask == 0) return CellRef::borrow(term);
  return substituteMasked(CellRef::borrow(term), mask, byLetter);
}

}  // namespace vorn::eval
