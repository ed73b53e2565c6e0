// main(): hands the command line to the process entry on the large-stack thread and flushes
// every stream before the process ends.
#include <cstdio>

#include "driver/entry.h"
#include "driver/large_stack.h"

int main(int argc, char** argv) {
  int status = vorn::driver::runOnLargeStack([&] { return vorn::driver::vornMain(argc, argv); });
  std::fflush(nullptr);
  return status;
}
