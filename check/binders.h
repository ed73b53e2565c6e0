// Binders and scopes of program terms: which names a term uses freely, which names it binds,
// renaming a bound name, and the malformed binders the checker refuses. A binder is the variable
// of a lambda ((\ v) body), bound in body, or of a binding ((({ v) e) body), bound in body only.
#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "cells/cell.h"

namespace vorn::check {

using NameSet = std::set<std::string, std::less<>>;

// The binder Atom of a lambda or a binding (a borrow), or nullptr for any other term.
const cells::Cell* binderOf(const cells::Cell* term);

// Adds the symbols the term uses that no enclosing binder binds: every Atom that passes the
// analysis name test, except the binder heads "{" and "\".
void collectFreeNames(const cells::Cell* term, NameSet& out);

// Whether `test` holds for one of the names collectFreeNames would add, without gathering them.
bool usesFreeName(const cells::Cell* term, const std::function<bool(std::string_view)>& test);

// Adds the texts of every binder in the term.
void collectBinderNames(const cells::Cell* term, NameSet& out);
// Whether every binder in the term is one lowercase letter (so that there is nothing to rename).
bool bindsOnlyLetters(const cells::Cell* term);

// The term with every binder named `from` and every occurrence such a binder binds written as
// `to`; occurrences of `from` outside those binders stay. Untouched subtrees are shared.
cells::CellRef renameBound(const cells::CellRef& term, std::string_view from, const cells::CellRef& to);

// The first lambda or binding, depth first and left before right, whose binder is not a global
// name (front end name rules); nullptr when every binder is well formed.
cells::Cell* findFunkyBinder(cells::Cell* term);

// How many lambdas with an Atom binder the term starts with.
std::size_t leadingLambdas(const cells::Cell* term);

}  // namespace vorn::check
