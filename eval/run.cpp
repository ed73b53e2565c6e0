// The run driver: check, evaluate the entry on the argument vector's address, and accept an
// integer result or explain why the run failed.
#include "eval/run.h"

#include <cstdint>

#include "builtins/fault_guard.h"
#include "cells/integer.h"
#include "check/checker.h"
#include "eval/printer.h"
#include "eval/reducer.h"
#include "front/globals.h"

namespace vorn::eval {

using cells::CellRef;
using driver::ErrorReport;

namespace {

constexpr std::size_t kClipLength = 56;

// The entry expression; an empty Atom stands in for a table without one.
CellRef entryExpression() {
  front::GlobalTable& table = front::globalTable();
  auto entry = table.find("");
  if (entry == table.end()) entry = table.emplace("", CellRef(std::string_view())).first;
  return entry->second;
}

// The memo marker ")" + name as a result: a parameterless definition needed its own value.
bool isCycle(const CellRef& result) { return !cells::isPair(result) && cells::firstByte(result) == ')'; }

// A builtin was given an address it could not read or write; the run ends there.
ErrorReport faultReport(ErrorReport report, const char* builtin) {
  report.name = builtin;
  report.type = "Fault";
  report.message = "The builtin could not read or write memory at an address the program gave it.";
  return report;
}

}  // namespace

ErrorReport runProgram(ErrorReport report, char** argv) {
  ErrorReport checked = check::checkProgram();
  if (!checked.ok()) return checked;
  CellRef argument = cells::makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(argv)));
  CellRef result;
  try {
    result = evaluate(cells::makePair(entryExpression(), std::move(argument)));
  } catch (const builtins::MemoryFault& fault) {
    return faultReport(std::move(report), fault.builtin);
  }
  if (isCycle(result)) {
    std::string name(cells::atomBytes(result).substr(1));
    report.name = name;
    report.type = "Cycle";
    report.message = "Cycle detected on function [" + name + "].";
    return report;
  }
  if (cells::isInteger(result)) {
    front::globalTable()[""] = std::move(result);
    return report;
  }
  std::string shown = showValue(result);
  report.name = clipText(shown);
  report.type = "Range";
  report.message = "The program must return an integer. Instead we encountered:\n" + shown;
  return report;
}

CellRef resultOfRun() {
  cells::Cell* result = front::findGlobal("");
  CORE_ASSERT(result != nullptr);
  return CellRef::borrow(result);
}

std::string clipText(std::string_view text) {
  if (text.size() <= kClipLength) return std::string(text);
  return std::string(text.substr(0, kClipLength - 3)) + "...";
}

}  // namespace vorn::eval
