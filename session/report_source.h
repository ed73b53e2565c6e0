// Where in a program text a report points: the bracket or comma the front end refused, the start
// of the definition a report names, the place where a missing name is used; and the defined names
// closest in spelling to a missing one. Offsets are bytes into the text the report was made from,
// so they count from the top of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/report.h"

namespace vorn::session {

struct SourcePoint {
  std::int64_t offset = 0;
  std::string note;  // what stands there, in a few words ("the comma", "[h] is defined here")
};

// The points of `text` that `report` is about, in the order to show them; none when the report
// points nowhere in this text (a "Range", a definition of the Prelude, another text's report).
std::vector<SourcePoint> reportPoints(const support::ErrorReport& report, std::string_view text);

// The missing name of an "Alive" report, as the program spells it; empty for any other report.
std::string missingName(const support::ErrorReport& report);

// Up to `most` names of the global table closest in spelling to `name`, in name order: those
// fewest edits away, at most one edit for short names, two or three for longer ones (a swap of
// neighbours is one edit). None for a name of one byte, to which every one-byte name is close.
std::vector<std::string> namesLike(std::string_view name, std::size_t most = 3);

}  // namespace vorn::session
