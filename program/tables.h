// The running program's tables in one place: the global definitions, the recompute set, the
// builtin table, the interning set and the layout text of the C structures. Caches that keep
// pointers into them (head resolution) key those pointers on the generation, which changes
// whenever entries may have left a table; every way of removing entries goes through this
// object, so no removal can forget to change it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "cells/cell.h"
#include "program/intern.h"

namespace vorn::program {

// Definitions by name; "" holds the program's entry expression.
using Definitions = std::map<std::string, cells::CellRef, std::less<>>;
// Names defined in the empty-call form: never memoised, evaluated afresh at every use.
using RecomputeSet = std::set<std::string, std::less<>>;

// A builtin's native entry receives the application node (the builtin applied to exactly
// `arity` arguments as a left spine of Pairs) and returns its result.
using BuiltinEntry = cells::CellRef (*)(cells::CellRef node);
// The family a builtin belongs to, as the builtin list and the reference group them.
enum class Family : std::uint8_t {
  Arithmetic,
  Trees,
  MemoryAccess,
  Mathematics,
  CharacterClasses,
  NumberConversion,
  Streams,
  Directories,
  Strings,
  MemoryBlocks,
  Sockets,
  Time,
  Process,
  ErrorNumbers,
};
// The family's title: "Arithmetic and comparison", "Trees and atoms", ...
std::string_view familyTitle(Family family);

// Shortcuts some two-argument builtins offer for callers that hold the argument values without
// an application node (compiled code): the result for the common small cases, or nothing (a null
// result, a negative truth) when only the entry can tell. They make the same Cells the entry would.
using QuickEntry = cells::CellRef (*)(cells::Cell* a, cells::Cell* b);
// 1 for K, 0 for H, -1 when only the entry can tell: for a comparison consumed at once, which
// then needs no K or H Atom at all.
using QuickTruth = int (*)(cells::Cell* a, cells::Cell* b);

struct Builtin {
  std::uint8_t arity = 0;
  BuiltinEntry entry = nullptr;
  Family family = Family::Arithmetic;
  QuickEntry quick = nullptr;
  QuickTruth truth = nullptr;
};
using BuiltinTable = std::map<std::string, Builtin, std::less<>>;

// Moves on whenever any definition may have changed: every write to the global table (defining,
// erasing, a pass over it, memoising through a slot) and every change of generation. Code that
// checked what it depends on at one revision need not check again until the next.
inline std::uint64_t definitionsRevision = 1;
inline void noteDefinitionWrite() { ++definitionsRevision; }

// The global table. Adding or replacing a definition keeps every other entry where it is; only
// erasing moves the generation on.
class GlobalTable {
 public:
  explicit GlobalTable(std::uint64_t& generation) : generation_(generation) {}

  const Definitions& all() const { return map_; }
  // The definition stored under `name`, or nullptr (a borrow, valid until the entry changes).
  cells::Cell* find(std::string_view name) const;
  // The entry under `name` (its key and its slot, which memoising writes), or nullptr. Valid
  // until the generation changes.
  Definitions::value_type* entry(std::string_view name);
  // Stores `body` under `name`, replacing what was there.
  void define(std::string name, cells::CellRef body);
  // The same, looking first just before `hint`, and giving the position after the stored entry:
  // names stored in ascending order, each at the position the one before gave (the first at
  // first()), cost constant time each instead of a search of the whole table.
  Definitions::iterator define(Definitions::iterator hint, std::string name, cells::CellRef body);
  Definitions::iterator first() { return map_.begin(); }
  void erase(std::string_view name);
  void clear();
  // Runs `pass` over the whole table, which it may rewrite and erase entries of (the checker),
  // and moves the generation on after it; gives what the pass gives.
  template <typename Pass>
  auto rewriteAll(Pass pass) {
    auto result = pass(map_);
    ++generation_;
    noteDefinitionWrite();
    return result;
  }

 private:
  Definitions map_;
  std::uint64_t& generation_;
};

class Tables {
 public:
  Tables() : globals_(generation_) {}
  Tables(const Tables&) = delete;
  Tables& operator=(const Tables&) = delete;

  GlobalTable& globals() { return globals_; }
  RecomputeSet& recompute() { return recompute_; }
  // Filled by the builtin library at start-up; entries are never erased but by reset().
  BuiltinTable& builtins() { return builtins_; }
  // Emptied and filled by the checker's sharing, grown by the builtins that intern at run time.
  InternSet& interned() { return interned_; }
  // The layout text of the C structures that programs read by offset, written by the builtin
  // library at start-up beside its table; the checker stores it under "_".
  std::string& layoutText() { return layoutText_; }

  // Changes whenever entries may have left a table.
  std::uint64_t generation() const { return generation_; }

  // Empties every table at once.
  void reset();

 private:
  std::uint64_t generation_ = 1;
  GlobalTable globals_;
  RecomputeSet recompute_;
  BuiltinTable builtins_;
  InternSet interned_;
  std::string layoutText_;
};

// The tables of the program this process runs. Never destroyed, so the exit path does not walk
// millions of Cells just to free them.
Tables& tables();

// Shorthands for the commonest questions.
inline GlobalTable& globals() { return tables().globals(); }
inline cells::Cell* findGlobal(std::string_view name) { return tables().globals().find(name); }
// The canonical Cell equal to x, from the program's interning set.
inline cells::CellRef intern(const cells::CellRef& x) { return tables().interned().intern(x); }

}  // namespace vorn::program
