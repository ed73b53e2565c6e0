// Compiled definitions: the code a definition with binders is turned into, and the facts that
// must still hold for that code to stand for the definition. The code is a short list of stack
// instructions over an environment of values (Cells): the parameters, then the letters bound
// inside the body. The compiled executor runs it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "cells/cell.h"
#include "program/tables.h"

namespace vorn::eval::compiled {

using cells::Cell;
using cells::CellRef;

enum class Op : std::uint8_t {
  Load,      // push env[a], which later instructions still read
  Move,      // push env[a] and empty the slot: its last use
  Store,     // pop into env[a], a letter bound inside the body
  Pop,       // drop the top value
  Constant,  // push constants[a], a closed value of the definition (shared, as substitution shares)
  Pair,      // pop y, pop x, push the fresh Pair (x y)
  Builtin,   // pop `count` values, push builtins[a] applied to them, its name Atom constants[b]
  Branch,    // pop a value: K goes on, H jumps to `target`, anything else is fallbacks[a] applied
  Test,      // Builtin then Branch (fallbacks[c]), without the K or H Atom when the builtin can tell
  Match,     // pop a list: (J h t) pushes h and t, K jumps to `target`, else fallbacks[a] applied
  Call,      // pop `count` values and enter callees[a] with them; c: 1 when nothing after it reads
             // the environment, which is then dropped first (a deep recursion keeps less)
  TailCall,  // the same, reusing the frame
  Choose,    // the value on top applied to two terms: K goes on, H jumps to `target` (the value
             // popped); a strict value taking two or more goes to c with it; else fallbacks[a]
  Check,     // the function value on top takes `count` arguments evaluated first (a strict head
             // taking at least that many), or else fallbacks[a] applies it to its arguments' terms
  Apply,     // the function value under the top `count` values applied to them: a lambda or a
             // definition's name taking exactly that many enters its code (sites[a]); b: 1 in
             // tail position; c as for Call
  Global,    // push the value of the parameterless definition callees[a] once it has one, else
             // hand its name to the machine (which evaluates and memoises it)
  Fallback,  // fallbacks[a], built from the environment, evaluated by the machine
  Jump,      // go on at `target`
  Return,    // leave the frame with the value on top
};

struct Instr {
  Op op;
  std::uint8_t count = 0;
  std::uint16_t a = 0;
  std::uint16_t b = 0;
  std::uint16_t c = 0;
  std::uint32_t target = 0;
};

// A letter the body can see at some point, and the slot that holds its value there. `last` marks a
// read after which nothing reads the slot: the fallback then moves the value out.
struct Visible {
  char letter;
  std::uint16_t slot;
  bool last;
};

// What the code cannot compute itself: the term the machine would hold at that point, rebuilt by
// substituting the visible letters' values into `terms` (the definition's own Cells, letters
// free). For a Fallback instruction the term is terms[0] applied to the rest; for Branch and Match
// it is the popped value applied to `terms`. The machine evaluates it where the code would have;
// `tail` means the frame's value is that term's value.
struct Fallback {
  std::vector<Cell*> terms;
  std::vector<Visible> visible;
  bool tail = false;
  std::uint32_t resume = 0;  // not tail: where the code goes on with the term's value
};

// A definition called by name, and the definition it held when the call was compiled. The callee's
// code is found at the first call (so compiling never follows a chain of definitions). A pending
// call's value is a condition, taken by the Branch that follows it.
struct Callee {
  CellRef* slot;
  Cell* definition;
  Cell* name;  // the head Atom of the call, for handing the call to the machine
  bool pending = false;
  mutable const struct Code* code = nullptr;
  mutable std::uint64_t checked = 0;  // the revision at which `code` was found current
};

// Where a letter's value is applied: the function last applied there and its code (a definition's
// by its name; a lambda's compiled when the same lambda comes twice running, so that a lambda made
// afresh at every call is left to the machine).
struct Site {
  bool pending = false;
  mutable CellRef lambda;
  mutable const struct Code* code = nullptr;
  mutable int uses = 0;
  mutable std::uint64_t checked = 0;  // the revision at which `code` was decided
};

struct Code {
  CellRef definition;  // the definition compiled (held, so its address names this code alone)
  // Compiled for a call whose value a conditional takes at once: in the machine, the branches
  // wait as (T y) frames on top while the body is evaluated, and a lazy partial application at the
  // top of the body would take them. Such tails are handed to the machine with the branches.
  bool pending = false;
  int params = 0;
  int slots = 0;  // params, then the letters bound inside the body
  std::vector<Instr> instrs;
  std::vector<CellRef> constants;
  std::vector<const program::Builtin*> builtins;
  std::vector<Callee> callees;
  std::vector<Site> sites;
  std::vector<Fallback> fallbacks;
  // Global slots and the definitions they held when this code was made: the code stands for the
  // definition only while every one still holds its Cell and the tables' generation is the same.
  std::vector<std::pair<CellRef*, Cell*>> dependencies;
  std::uint64_t generation = 0;
  mutable std::uint64_t checked = 0;  // the last revision of the definitions it was current at
};

// True when the code still stands for its definition.
inline bool isCurrent(const Code& code) {
  if (code.checked == program::definitionsRevision) return true;
  if (code.generation != program::tables().generation()) return false;
  for (const auto& [slot, cell] : code.dependencies) {
    if (slot->get() != cell) return false;
  }
  code.checked = program::definitionsRevision;
  return true;
}

// True when a call of `callee` from code of generation `generation` may enter compiled code.
inline bool calleeHolds(const Callee& callee, std::uint64_t generation) {
  return generation == program::tables().generation() && callee.slot->get() == callee.definition;
}

}  // namespace vorn::eval::compiled
