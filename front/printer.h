// The two printers: showSource writes a term so that it reads back as the same term; showValue is
// the diagnostic form put into "Range" reports.
#pragma once

#include <string>

#include "cells/cell.h"

namespace vorn::front {

std::string showSource(const cells::CellRef& term);
std::string showValue(const cells::CellRef& term);

}  // namespace vorn::front
