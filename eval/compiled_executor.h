// Runs compiled code: calls enter their callee with the argument values (no substitution, no
// machine steps) on an explicit stack of frames, so native depth never grows with the depth of
// the calls. Whatever the code cannot compute itself it hands to the machine that entered it, as
// a term to evaluate in place; the frames waiting for that term's value stay on the stack, and
// the machine resumes them with the value. So compiled code and the machine alternate without
// ever nesting one inside the other.
#pragma once

#include <cstdint>
#include <vector>

#include "eval/compiled_code.h"

namespace vorn::eval::compiled {

// 16 bytes: a recursion a million calls deep keeps a million of them.
struct Frame {
  const Code* code;
  std::uint32_t base;         // where the environment starts on the value stack
  std::uint32_t pc : 29;
  std::uint32_t entry : 1;    // entered by the machine: its value goes back to the machine
  std::uint32_t pending : 1;  // its value is the condition of the Branch its caller goes on at
  std::uint32_t trimmed : 1;  // its environment is gone: nothing after reads it
};

// The compiled frames and values of one machine: each run of frames from an entry frame up is
// what one machine frame (a resume point) waits on, innermost last.
struct Stack {
  std::vector<Frame> frames;
  std::vector<CellRef> values;

  void clear() {
    frames.clear();
    values.clear();
  }
};

enum class Exit : std::uint8_t {
  Value,    // `cell` is the value of the call the machine entered
  Tail,     // the machine evaluates `cell` in place of that call
  Suspend,  // the machine evaluates `cell`, then resumes the stack with its value
  Stopped,  // `cell` ends the whole evaluation (a cycle, a missing name, a marker)
};

struct Outcome {
  Exit exit;
  CellRef cell;
};

// Enters the code with its arguments, the top `code.params` values of the stack: exactly the
// value the machine would compute for the substituted body in the same place (value context, or
// with (T y) frames on top for code compiled for pending calls).
Outcome enter(Stack& stack, const Code& code);

// Goes on with the value of the term the last Suspend handed over.
Outcome resume(Stack& stack, CellRef value);

}  // namespace vorn::eval::compiled
