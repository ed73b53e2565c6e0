// Program loading: turns the program text into the entry and the definitions of the global
// table, with the "Match", "Comma", "Lower" and "Built" reports.
#pragma once

#include <string_view>

#include "driver/report.h"

namespace vorn::front {

driver::ErrorReport loadProgram(std::string_view text);

}  // namespace vorn::front
