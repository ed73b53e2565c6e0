// Interrupting an evaluation. Only the interactive session sets the flag (from its SIGINT
// handler); the machine loop looks at it once per step and, when it is set, unwinds the
// evaluation by throwing Interrupted back to the session. Every owner on the way out is a CellRef
// or a container, so unwinding frees what the evaluation held. A plain run never installs the
// handler: SIGINT keeps its default action there and ends the process.
#pragma once

#include <atomic>

namespace vorn::support {

struct Interrupted {};

// Set by the interactive session's SIGINT handler, cleared by the session. Lock-free, so the
// handler may store to it.
inline std::atomic<bool> interruptRequested{false};

[[noreturn, gnu::cold, gnu::noinline]] inline void throwInterrupted() { throw Interrupted{}; }

// One relaxed load per call: a plain read of a byte on this machine.
inline void pollInterrupt() {
  if (interruptRequested.load(std::memory_order_relaxed)) [[unlikely]] throwInterrupted();
}

}  // namespace vorn::support
