// The run driver: checks the loaded program, evaluates its entry on the argument vector's
// address, and accepts an integer result or reports "Cycle", "Range" or "Fault".
#pragma once

#include <string>
#include <string_view>

#include "cells/cell.h"
#include "driver/report.h"

namespace vorn::eval {

driver::ErrorReport runProgram(driver::ErrorReport report, char** argv);

// The accepted result, stored under the empty name by a successful run.
cells::CellRef resultOfRun();

// The text itself when at most 56 bytes, else its first 53 bytes and "...".
std::string clipText(std::string_view text);

}  // namespace vorn::eval
