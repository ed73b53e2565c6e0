// Runs the interpreter on a thread whose stack is reserved very large and committed only as it
// is touched. The walks over terms and texts keep their own work lists and need no deep stack;
// this one is a second line of defence, for native frames that a program could still pile up.
#pragma once

#include <functional>

namespace vorn::driver {

// Runs `body` on a fresh thread with the large stack and returns its result.
int runOnLargeStack(const std::function<int()>& body);

}  // namespace vorn::driver
