// The whole-program checker, run once before evaluation: it adds the layout text, desugars
// quotes and pair bindings, reports malformed binders, undefined names, too many local names or
// parameters and unbound letters, renames long local names to letters, and shares equal subterms.
#pragma once

#include "driver/report.h"

namespace vorn::check {

driver::ErrorReport checkProgram();

}  // namespace vorn::check
