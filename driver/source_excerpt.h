// The block that follows a report when stderr is a terminal or --explain is given: for each place
// the report points at, "FILE:LINE:COLUMN: what is there", that source line and a caret under the
// column; after an "Alive" report, the defined names closest in spelling. Lines and columns count
// from 1, columns in bytes; the block is plain bytes, shown through the display form like the
// report itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/report.h"

namespace vorn::driver {

// A text a report may point into.
// No report points into a blanked "#!" line, so the program's own lines are the ones to show.
struct ExcerptSource {
  std::string_view name;     // shown before the line number
  std::string_view program;  // the text the report was made from
  int firstLine = 1;         // the number of its first line
};

// The block for `report`, from the first of `sources` that it points into; empty when it points
// into none and has no names to suggest.
std::string sourceExcerpt(const support::ErrorReport& report, const std::vector<ExcerptSource>& sources);

}  // namespace vorn::driver
