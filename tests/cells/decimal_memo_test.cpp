// The memo of long decimal texts: found by their bytes only, never for a different text, the
// oldest entry replaced first, and reading and writing integer Atoms through it gives the same
// values as reading the digits.
#include "cells/decimal_memo.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/decimal_reference.h"

namespace vorn::cells {
namespace {

// The value of the digits; reading them may leave them in the memo.
BigInt parsed(const std::string& digits) { return BigInt::fromDigits(digits, false).value(); }

class DecimalMemo : public ::testing::Test {
 protected:
  void SetUp() override { forgetDecimals(); }
  void TearDown() override { forgetDecimals(); }
  std::mt19937_64 rng_{31};
};

TEST_F(DecimalMemo, FoundByItsBytesOnly) {
  std::string a = reference::randomDigits(rng_, 500);
  BigInt value = parsed(a);
  forgetDecimals();
  EXPECT_EQ(recallDecimal(a), nullptr);
  rememberDecimal(a, value);
  const BigInt* found = recallDecimal(a);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, value);
  // The same digits elsewhere in memory are the same number.
  std::string copy = a;
  EXPECT_NE(recallDecimal(copy), nullptr);
  // A text of the same length that differs anywhere is not.
  for (std::size_t at : {0u, 1u, 250u, 498u, 499u}) {
    std::string other = a;
    other[at] = other[at] == '9' ? '8' : static_cast<char>(other[at] + 1);
    EXPECT_EQ(recallDecimal(other), nullptr) << at;
    EXPECT_EQ(BigInt::fromDigits(other, false).value().digits(), other) << at;
  }
  EXPECT_EQ(recallDecimal(a.substr(0, 499)), nullptr);
}

TEST_F(DecimalMemo, ShortAndOverlongTextsAreNotKept) {
  std::string shortText = reference::randomDigits(rng_, kMemoMinDigits - 1);
  rememberDecimal(shortText, parsed(shortText));
  EXPECT_EQ(recallDecimal(shortText), nullptr);
  std::string shortest = reference::randomDigits(rng_, kMemoMinDigits);
  BigInt shortestValue = parsed(shortest);
  forgetDecimals();
  rememberDecimal(shortest, shortestValue);
  EXPECT_NE(recallDecimal(shortest), nullptr);
  std::string overlong(kMemoMaxDigits + 1, '7');
  rememberDecimal(overlong, BigInt(7));  // would be wrong if kept, and must not be
  EXPECT_EQ(recallDecimal(overlong), nullptr);
}

TEST_F(DecimalMemo, TheOldestEntryGoesFirst) {
  std::vector<std::string> texts;
  std::vector<BigInt> values;
  for (int i = 0; i < 6; ++i) {
    texts.push_back(reference::randomDigits(rng_, 100 + static_cast<std::size_t>(i)));
    values.push_back(parsed(texts.back()));
  }
  forgetDecimals();
  for (int i = 0; i < 4; ++i) rememberDecimal(texts[i], values[i]);
  for (int i = 0; i < 4; ++i) EXPECT_NE(recallDecimal(texts[i]), nullptr) << i;
  rememberDecimal(texts[4], values[4]);
  EXPECT_EQ(recallDecimal(texts[0]), nullptr);
  for (int i = 1; i < 5; ++i) EXPECT_NE(recallDecimal(texts[i]), nullptr) << i;
  rememberDecimal(texts[1], values[1]);  // already there: nothing is replaced
  EXPECT_NE(recallDecimal(texts[1]), nullptr);
  rememberDecimal(texts[5], values[5]);
  EXPECT_EQ(recallDecimal(texts[1]), nullptr);
  for (int i = 2; i < 6; ++i) EXPECT_NE(recallDecimal(texts[i]), nullptr) << i;
}

// Writing an integer Atom remembers its value; reading it back, with either sign, gives the
// value whether it comes from the memo or from the digits.
TEST_F(DecimalMemo, IntegerAtomsRoundTripThroughTheMemo) {
  for (std::size_t length : {63u, 64u, 65u, 1000u, 20000u}) {
    SCOPED_TRACE(length);
    std::string digits = reference::randomDigits(rng_, length);
    BigInt value = parsed(digits);
    for (bool negative : {false, true}) {
      forgetDecimals();
      BigInt signedValue = negative ? value.negated() : value;
      CellRef atom = makeIntegerAtom(signedValue);
      std::string bytes(atomBytes(atom));
      EXPECT_EQ(bytes, negative ? "0" + digits : digits);
      EXPECT_EQ(recallDecimal(digits) != nullptr, length >= kMemoMinDigits);
      std::string_view magnitude = std::string_view(bytes).substr(negative ? 1 : 0);
      EXPECT_EQ(BigInt::fromDigits(magnitude, negative), signedValue);  // from the memo
      forgetDecimals();
      EXPECT_EQ(BigInt::fromDigits(magnitude, negative), signedValue);  // from the digits
      EXPECT_EQ(BigInt::fromDigits("000" + std::string(magnitude), negative), signedValue);
    }
  }
}

}  // namespace
}  // namespace vorn::cells
