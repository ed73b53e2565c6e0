// The run: start-up, loading, the whole-program check, the entry evaluated on the argument
// vector's address, and the result accepted or explained.
#include "session/session.h"

#include <cstdint>

#include "builtins/fault_guard.h"
#include "cells/integer.h"
#include "check/checker.h"
#include "front/printer.h"
#include "eval/reducer.h"
#include "program/tables.h"
#include "front/loader.h"
#include "session/startup.h"

namespace vorn::session {

using cells::CellRef;
using support::ErrorReport;

namespace {

constexpr std::size_t kClipLength = 56;

// The entry expression; an empty Atom stands in for a table without one.
CellRef entryExpression() {
  program::GlobalTable& table = program::globals();
  if (table.find("") == nullptr) table.define("", CellRef(std::string_view()));
  return CellRef::borrow(table.find(""));
}

// The memo marker ")" + name as a result: a parameterless definition needed its own value.
bool isCycle(const CellRef& result) { return !cells::isPair(result) && cells::firstByte(result) == ')'; }

RunOutcome failed(ErrorReport report) { return RunOutcome{std::move(report), CellRef()}; }

// A builtin was given an address it could not read or write; the run ends there.
ErrorReport faultReport(const char* builtin) {
  return support::makeReport(
      "Fault", "The builtin could not read or write memory at an address the program gave it.", builtin);
}

}  // namespace

RunOutcome runProgram(char** argv) {
  ErrorReport checked = check::checkProgram();
  if (!checked.ok()) return failed(std::move(checked));
  CellRef argument = cells::makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(argv)));
  CellRef result;
  try {
    result = eval::evaluate(cells::makePair(entryExpression(), std::move(argument)));
  } catch (const builtins::MemoryFault& fault) {
    return failed(faultReport(fault.builtin));
  }
  if (isCycle(result)) {
    std::string name(cells::atomBytes(result).substr(1));
    return failed(support::makeReport("Cycle", "Cycle detected on function [" + name + "].", name));
  }
  if (cells::isInteger(result)) return RunOutcome{ErrorReport(), std::move(result)};
  std::string shown = front::showValue(result);
  return failed(support::makeReport(
      "Range", "The program must return an integer. Instead we encountered:\n" + shown, clipText(shown)));
}

RunOutcome runText(std::string_view text, char** argv) {
  startUp();
  ErrorReport loaded = front::loadProgram(text);
  if (!loaded.ok()) return failed(std::move(loaded));
  return runProgram(argv);
}

ErrorReport checkText(std::string_view text) {
  startUp();
  ErrorReport loaded = front::loadProgram(text);
  if (!loaded.ok()) return loaded;
  return check::checkProgram();
}

std::string clipText(std::string_view text) {
  if (text.size() <= kClipLength) return std::string(text);
  return std::string(text.substr(0, kClipLength - 3)) + "...";
}

}  // namespace vorn::session
