// Which definitions compile, and the cache of their code. A definition with binders compiles into
// code over an environment of values: parameters and numbers, saturated calls of builtins and of
// definitions, conditionals on a builtin's K or H, `{` bindings and applied lambdas, the Prelude's
// I and K, partial applications (J lists among them) and the matching of a J list against its
// two cases. Whatever else the body holds is left to the machine where it stands (a fallback). A
// definition whose whole body would be a fallback is refused: the machine runs its calls as it
// always has.
#pragma once

#include "eval/compiled_code.h"
#include "eval/resolution.h"

namespace vorn::eval::compiled {

// The current code of the definition a head resolved to, compiled on first use; nullptr when the
// definition is refused. `pending`: for a call whose value a conditional takes at once.
const Code* codeFor(const Resolution& global, bool pending);

// The same for a global slot (a callee found when it is first called).
const Code* codeForSlot(CellRef* slot, bool pending);

// Frees the codes of earlier generations: only when no compiled frame can be running one.
void releaseRetiredCodes();

// The code of a lambda value taking exactly `count` arguments, or nullptr.
const Code* codeForLambda(Cell* lambda, int count, bool pending);

}  // namespace vorn::eval::compiled
