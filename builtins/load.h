// The hook through which `load` reaches the session running the program: reading a source,
// checking it against the running program and adding its definitions belong to the session, not
// to the builtin library, which only hands the source over and evaluates the entry it gets back.
#pragma once

#include <optional>
#include <string_view>

#include "cells/cell.h"

namespace vorn::builtins {

// Adds a source's definitions to the running program and gives its entry expression; nothing
// (and no change) when the source is refused.
using SourceLoader = std::optional<cells::CellRef> (*)(std::string_view source);

// Installed by start-up; without one, every `load` gives Z.
void installSourceLoader(SourceLoader loader);

}  // namespace vorn::builtins
