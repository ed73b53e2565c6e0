// Source loaded at run time: read exactly as a program file is read, held to the checker's rules
// against the running program, and added to it. This is what the `load` builtin reaches through
// the hook that start-up installs.
#pragma once

#include <optional>
#include <string_view>

#include "cells/cell.h"

namespace vorn::session {

// Reads and checks `source` and adds its named definitions to the running program; gives its
// entry expression, ready to evaluate. Nothing, and the tables exactly as they were, when the
// source fails to read or check, has no entry, or defines a name the program already has.
std::optional<cells::CellRef> loadSource(std::string_view source);

}  // namespace vorn::session
