// The house assertion: an internal inconsistency prints "ASSERTION FAILED:<source>:<line>" on
// stderr and aborts. The source name says which part of vorn failed: "b" for the core (cells,
// front end, checker, evaluator), "vorn" for the process entry, "l" for the builtin library.
#pragma once

namespace vorn::driver {

// Prints the assertion line for `source` and `line` and aborts; never returns.
[[noreturn]] void assertionFailed(const char* source, int line);

}  // namespace vorn::driver

#define VORN_ASSERT_AT(source, cond) \
  ((cond) ? static_cast<void>(0) : ::vorn::driver::assertionFailed(source, __LINE__))

// Core checks (cells/, front/, check/, eval/).
#define CORE_ASSERT(cond) VORN_ASSERT_AT("b", cond)
// Builtin library checks.
#define LIB_ASSERT(cond) VORN_ASSERT_AT("l", cond)
// Process entry checks.
#define ENTRY_ASSERT(cond) VORN_ASSERT_AT("vorn", cond)
// A place the core can never reach.
#define CORE_UNREACHABLE() ::vorn::driver::assertionFailed("b", __LINE__)
