// ErrorReport: how the front end and the run driver hand a user-facing failure to the process
// entry, and the forms in which a report reaches the terminal. Also the two other diagnostic
// channels every subsystem shares: the fatal error and the append-only log file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn::driver {

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

// "No errors.\n" for an empty report, otherwise the "Error." block ending in "\\/\n".
std::string formatReport(const ErrorReport& report);

// The bytes with colour escapes: plain bytes as they are, 161..254 in red as the byte minus 128,
// the other unprintable bytes in green as their character-code key.
std::string displayForm(std::string_view bytes);

// Every byte outside 32..126, and both square brackets, written as "[" + two hex digits + "]".
std::string escapeBytes(std::string_view bytes);

// Prints "REDVFAIL: <message>" on stdout, then fails a core assertion; never returns.
[[noreturn]] void fatal(std::string_view message);

// Appends the bytes to the log file; a log that cannot be written is skipped silently. The log
// sits in a folder everyone may write to, so the append never follows a symbolic link at the
// path, creates the file readable by its owner alone, and writes only into a regular file of the
// running user's own with no other name: anything else planted there is left alone.
void appendLog(std::string_view bytes);

// Where the log file is, unless a test has pointed it elsewhere.
inline constexpr const char* kLogPath = "/tmp/redv.log";
// The log file's path now, and the setter that lets tests keep away from the shared file.
const std::string& logPath();
void setLogPath(std::string path);

}  // namespace vorn::driver
