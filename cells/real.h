// Reals: a space followed by the eight little-endian bytes of an IEEE-754 double, in one 9-byte
// Atom. Negative zero, infinities and NaNs keep their bits.
#pragma once

#include <string>

#include "cells/cell.h"

namespace vorn::cells {

inline bool isRealCell(const Cell* c) { return firstByteOf(c) == ' '; }

CellRef makeReal(double value);
// Asserts that the value is a real Atom (core assertion).
void requireReal(const CellRef& value);
double realValue(const Cell* real);
inline double realValue(const CellRef& real) { return realValue(real.get()); }
// The nearest double of an integer of kind 'i', through its decimal text and strtod.
CellRef integerToReal(const CellRef& integer);
// The value formatted with "%e".
std::string realText(const CellRef& real);

}  // namespace vorn::cells
