// The whole-program checker, run once before evaluation: it adds the layout text, desugars
// quotes and pair bindings, reports malformed binders, undefined names, too many local names or
// parameters and unbound letters, renames long local names to letters, and shares equal subterms.
// The rules also work on a set of definitions apart from the global table, so that source loaded
// at run time is held to exactly the rules a program file is.
#pragma once

#include "support/report.h"
#include "program/tables.h"

namespace vorn::check {

// Definitions by name, as the global table keeps them; "" is the entry expression.
using Definitions = program::Definitions;

support::ErrorReport checkProgram();

// The rules up to and including the parameter count, in the checker's order, over `definitions`
// (which must hold the entry ""): quotes and pair bindings desugared, malformed binders refused,
// every name reachable from the entry defined (in `definitions` or, when given, in `outside`,
// whose definitions are taken as checked already), definitions that need an undefined name
// erased, long local names renamed, more than ten parameters refused. Stops at the first refusal.
support::ErrorReport checkDefinitions(Definitions& definitions, const Definitions* outside);

// The last rule: the first definition, in name order, that leaves a letter unbound is refused.
// It analyses the terms, so every name they use must be defined by then.
support::ErrorReport refuseUnboundLetters(const Definitions& definitions);

}  // namespace vorn::check
