// The process entry: reads the command line, reads the program, hands it to the session (a run, a
// check, or an interactive session), and turns the outcome into an exit status and stderr bytes.
#pragma once

namespace vorn::driver {

// Exit status of every reported failure: the 8-bit value with only the sign bit set.
inline constexpr int kFailureStatus = 128;
inline constexpr int kUsageStatus = 1;

// The process entry proper; `argv` is the process's own argument vector.
int vornMain(int argc, char** argv);

}  // namespace vorn::driver
