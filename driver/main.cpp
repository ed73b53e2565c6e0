// main(): hands the command line to the process entry on the large-stack thread and flushes
// every stream there before the process ends.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "support/assert.h"
#include "support/config.h"
#include "driver/entry.h"
#include "driver/large_stack.h"
#include "eval/reducer.h"

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
  // Memory the system will not give (a builtin asked to make a number of a hundred trillion bits,
  // say) ends the run as running out of Cells does: the fatal error "memory", never an exception
  // that nothing catches.
  std::set_new_handler([] { vorn::support::fatal("memory"); });
#ifdef VORN_MACHINE_ONLY
  vorn::eval::useCompiledDefinitions(false);  // the reference build: the machine alone
#endif
  return vorn::driver::runOnLargeStack([&] {
    int status = vorn::driver::vornMain(argc, argv);
    // On the interpreter's own thread: a builtin that faulted inside a stdio call (a wild buffer
    // given to fwrite, say) leaves that stream's lock held by this thread. The lock is recursive,
    // so flushing here goes through, where another thread would wait for it for ever. The exit
    // that follows flushes again without waiting on any stream's lock.
    std::fflush(nullptr);
    return status;
  });
}
