// The append-only log file that the checker writes a line to for every definition whose long
// local names it renames. Appending never fails the run: a log that cannot be written is skipped.
#pragma once

#include <string>
#include <string_view>

namespace vorn::support {

// The path every run appends to unless a test chose another.
inline constexpr const char* kLogPath = "/tmp/redv.log";

// Appends the bytes to the log file; a log that cannot be written is skipped silently. The log
// sits in a folder everyone may write to, so the append never follows a symbolic link at the
// path, creates the file readable by its owner alone, and writes only into a regular file of the
// running user's own with no other name: anything else planted there is left alone.
void appendLog(std::string_view bytes);

// The path appends go to, and a way for tests to send them elsewhere than the shared file.
const std::string& logPath();
void setLogPath(std::string path);

}  // namespace vorn::support
