// main(): hands the command line to the process entry on the large-stack thread and flushes
// every stream before the process ends.
#include <cstdio>
#include <cstdlib>

#include "support/config.h"
#include "driver/entry.h"
#include "driver/large_stack.h"

#ifdef VORN_COUNT_STEPS
// Registered with atexit, so that the total is printed however the process ends normally,
// through the `exit` builtin too.
static void printMachineSteps() {
  std::fprintf(stderr, "steps: %llu\n", static_cast<unsigned long long>(vorn::support::machineSteps));
}
#endif

int main(int argc, char** argv) {
#ifdef VORN_COUNT_STEPS
  std::atexit(printMachineSteps);
#endif
  int status = vorn::driver::runOnLargeStack([&] { return vorn::driver::vornMain(argc, argv); });
  std::fflush(nullptr);
  return status;
}
