// Fuzz target: whole runs. The input is a program file; it is loaded, checked and evaluated
// within the run budget, every builtin call paying for its work first (fuzz/work_guard.h). Only
// the Prelude and the language's own primitives do anything here: every builtin that reaches
// into the C library or into raw memory (and leak, copy and load, which can read any address)
// answers Z, so a run cannot touch the machine outside its Cells.
#include <array>
#include <map>
#include <string>
#include <utility>

#include "builtins/convention.h"
#include "builtins/table.h"
#include "cells/integer.h"
#include "support/config.h"
#include "session/session.h"
#include "session/startup.h"
#include "program/tables.h"
#include "front/loader.h"
#include "fuzz/harness.h"
#include "fuzz/work_guard.h"

namespace {

using vorn::cells::CellRef;
using vorn::fuzz::Cost;

constexpr std::uint64_t kSteps = 20000;
constexpr std::int64_t kCellBytes = std::int64_t{4} << 20;
constexpr std::int64_t kWork = std::int64_t{1} << 22;

// The builtins a run may call, each with how its work grows with its arguments.
const std::map<std::string, Cost, std::less<>>& allowedBuiltins() {
  static const std::map<std::string, Cost, std::less<>> names = [] {
    std::map<std::string, Cost, std::less<>> costs;
    // arithmetic and comparison
    for (const char* name : {"plus", "dash", "less", "gteq", "same", "diff", "cmpr", "buck", "wave"})
      costs[name] = Cost::Linear;
    for (const char* name : {"mult", "over", "cent"}) costs[name] = Cost::Product;
    costs["powa"] = Cost::Power;
    // tree and atom primitives, indexed access
    for (const char* name : {"left", "rght", "leaf", "type", "raws"}) costs[name] = Cost::Constant;
    for (const char* name : {"lord", "look", "into", "init", "rank", "rows", "real", "tern", "lisp"})
      costs[name] = Cost::Linear;
    costs["lots"] = Cost::Bits;
    costs["cork"] = Cost::FarBit;
    // functions of reals that only compute
    for (const char* name : {"acos", "asin", "atan", "ceil", "cos", "cosh", "erf", "erfc", "exp",
                             "fabs", "floor", "log", "sin", "sinh", "sqrt", "tan", "tanh", "fmod",
                             "hypot", "nextafter", "pow", "ldexp"})
      costs[name] = Cost::Linear;
    return costs;
  }();
  return names;
}

CellRef refused(CellRef) { return vorn::builtins::wrongType(); }

// Each allowed builtin's entry is replaced by a guard that pays for the call, then calls it.
// Entries are plain function pointers, so every guard is its own function, found by index.
struct Guarded {
  vorn::program::BuiltinEntry original = nullptr;
  Cost cost = Cost::Linear;
  int arity = 0;
};
constexpr std::size_t kMaxGuarded = 64;
std::array<Guarded, kMaxGuarded> guarded;

template <std::size_t I>
CellRef guardedEntry(CellRef node) {
  const Guarded& g = guarded[I];
  vorn::fuzz::payFor(g.cost, node, g.arity);
  return g.original(std::move(node));
}

template <std::size_t... I>
constexpr std::array<vorn::program::BuiltinEntry, kMaxGuarded> guardEntries(std::index_sequence<I...>) {
  return {&guardedEntry<I>...};
}
constexpr std::array<vorn::program::BuiltinEntry, kMaxGuarded> kGuardEntries =
    guardEntries(std::make_index_sequence<kMaxGuarded>());

void restrictBuiltins() {
  std::size_t index = 0;
  for (auto& [name, builtin] : vorn::program::tables().builtins()) {
    auto allowed = allowedBuiltins().find(name);
    if (allowed == allowedBuiltins().end()) {
      builtin.entry = refused;
      continue;
    }
    if (index == kMaxGuarded) __builtin_trap();  // more allowed builtins than guards
    // The first input's table holds the original entries; later tables hold the same ones.
    if (guarded[index].original == nullptr) guarded[index] = {builtin.entry, allowed->second, builtin.arity};
    builtin.entry = kGuardEntries[index++];
  }
}

// Work is unlimited again once the run is over, whichever way it ended.
struct WorkForOneRun {
  WorkForOneRun() { vorn::support::budgetWork = kWork; }
  ~WorkForOneRun() { vorn::support::budgetWork = INT64_MAX; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::session::startUp();
  restrictBuiltins();
  vorn::support::ErrorReport report = vorn::front::loadProgram(vorn::fuzz::inputText(data, size));
  if (!report.ok()) return 0;
  vorn::support::budgetSteps = kSteps;
  vorn::support::budgetCellBytes = vorn::support::liveCellBytes + kCellBytes;
  char* noArguments[] = {nullptr};
  vorn::session::RunOutcome outcome;
  WorkForOneRun work;
  try {
    outcome = vorn::session::runProgram(noArguments);
  } catch (const vorn::support::RunBudgetExhausted&) {
    return 0;
  }
  vorn::fuzz::render(outcome.report);
  if (outcome.report.ok()) static_cast<void>(vorn::cells::integerToInt64(outcome.result));
  return 0;
}
