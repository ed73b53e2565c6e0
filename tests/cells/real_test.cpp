// Reals: the 9-byte Atom, its exact bits, integers turned into reals, and the "%e" text.
#include "cells/real.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "cells/integer.h"

namespace vorn::cells {
namespace {

std::uint64_t bitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double fromBitPattern(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(Real, ZeroIsNineBytesWithEightZeros) {
  CellRef zero = makeReal(0.0);
  EXPECT_EQ(atomSize(zero), 9u);
  EXPECT_EQ(atomBytes(zero), std::string_view(" \0\0\0\0\0\0\0\0", 9));
  EXPECT_EQ(realValue(zero), 0.0);
  EXPECT_EQ(valueKind(zero), 'e');
}

TEST(Real, EveryBitPatternIsKept) {
  const std::uint64_t patterns[] = {
      bitsOf(-0.0),
      bitsOf(std::numeric_limits<double>::infinity()),
      bitsOf(-std::numeric_limits<double>::infinity()),
      0x7FF8000000000000u,  // quiet NaN
      0xFFF0000000000001u,  // signalling NaN with the sign set and a payload
      0x7FF80000DEADBEEFu,  // NaN with a payload
      bitsOf(std::numeric_limits<double>::denorm_min()),
      bitsOf(1.5),
      0x0000000000000100u,  // zero bytes on both sides of a set byte
  };
  for (std::uint64_t pattern : patterns) {
    SCOPED_TRACE(pattern);
    CellRef real = makeReal(fromBitPattern(pattern));
    EXPECT_EQ(atomSize(real), 9u);
    EXPECT_EQ(bitsOf(realValue(real)), pattern);
    std::uint64_t stored;
    std::memcpy(&stored, atomBytes(real).data() + 1, sizeof stored);
    EXPECT_EQ(stored, pattern);  // little-endian, as the processor holds it
  }
}

TEST(Real, IntegersBecomeTheNearestDouble) {
  std::string big = std::string(1, '1').append(399, '0');
  struct Case {
    CellRef integer;
    double expected;
  };
  const Case cases[] = {
      {CellRef("042"), -42.0},
      {CellRef("0"), 0.0},
      {CellRef("K"), 0.0},
      {CellRef(big), std::numeric_limits<double>::infinity()},
      {CellRef(std::string(1, '0').append(big)), -std::numeric_limits<double>::infinity()},
      {CellRef("9007199254740993"), 9007199254740992.0},  // 2^53 + 1 rounds to even
      {CellRef("9007199254740995"), 9007199254740996.0},
      {nest3(CellRef("J"), CellRef("K"), nest3(CellRef("J"), CellRef("H"), CellRef("5"))), -23.0},  // 1 0 then 1 1 101
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(integerText(c.integer).value_or("?"));
    CellRef real = integerToReal(c.integer);
    EXPECT_EQ(valueKind(real), 'e');
    EXPECT_EQ(realValue(real), c.expected);
  }
}

TEST(Real, TextIsPercentE) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{1.5, "1.500000e+00"},
                        {-0.0, "-0.000000e+00"},
                        {1e300, "1.000000e+300"},
                        {std::numeric_limits<double>::infinity(), "inf"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(realText(makeReal(c.value)), c.text);
  }
}

TEST(RealDeath, RequireRealOfANonRealIsAnAssertion) {
  requireReal(makeReal(2.0));
  EXPECT_DEATH(requireReal(CellRef("12")), "ASSERTION FAILED:b:");
  EXPECT_DEATH(requireReal(makePair(CellRef("a"), CellRef("b"))), "ASSERTION FAILED:b:");
  EXPECT_DEATH(integerToReal(CellRef("[5]")), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::cells
