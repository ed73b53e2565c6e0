// Build-time switches, all in one place. The shipped binary is built with none of them: it has
// no options and reads no environment variables, so each switch makes a separate build.
#pragma once

#include <cstdint>

// Step counter (CMake option VORN_COUNT_STEPS, off by default). The benchmarks in bench/ report
// machine steps per second, which says how fast the reducer's loop turns independently of how
// many steps a program needs. Counting costs an increment per step, so only the bench build pays
// for it; that build prints the total on stderr when the process ends. In any other build the
// macro below expands to nothing and the counter is never touched.
#ifdef VORN_COUNT_STEPS

namespace vorn::driver {
// Machine steps taken by this process, over every evaluation it made.
inline std::uint64_t machineSteps = 0;
}  // namespace vorn::driver

#define VORN_COUNT_STEP() (++::vorn::driver::machineSteps)

#else

#define VORN_COUNT_STEP() static_cast<void>(0)

#endif
