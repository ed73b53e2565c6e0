// The two desugarings the checker applies before any other rule: quotes, which pair a term with
// its own source text, and pair bindings, which take a two-component value apart.
#pragma once

#include "cells/cell.h"

namespace vorn::check {

// Every (` x) becomes ((V t) x'), t being the text Atom "[" + source of x + "]" and x' being x
// with its own quotes expanded. Untouched subtrees are shared.
cells::CellRef expandQuotes(const cells::CellRef& term);

// Bottom-up, every binding whose variable is an application (p q) of two global names, written
// p q{e}body, becomes: bind q to e, then p to (q' K), then q to (q' H), q' being q's canonical
// name. Untouched subtrees are shared.
cells::CellRef desugarPairBindings(const cells::CellRef& term);

}  // namespace vorn::check
