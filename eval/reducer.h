// The reducer: an abstract machine whose whole state is one Pair (continuation, term). It
// evaluates a closed term to a value by repeated rewriting, without native recursion.
#pragma once

#include "cells/cell.h"

namespace vorn::eval {

using cells::CellRef;

// Builds the state (I term), runs the machine and returns the value.
CellRef evaluate(CellRef term);
// Runs the machine on a state until the continuation is I and the term a value; returns the term.
CellRef runMachine(CellRef state);
// A builtin's result asking the calling machine to evaluate `term` in the builtin's place, as a
// machine of its own would: a lazy head in `term` takes no argument that waits on the caller's
// frames, and a stop inside it (a cycle, a missing name) ends the caller's evaluation.
CellRef evaluateInPlace(CellRef term);
// True for a result made by evaluateInPlace.
bool requestsEvaluation(const cells::Cell* result);
// Whether calls of definitions that compile run their compiled code (the default of the build) or
// are rewritten by the machine alone. Both give the same results.
void useCompiledDefinitions(bool on);
bool usesCompiledDefinitions();
// One transition of the machine.
CellRef step(CellRef state);
// Rewrites the term of a state whose term is a saturated application.
CellRef rewrite(CellRef state);

}  // namespace vorn::eval
