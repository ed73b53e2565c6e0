// Fuzz target: whole runs. The input is a program file; it is loaded, checked and evaluated
// within the run budget. Only the Prelude and the language's own primitives do anything here:
// every builtin that reaches into the C library or into raw memory (and leak, copy and load,
// which can read any address) answers Z, so a run cannot touch the machine outside its Cells.
#include <set>
#include <string>

#include "builtins/convention.h"
#include "builtins/table.h"
#include "cells/integer.h"
#include "support/config.h"
#include "session/session.h"
#include "session/startup.h"
#include "program/tables.h"
#include "front/loader.h"
#include "fuzz/harness.h"

namespace {

constexpr std::uint64_t kSteps = 20000;
constexpr std::int64_t kCellBytes = std::int64_t{4} << 20;

const std::set<std::string, std::less<>>& allowedBuiltins() {
  static const std::set<std::string, std::less<>> names = {
      // arithmetic and comparison
      "plus", "dash", "mult", "over", "cent", "powa", "less", "gteq", "same", "diff", "cmpr",
      "buck", "wave",
      // tree and atom primitives, indexed access
      "left", "rght", "leaf", "cork", "lots", "lord", "look", "into", "init", "rank", "raws",
      "rows", "real", "type", "tern", "lisp",
      // functions of reals that only compute
      "acos", "asin", "atan", "ceil", "cos", "cosh", "erf", "erfc", "exp", "fabs", "floor", "log",
      "sin", "sinh", "sqrt", "tan", "tanh", "fmod", "hypot", "nextafter", "pow", "ldexp"};
  return names;
}

vorn::cells::CellRef refused(vorn::cells::CellRef) { return vorn::builtins::wrongType(); }

void restrictBuiltins() {
  for (auto& [name, builtin] : vorn::program::tables().builtins()) {
    if (!allowedBuiltins().contains(name)) builtin.entry = refused;
  }
}

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
  try {
    outcome = vorn::session::runProgram(noArguments);
  } catch (const vorn::support::RunBudgetExhausted&) {
    return 0;
  }
  vorn::fuzz::render(outcome.report);
  if (outcome.report.ok()) static_cast<void>(vorn::cells::integerToInt64(outcome.result));
  return 0;
}
