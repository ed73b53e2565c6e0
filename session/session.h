// One program's life in this process: the tables started afresh, the program text loaded and
// checked, its entry evaluated on the argument vector's address, and the result accepted as an
// integer or explained in a report ("Cycle", "Range", "Fault"). The process entry and an interactive
// session both build on these steps.
#pragma once

#include <string>
#include <string_view>

#include "cells/cell.h"
#include "support/report.h"

namespace vorn::session {

// What a run ends with: an empty report and the integer result, or the report of the failure.
struct RunOutcome {
  support::ErrorReport report;
  cells::CellRef result;  // the accepted integer; empty when the report is not "Empty"
};

// Checks the loaded program and evaluates its entry applied to the address of `argv`.
RunOutcome runProgram(char** argv);

// The whole pipeline over a program text: start-up, loading, then runProgram.
RunOutcome runText(std::string_view text, char** argv);

// Start-up, loading and the whole-program check, without evaluating anything: the report a run
// of the same text would give before its evaluation starts ("Empty" when it would run).
support::ErrorReport checkText(std::string_view text);

// The text itself when at most 56 bytes, else its first 53 bytes and "...".
std::string clipText(std::string_view text);

}  // namespace vorn::session
