// The process entry: checks the command line, reads the program file, hands it to the session,
// and turns the outcome into an exit status and stderr bytes.
#pragma once

#include <optional>
#include <string>

namespace vorn::driver {

// Exit status of every reported failure: the 8-bit value with only the sign bit set.
inline constexpr int kFailureStatus = 128;
inline constexpr int kUsageStatus = 1;

// The whole program file as bytes, or nothing when it cannot be opened or read as a file.
std::optional<std::string> readProgramFile(const char* path);

// The process entry proper; `argv` is the process's own argument vector.
int vornMain(int argc, char** argv);

}  // namespace vorn::driver
