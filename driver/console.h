// The interactive session on the terminal side: Ctrl-C armed to interrupt an evaluation, lines
// read (with line editing on a terminal), each entered into the session, values printed on
// stdout and reports on stderr.
#pragma once

#include <optional>

#include "driver/program_source.h"

namespace vorn::driver {

// Runs the session until end of input or ":quit" (status 0). A program that does not load or
// check ends it at once with its report (the failure status).
int runConsole(const std::optional<ProgramSource>& program, bool explain);

}  // namespace vorn::driver
