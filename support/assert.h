// The house assertion and the fatal error, the two answers to an internal inconsistency. An
// assertion prints "ASSERTION FAILED:<source>:<line>" on stderr and aborts; the source name says
// which part of vorn failed: "b" for the core (cells, front end, checker, evaluator), "vorn" for
// the process entry, "l" for the builtin library.
#pragma once

#include <string_view>

namespace vorn::support {

// Prints the assertion line for `source` and `line` and aborts; never returns.
[[noreturn]] void assertionFailed(const char* source, int line);

// Prints "REDVFAIL: <message>" on stdout, then fails a core assertion; never returns.
[[noreturn]] void fatal(std::string_view message);

}  // namespace vorn::support

#define VORN_ASSERT_AT(source, cond) \
  ((cond) ? static_cast<void>(0) : ::vorn::support::assertionFailed(source, __LINE__))

// Core checks (cells/, front/, check/, eval/).
#define CORE_ASSERT(cond) VORN_ASSERT_AT("b", cond)
// Builtin library checks.
#define LIB_ASSERT(cond) VORN_ASSERT_AT("l", cond)
// Process entry checks.
#define ENTRY_ASSERT(cond) VORN_ASSERT_AT("vorn", cond)
// A place the core can never reach.
#define CORE_UNREACHABLE() ::vorn::support::assertionFailed("b", __LINE__)
