// Which definitions compile, and the cache of their code. A definition with binders compiles when
// its body is built from its parameters, number Atoms, saturated calls of arithmetic builtins,
// saturated calls of definitions that compile in turn, and conditionals: a builtin call applied
// to two branches, with the Prelude's K, H and I. Anything else is refused and the machine runs
// the call as it always has.
#pragma once

#include "eval/compiled_code.h"
#include "eval/resolution.h"

namespace vorn::eval::compiled {

// The current code of the definition a head resolved to, compiled on first use; nullptr when the
// definition is refused.
const Code* codeFor(const Resolution& global);

}  // namespace vorn::eval::compiled
