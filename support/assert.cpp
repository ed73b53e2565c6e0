// The assertion line and the fatal error. Program output written so far goes out first, so that
// it is not lost behind the abort.
#include "support/assert.h"

#include <cstdio>
#include <cstdlib>

namespace vorn::support {

void assertionFailed(const char* source, int line) {
  std::fflush(stdout);
  std::fprintf(stderr, "ASSERTION FAILED:%s:%d\n", source, line);
  std::fflush(stderr);
  std::abort();
}

void fatal(std::string_view message) {
  std::fputs("REDVFAIL: ", stdout);
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
  CORE_UNREACHABLE();
}

}  // namespace vorn::support
