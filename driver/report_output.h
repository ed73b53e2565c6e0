// Writing a report on stderr as the process entry always has (the reset sequence, then the report
// in its display form) and, when excerpts are wanted, the block that shows where it points.
#pragma once

#include <vector>

#include "driver/source_excerpt.h"
#include "support/report.h"

namespace vorn::driver {

// True when stderr is a terminal: reports are then followed by their source excerpts.
bool stderrIsTerminal();

// Writes what the program printed so far, then the report, then (when `explain`) the excerpt.
void writeReport(const support::ErrorReport& report, const std::vector<ExcerptSource>& sources,
                 bool explain);

}  // namespace vorn::driver
