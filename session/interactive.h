// The interactive session: a program's definitions, then one line at a time. A line that starts
// with a definition (`name\...`, or a comma as in a program file) adds its definitions, under the
// rules of run-time loading; any other line is an expression, evaluated and shown in source form.
// Reading lines, printing and Ctrl-C belong to the terminal side (driver/console.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "support/report.h"

namespace vorn::session {

// What one line gave.
struct LineOutcome {
  enum class Kind {
    kNothing,      // a blank line
    kDefined,      // definitions were added
    kValue,        // an expression was evaluated: `shown` holds its value
    kReport,       // refused or failed: `report` says why; the session is as it was before
    kInterrupted,  // the evaluation was interrupted
  };
  Kind kind = Kind::kNothing;
  std::string shown;
  support::ErrorReport report;
};

// Starts afresh, with the Prelude and the builtins, and with the definitions of `program` when one
// is given. Its entry is not evaluated, and every definition in it is checked, not only those the
// entry reaches. The report is "Empty" when the session may go on.
support::ErrorReport startInteractive(std::optional<std::string_view> program);

// Reads, checks and adds or evaluates one line. The line's own definitions may not redefine a
// name the session already has ("Twice"). An evaluation that is interrupted, or that stops on a
// cycle, leaves every definition it was computing as it was before.
LineOutcome enterLine(std::string_view line);

// True for the line that ends the session: ":quit", blanks around it allowed.
bool isQuitCommand(std::string_view line);

}  // namespace vorn::session
