// The Prelude: the single-capital combinators and the meanings of the operator characters,
// written in the language itself and read by the same source reader as programs. Loading it
// stores each definition under its canonical name, with no definition rules applied.
#pragma once

#include <string_view>

namespace vorn::front {

// The Prelude's text: 51 definitions, each introduced by a comma.
std::string_view preludeText();

// Stores every Prelude definition in the global table, in order.
void loadPrelude();

}  // namespace vorn::front
