// Source loaded at run time: read exactly as a program file is read, held to the checker's rules
// against the running program, and added to it. This is what the `load` builtin reaches through
// the hook that start-up installs, and what the interactive session adds its lines with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells/cell.h"
#include "front/loader.h"
#include "support/report.h"

namespace vorn::session {

// What a source adds to the running program: its entry expression (empty for a source that only
// defines) and its named definitions in order; a later one of the same name replaces an earlier.
struct SourceAddition {
  cells::CellRef entry;
  std::vector<front::Definition> definitions;
};

// The outcome of adding a source: the first refusal, or an empty report with the entry in the
// form the checker leaves, ready to evaluate (empty when the source had none).
struct AddOutcome {
  support::ErrorReport report;
  cells::CellRef entry;
};

// Checks `addition` against the running program and adds its definitions. Refused, with the
// tables exactly as they were: a name the program already has ("Twice"; builtins, whose
// placeholders are globals, and the Prelude included), and whatever the checker refuses. A source
// without an entry has every definition checked, since nothing but its names can reach them.
AddOutcome addSource(SourceAddition addition);

// An entry that uses each of `names` and does nothing else: checking it holds every one of their
// definitions to the rules, not only those that some entry reaches.
cells::CellRef entryUsing(const std::vector<std::string>& names);

// What the `load` builtin does: reads and checks `source` and adds its named definitions to the
// running program; gives its entry expression. Nothing, and the tables exactly as they were, when
// the source fails to read or check, has no entry, or defines a name the program already has.
std::optional<cells::CellRef> loadSource(std::string_view source);

}  // namespace vorn::session
