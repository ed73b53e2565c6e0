// Compiled definitions: the code a definition with binders is turned into, and the facts that
// must still hold for that code to stand for the definition. The code is a short list of stack
// instructions over an environment of argument values (Cells), run by the compiled executor.
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
  Load,       // push env[a], which later instructions still read
  Move,       // push env[a] and empty the slot: its last use
  Drop,       // empty env[a]: the branch taken never reads it
  Constant,   // push constants[a], a closed Cell of the definition
  Builtin,    // pop `count` values, push builtins[a] applied to them, its name Atom constants[b]
  Test,       // as Builtin, then K goes on, H jumps to `target`, anything else falls back
  Call,       // pop `count` values and enter callees[a] with them, its name Atom constants[b]
  TailCall,   // the same, reusing the frame
  Jump,       // go on at `target`
  Return,     // leave the frame with the value on top
};

struct Instr {
  Op op;
  std::uint8_t count = 0;
  std::uint16_t a = 0;
  std::uint16_t b = 0;
  std::uint16_t c = 0;       // Test: the index of its branches
  std::uint32_t target = 0;  // Test: the else branch; Jump: where to go
};

// The two branches of a conditional, as terms of the definition with its letters free: if the
// condition gives neither K nor H, they are substituted and handed to the machine.
struct Branches {
  Cell* yes;
  Cell* no;
  bool tail;             // the conditional is the frame's value
  std::uint32_t end = 0;  // otherwise, where the code goes on with its value
};

struct Code {
  CellRef definition;  // the definition compiled (held, so its address names this code alone)
  int params = 0;
  std::vector<char> letters;  // the binders, outermost first
  std::vector<Instr> instrs;
  std::vector<CellRef> constants;
  std::vector<const program::Builtin*> builtins;
  std::vector<const Code*> callees;
  std::vector<Branches> branches;
  // Global slots and the definitions they held when this code was made: the code stands for the
  // definition only while every one still holds its Cell and the tables' generation is the same.
  std::vector<std::pair<CellRef*, Cell*>> dependencies;
  std::uint64_t generation = 0;
};

// True when the code still stands for its definition.
inline bool isCurrent(const Code& code) {
  if (code.generation != program::tables().generation()) return false;
  for (const auto& [slot, cell] : code.dependencies) {
    if (slot->get() != cell) return false;
  }
  return true;
}

}  // namespace vorn::eval::compiled
