// ErrorReport: how the front end, the checker and the run hand a user-facing failure to whoever
// started them, and its printed form. The terminal form (colours, escaped paths) is the process
// entry's business.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn::support {

struct ErrorReport {
  std::string name;         // what the report is about; may be empty
  std::int64_t position = 0;  // byte offset in the program text; carried, never printed
  std::string type = "Empty";  // one word; "Empty" means no error
  std::string message;

  bool ok() const { return type == "Empty"; }
};

// A report of the given type and message, with an optional name and position.
ErrorReport makeReport(std::string type, std::string message, std::string name = {},
                       std::int64_t position = 0);

// Names travel into reports with NUL and newline exchanged, so that a newline in a name cannot
// break the report's lines (and the exchange undoes itself).
std::string exchangeNulNewline(std::string_view bytes);

// "No errors.\n" for an empty report, otherwise the "Error." block ending in "\\/\n".
std::string formatReport(const ErrorReport& report);

}  // namespace vorn::support
