// Build-time switches, all in one place. The shipped binary is built with none of them: it has
// no options and reads no environment variables, so each switch makes a separate build.
#pragma once

#include <cstddef>
#include <cstdint>

// Step counter (CMake option VORN_COUNT_STEPS, off by default). The benchmarks in bench/ report
// machine steps per second, which says how fast the reducer's loop turns independently of how
// many steps a program needs. Counting costs an increment per step, so only the bench build pays
// for it; that build prints the total on stderr when the process ends. In any other build the
// macro below expands to nothing and the counter is never touched.
#ifdef VORN_COUNT_STEPS

namespace vorn::support {
// Machine steps taken by this process, over every evaluation it made.
inline std::uint64_t machineSteps = 0;
}  // namespace vorn::support

#define VORN_COUNT_STEP() (++::vorn::support::machineSteps)

#else

#define VORN_COUNT_STEP() static_cast<void>(0)

#endif

// Run budget (CMake option VORN_FUZZ, the fuzzing build only). A fuzzer feeds the machine
// arbitrary programs, and most loop forever or grow without end; the budget turns those into a
// quick, clean stop so the fuzzer can go on to the next input. The machine spends one step of the
// budget per transition and checks the bytes held by live Cells; one builtin call or one printed
// value can cost far more than a step (printing visits a shared subtree once per path to it), so
// those spend units of work, about one visited node each. When any of the three runs out the
// spender throws RunBudgetExhausted, which the fuzz target catches. Every owner on the way out is
// a CellRef or a container, so unwinding frees what the run held. No other build has the budget.
#ifdef VORN_RUN_BUDGET

namespace vorn::support {

struct RunBudgetExhausted {};

// What one run may spend; the fuzz targets set them before every run. Work is unlimited
// outside a run, so loading and checking never run out of it.
inline std::uint64_t budgetSteps = 0;
inline std::int64_t budgetCellBytes = 0;
inline std::int64_t budgetWork = INT64_MAX;

inline void spendWork(std::int64_t units) {
  if (units > budgetWork) throw RunBudgetExhausted{};
  budgetWork -= units;
}

// Bytes of Cells currently allocated, kept by the Cell allocator in this build only.
inline std::int64_t liveCellBytes = 0;

inline void spendStep() {
  if (budgetSteps == 0 || liveCellBytes > budgetCellBytes) throw RunBudgetExhausted{};
  --budgetSteps;
}

}  // namespace vorn::support

#define VORN_SPEND_STEP() ::vorn::support::spendStep()
#define VORN_COUNT_CELL_BYTES(delta) (::vorn::support::liveCellBytes += (delta))
#define VORN_SPEND_WORK(units) ::vorn::support::spendWork(units)

#else

#define VORN_SPEND_STEP() static_cast<void>(0)
#define VORN_COUNT_CELL_BYTES(delta) static_cast<void>(0)
#define VORN_SPEND_WORK(units) static_cast<void>(0)

#endif

// Memcheck build (CMake option VORN_MEMCHECK). The interpreter runs on a thread whose stack is a
// large reservation, a second line of defence behind the work lists that every deep walk uses.
// valgrind shadows the whole reservation, which at 64 GiB would cost it more memory than the
// machine has, so the build that runs under valgrind reserves 256 MiB instead.
namespace vorn::support {
#ifdef VORN_MEMCHECK
inline constexpr std::size_t kInterpreterStackBytes = std::size_t{256} << 20;
#else
inline constexpr std::size_t kInterpreterStackBytes = std::size_t{64} << 30;
#endif
}  // namespace vorn::support
