// Integers: decimal Atoms and bit lists, their bit strings, the 64-bit conversions and the kind
// letter of every value.
#include "cells/integer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cells/bignum.h"
#include "cells/bits.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::cells {
namespace {

// The bit list J b0 (J b1 (... end)), elements given lowest first as 'K' and 'H'.
CellRef bitList(std::string_view elements, CellRef end) {
  CellRef list = std::move(end);
  for (std::size_t i = elements.size(); i-- > 0;) {
    list = nest3(CellRef("J"), CellRef(std::string(1, elements[i])), std::move(list));
  }
  return list;
}

CellRef bitList(std::string_view elements) { return bitList(elements, CellRef("K")); }

// A bit string from its bits written lowest first as '0' and '1'.
Bits bitsOf(std::string_view written) {
  Bits bits((written.size() + 7) / 8, '\0');
  for (std::size_t i = 0; i < written.size(); ++i) {
    if (written[i] == '1') bits[i / 8] = static_cast<char>(bits[i / 8] | (1 << (i % 8)));
  }
  return bits;
}

// Reference conversion, one decimal digit and one bit at a time, independent of the word-sized
// conversions under test: the binary digits of a decimal natural number, lowest first.
std::string binaryOf(std::string digits) {
  std::string binary;
  while (!(digits.empty() || digits == "0")) {
    int carry = 0;
    std::string half;
    for (char d : digits) {
      int value = carry * 10 + (d - '0');
      half += static_cast<char>('0' + value / 2);
      carry = value % 2;
    }
    binary += static_cast<char>('0' + carry);
    std::size_t nonZero = half.find_first_not_of('0');
    digits = nonZero == std::string::npos ? "0" : half.substr(nonZero);
  }
  return binary;
}

// The bit string of a decimal text, written out from the text rules with the reference
// conversion, as '0'/'1' lowest first.
std::string referenceBits(const std::string& text) {
  if (text == "0") return "11";
  if (text.substr(0, 2) != "00") {
    bool negative = text[0] == '0';
    return std::string("1") + (negative ? "0" : "1") + binaryOf(negative ? text.substr(1) : text);
  }
  std::size_t zeros = 0;
  while (2 + zeros < text.size() && text[2 + zeros] == '0') ++zeros;
  return std::string(zeros + 1, '0') + "1" + binaryOf(text.substr(2 + zeros));
}

std::string randomDigits(std::mt19937_64& random, std::size_t count) {
  std::string digits(1, static_cast<char>('1' + random() % 9));
  while (digits.size() < count) digits += static_cast<char>('0' + random() % 10);
  return digits;
}

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(Integer, MakeIntegerWritesTheLeadingZeroSign) {
  struct Case {
    std::int64_t value;
    const char* text;
  };
  const Case cases[] = {{0, "0"}, {7, "7"}, {-7, "07"}, {kMax, "9223372036854775807"},
                        {kMin, "09223372036854775808"}, {-1, "01"}, {10, "10"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CellRef made = makeInteger(c.value);
    EXPECT_EQ(atomBytes(made), c.text);
    EXPECT_EQ(integerToInt64(made), c.value);
  }
  EXPECT_EQ(atomBytes(makeUnsignedInteger(std::numeric_limits<std::uint64_t>::max())), "18446744073709551615");
  EXPECT_EQ(atomBytes(makeUnsignedInteger(0)), "0");
}

TEST(Integer, ToInt64WrapsModuloTwoToThe64) {
  struct Case {
    CellRef value;
    std::int64_t expected;
  };
  const Case cases[] = {
      {CellRef("07"), -7},
      {CellRef("18446744073709551617"), 1},     // 2^64 + 1
      {CellRef("18446744073709551615"), -1},    // 2^64 - 1
      {CellRef("018446744073709551617"), -1},   // -(2^64 + 1)
      {CellRef("9223372036854775808"), kMin},   // 2^63 wraps to the most negative value
      {CellRef("340282366920938463463374607431768211457"), 1},  // 2^128 + 1
      {CellRef("K"), 0},
      {bitList("KKKH"), 5},                     // flags 1 1, magnitude 101 (end marker on top)
      {bitList("KHKH"), -5},
      {bitList("KK"), 1},
      {bitList("K"), 0},
      {bitList("KK", CellRef("0")), 3},         // 1 1 then the bits 1 1 of "0": magnitude 11
      {bitList("K", CellRef("07")), 14},        // 1 then the bits 1 0 111 of -7: 1 1 0 111
      {CellRef("005"), 5},                       // kind 'o' reads like 'i' with bit 0 clear
      {CellRef("000"), -1},
      {CellRef("12x"), 0},                       // no number
      {makePair(CellRef("f"), CellRef("x")), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(integerText(c.value).value_or("(not a number)"));
    EXPECT_EQ(integerToInt64(c.value), c.expected);
  }
}

TEST(Integer, ValueKindInItsOrder) {
  CellRef text("[ab]");
  CellRef textPair = makePair(CellRef("[a]"), CellRef("[b]"));
  struct Case {
    const char* name;
    CellRef value;
    char kind;
  };
  const Case cases[] = {
      {"zero", CellRef("0"), 'i'},
      {"00", CellRef("00"), 'o'},
      {"007", CellRef("007"), 'o'},
      {"negative", CellRef("042"), 'i'},
      {"K", CellRef("K"), 'w'},
      {"real", makeReal(1.5), 'e'},
      {"real of zero bytes", makeReal(0.0), 'e'},
      {"text", text, 'u'},
      {"text pair", textPair, 'u'},
      {"blob", makeBlob("ab"), 'a'},
      {"list of first bit K", bitList("KHK"), 'i'},
      {"list of first bit H", bitList("HKK"), 'o'},
      {"list ending in a number", bitList("HH", CellRef("12")), 'o'},
      {"J K Z", bitList("K", CellRef("Z")), 'w'},
      {"list ending in text", bitList("KK", CellRef("[x]")), 'w'},
      {"element that is no bit", nest3(CellRef("J"), CellRef("I"), CellRef("K")), 'w'},
      {"J applied once", makePair(CellRef("J"), CellRef("K")), 'w'},
      {"digit Atom with a letter", CellRef("12a"), 'w'},
      {"digit Atom with a zero byte", CellRef(std::string_view("1\0" "2", 3)), 'w'},
      {"name", CellRef("plus"), 'w'},
      {"application", makePair(CellRef("plus"), CellRef("1")), 'w'},
      {"half text pair", makePair(CellRef("[a]"), CellRef("b")), 'w'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(valueKind(c.value), c.kind);
  }
}

TEST(Integer, BitStringsOfBothFormsAgree) {
  struct Case {
    CellRef value;
    const char* bits;  // lowest first
    const char* text;
  };
  const Case cases[] = {
      {CellRef("K"), "1", "K"},
      {CellRef("0"), "11", "0"},
      {CellRef("00"), "01", "00"},
      {CellRef("000"), "001", "000"},
      {CellRef("5"), "11101", "5"},
      {CellRef("05"), "10101", "05"},
      {CellRef("005"), "01101", "005"},
      {CellRef("0005"), "001101", "0005"},
      {bitList("KKKH"), "11101", "5"},
      {bitList("HKKH"), "01101", "005"},
      {bitList("HHHHH"), "000001", "000000"},
      {bitList("KKH", CellRef("5")), "11011101", "46"},  // 1 1 0 then 1 1 1 0 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<Bits> bits = toBits(c.value);
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(*bits, bitsOf(c.bits));
    EXPECT_EQ(atomBytes(fromBits(*bits)), c.text);
    EXPECT_EQ(integerText(c.value), c.text);
  }
}

TEST(Integer, DecimalAtomsComeBackFromTheirBits) {
  std::mt19937_64 random(20240611);
  std::vector<std::string> texts = {"0", "1", "7", "07", "10", "010", "42", "042",
                                    "9223372036854775808", "09223372036854775808",
                                    "18446744073709551615", "18446744073709551616",
                                    "018446744073709551616", "10000000000000000000",
                                    "00", "000", "001", "0010", "00010", "0018446744073709551616"};
  for (std::size_t length : {19u, 20u, 38u, 39u, 57u, 400u, 401u, 3000u}) {
    std::string digits = randomDigits(random, length);
    for (std::size_t zeros : {0, 1, 2, 4}) texts.push_back(std::string(zeros, '0').append(digits));
  }
  texts.push_back(std::string(1, '1').append(399, '0'));
  texts.push_back(std::string(1, '0').append(400, '9'));
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    CellRef value(text);
    std::optional<Bits> bits = toBits(value);
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(*bits, bitsOf(referenceBits(text)));
    EXPECT_EQ(atomBytes(fromBits(*bits)), text);
  }
}

// The conversions split long numbers at powers of ten and of two; these lengths sit on both sides
// of the first splits, against the digit-by-digit reference.
TEST(Integer, DecimalAtomsAtTheSplitLengthsComeBackFromTheirBits) {
  std::mt19937_64 random(77);
  for (std::size_t length : {575u, 576u, 577u, 1152u, 1153u, 1232u, 1233u, 1234u, 2466u, 2467u}) {
    std::string digits = randomDigits(random, length);
    for (const std::string& text : {digits, "0" + digits, "00" + digits, "000" + digits}) {
      SCOPED_TRACE(text.size());
      std::optional<Bits> bits = toBits(CellRef(text));
      ASSERT_TRUE(bits.has_value());
      EXPECT_EQ(*bits, bitsOf(referenceBits(text)));
      EXPECT_EQ(atomBytes(fromBits(*bits)), text);
    }
  }
}

// Past 100,000 digits the reference is too slow; the bits are checked against numbers whose bits
// are known: 2^k - 1 is all ones, and 10^n is 5^n moved up by n bits.
TEST(Integer, HugeNumbersHaveTheBitsOfTheirValues) {
  constexpr std::size_t kOnes = 400000;  // 2^400000 - 1 has 120,412 digits
  std::string allOnes = (BigInt::power(BigInt(2), kOnes) - BigInt(1)).digits();
  std::optional<Bits> bits = toBits(CellRef(allOnes));
  ASSERT_TRUE(bits.has_value());
  Bits expected(kOnes / 8, static_cast<char>(0xFF));  // flags 1 1, then kOnes ones, then the end marker
  expected.push_back(static_cast<char>(0x03));
  EXPECT_EQ(*bits, expected);
  EXPECT_EQ(atomBytes(fromBits(expected)), allOnes);

  constexpr std::size_t kTens = 100000;
  std::string ten = "1" + std::string(kTens, '0');
  std::string five = BigInt::power(BigInt(5), kTens).digits();
  std::optional<Bits> tenBits = toBits(CellRef(ten)), fiveBits = toBits(CellRef(five));
  ASSERT_TRUE(tenBits.has_value() && fiveBits.has_value());
  std::size_t top = highestBit(*tenBits);
  ASSERT_EQ(top, highestBit(*fiveBits) + kTens);
  for (std::size_t i = 2; i <= top; ++i) {
    bool expectedBit = i >= kTens + 2 && bitAt(*fiveBits, i - kTens);
    ASSERT_EQ(bitAt(*tenBits, i), expectedBit) << i;
  }
  EXPECT_EQ(atomBytes(fromBits(*tenBits)), ten);
}

TEST(Integer, HugeDecimalAtomsOfEveryFormComeBackFromTheirBits) {
  std::mt19937_64 random(78);
  std::string digits = randomDigits(random, 150000);
  for (const std::string& text : {digits, "0" + digits, "00" + digits, "0000" + digits}) {
    std::optional<Bits> bits = toBits(CellRef(text));
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(atomBytes(fromBits(*bits)), text);
  }
  // A list K K ending in D carries on with D's whole bit string: flags 1 1, then D's kind and
  // sign bits (1 1), then its magnitude, so it reads as 4 D + 3.
  CellRef list = bitList("KK", CellRef(digits));
  BigInt d = BigInt::fromDigits(digits, false).value();
  EXPECT_EQ(integerText(list), (d * BigInt(4) + BigInt(3)).digits());
}

TEST(Integer, ListsOfDecimalsBitsReadBackAsThatDecimal) {
  std::mt19937_64 random(7);
  std::string digits = randomDigits(random, 400);
  std::string elements;
  for (char bit : referenceBits("0" + digits)) elements += bit == '1' ? 'K' : 'H';
  elements.pop_back();  // the end marker is the list's end K
  CellRef list = bitList(elements);
  EXPECT_EQ(valueKind(list), 'i');
  EXPECT_FALSE(isNonNegative(list));
  EXPECT_EQ(integerText(list), "0" + digits);
  EXPECT_EQ(atomBytes(magnitude(list)), digits);
}

TEST(Integer, FromBitsReadsUpToTheEndMarker) {
  EXPECT_EQ(atomBytes(fromBits(Bits("\x03\0\0", 3))), "0");  // zero bytes above the end marker
  EXPECT_EQ(atomBytes(fromBits(Bits())), "K");                // no end marker at all
  EXPECT_EQ(atomBytes(fromBits(Bits("\0", 1))), "K");
  EXPECT_EQ(atomBytes(fromBits(bitsOf("1101"))), "2");
}

TEST(Integer, MalformedListsAreNoNumbersAndNeverAssert) {
  const CellRef cases[] = {
      bitList("K", CellRef("Z")),                       // J K Z
      bitList("KKHK", CellRef("Z")),
      bitList("KK", makePair(CellRef("J"), CellRef("K"))),
      bitList("HK", CellRef("12a")),
  };
  for (const CellRef& value : cases) {
    EXPECT_EQ(valueKind(value), 'w');
    EXPECT_FALSE(toBits(value).has_value());
    EXPECT_FALSE(integerText(value).has_value());
    EXPECT_FALSE(isInteger(value));
    EXPECT_FALSE(isNatural(value));
    EXPECT_EQ(integerToInt64(value), 0);
  }
}

TEST(Integer, MillionElementListsAreWalkedInALoop) {
  // On the test's ordinary stack: a walk that recursed per element would overflow it.
  constexpr std::size_t kLength = 1'000'000;
  CellRef list("K");
  CellRef broken("Z");
  for (std::size_t i = 0; i < kLength; ++i) {
    CellRef bit(i % 3 == 0 ? "H" : "K");
    list = nest3(CellRef("J"), bit, std::move(list));
    broken = nest3(CellRef("J"), bit, std::move(broken));
  }
  EXPECT_EQ(valueKind(list), 'o');
  std::optional<Bits> bits = toBits(list);
  ASSERT_TRUE(bits.has_value());
  EXPECT_EQ(bits->size(), kLength / 8 + 1);
  EXPECT_EQ(static_cast<unsigned char>(bits->back()), 1u);  // the end marker alone on top
  EXPECT_EQ(static_cast<unsigned char>((*bits)[0]), 0xB6u);  // H K K H K K H K
  EXPECT_TRUE(isNonNegative(list));  // the second element, K
  EXPECT_FALSE(isInteger(list));
  EXPECT_EQ(valueKind(broken), 'w');
  EXPECT_FALSE(toBits(broken).has_value());
  EXPECT_FALSE(isInteger(broken));
}

TEST(Integer, SignMagnitudeAndShapes) {
  struct Case {
    CellRef value;
    bool integer;
    bool nonNegative;
    const char* magnitude;
  };
  const Case cases[] = {
      {CellRef("0"), true, true, "0"},
      {CellRef("05"), true, false, "5"},
      {CellRef("5"), true, true, "5"},
      {CellRef("K"), true, true, "K"},
      {CellRef("00"), false, true, "00"},
      {CellRef("005"), false, true, "005"},
      {CellRef("000"), false, false, "001"},     // -1 in kind 'o'; bit 1 set gives +1
      {CellRef("0005"), false, false, "0011"},   // 0 0 1 101 becomes 0 1 1 101
      {bitList("KHK"), true, false, "3"},
      {bitList("KKKH"), true, true, "5"},
      {bitList("HHKH"), false, false, "005"},
      {bitList("K", CellRef("005")), true, false, "11"},  // bit 1 is the kind flag of "005"
      {bitList("K", CellRef("5")), true, true, "11"},
      {CellRef("1x"), false, true, "1x"},
      {CellRef("[5]"), false, true, "[5]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(integerText(c.value).value_or(std::string(atomBytes(c.value))));
    EXPECT_EQ(isInteger(c.value), c.integer);
    EXPECT_EQ(isNonNegative(c.value), c.nonNegative);
    EXPECT_EQ(isNatural(c.value), c.integer && c.nonNegative);
    EXPECT_EQ(atomBytes(magnitude(c.value)), c.magnitude);
  }
}

TEST(IntegerDeath, RequireIntegerOfANameIsAnAssertion) {
  requireInteger(CellRef("12"));
  requireInteger(bitList("KK"));
  EXPECT_DEATH(requireInteger(CellRef("plus")), "ASSERTION FAILED:b:");
  EXPECT_DEATH(requireInteger(CellRef("005")), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::cells
