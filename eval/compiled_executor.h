// Runs compiled code: calls enter their callee with the argument values (no substitution, no
// machine steps), on an explicit stack of frames, so neither native depth nor anything but that
// stack grows with the depth of the calls.
#pragma once

#include <vector>

#include "eval/compiled_code.h"

namespace vorn::eval::compiled {

struct Outcome {
  CellRef value;
  bool stopped = false;  // value ends the whole evaluation (a cycle, a missing name, a marker)
};

// The value of the code's body with its parameters bound to `args` (consumed), in value context:
// exactly the value the machine would compute for the substituted body.
Outcome run(const Code& code, std::vector<CellRef> args);

}  // namespace vorn::eval::compiled
