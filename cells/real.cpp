// Real Atoms: making, reading and writing them, and turning integers into them.
#include "cells/real.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cells/integer.h"

namespace vorn::cells {

CellRef makeReal(double value) {
  // The eight value bytes may hold zeros, so the Atom is made from an explicit length.
  char bytes[9];
  bytes[0] = ' ';
  std::memcpy(bytes + 1, &value, sizeof value);
  return CellRef(std::string_view(bytes, sizeof bytes));
}

void requireReal(const CellRef& value) { CORE_ASSERT(isRealCell(value.get())); }

double realValue(const Cell* real) {
  CORE_ASSERT(isRealCell(real));
  double value;
  std::memcpy(&value, atomData(real) + 1, sizeof value);
  return value;
}

CellRef integerToReal(const CellRef& integer) {
  requireInteger(integer);
  // strtod rounds the exact decimal text to the nearest double and gives infinity past the
  // largest one, so no precision is lost on the way.
  std::string text = integerText(integer).value_or("0");
  if (text == "K") text.assign(1, '0');
  if (text.size() > 1 && text[0] == '0') text[0] = '-';
  return makeReal(std::strtod(text.c_str(), nullptr));
}

std::string realText(const CellRef& real) {
  requireReal(real);
  char buffer[99];
  std::snprintf(buffer, sizeof buffer, "%e", realValue(real));
  return buffer;
}

}  // namespace vorn::cells
