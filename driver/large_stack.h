// Runs the interpreter on a thread whose stack is reserved very large and committed only as it
// is touched. Term analysis, substitution, printing, comparison and parsing follow the shape of
// the data they walk; on this stack any structure that fits in memory can be walked.
#pragma once

#include <functional>

namespace vorn::driver {

// Runs `body` on a fresh thread with the large stack and returns its result.
int runOnLargeStack(const std::function<int()>& body);

}  // namespace vorn::driver
