// Integers: unbounded decimal Atoms whose sign is a leading zero ("042" is -42), and lazy bit
// lists built with J. Both convert through one internal bit string.
#pragma once

#include <cstdint>

#include "cells/cell.h"

namespace vorn::cells {

// The signed 64-bit value of an integer, wrapping modulo 2^64.
std::int64_t integerToInt64(const CellRef& value);

}  // namespace vorn::cells
