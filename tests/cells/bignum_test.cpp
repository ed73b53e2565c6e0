// Exact integer arithmetic: conversions, the four operations against a slow digit-by-digit
// reference and __int128, and operands far past the Karatsuba and recursive-division sizes
// checked through identities.
#include "cells/bignum.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cells/words.h"
#include "tests/support/decimal_reference.h"

namespace vorn::cells {
namespace {

using reference::join;
using reference::randomDigits;

std::string refAdd(const std::string& a, const std::string& b) { return reference::addMagnitudes(a, b); }
std::string refSub(const std::string& a, const std::string& b) { return reference::subtractMagnitudes(a, b); }
std::string refMul(const std::string& a, const std::string& b) { return reference::multiplyMagnitudes(a, b); }
int refCompare(const std::string& a, const std::string& b) { return reference::compareMagnitudes(a, b); }
std::pair<std::string, std::string> refDivMod(const std::string& a, const std::string& b) {
  return reference::divideMagnitudes(a, b);
}

// ---- Helpers --------------------------------------------------------------------------------

BigInt big(const std::string& signedText) {
  bool negative = !signedText.empty() && signedText[0] == '-';
  auto value = BigInt::fromDigits(negative ? signedText.substr(1) : signedText, negative);
  EXPECT_TRUE(value.has_value()) << signedText;
  return value.value_or(BigInt());
}

std::string text(const BigInt& v) { return join(v.isNegative() ? "-" : "", v.digits()); }

std::string to128Text(__int128 v) {
  if (v == 0) return "0";
  bool negative = v < 0;
  unsigned __int128 m = negative ? -static_cast<unsigned __int128>(v) : static_cast<unsigned __int128>(v);
  std::string s;
  while (m != 0) {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  }
  return join(negative ? "-" : "", s);
}

// ---- Conversions ----------------------------------------------------------------------------

TEST(BigInt, DigitsRoundTripAndRejectNonDigits) {
  struct Case {
    const char* digits;
    bool negative;
    const char* expected;  // nullptr: rejected
  } cases[] = {
      {"0", false, "0"},
      {"0", true, "0"},  // no negative zero
      {"000", false, "0"},
      {"007", true, "-7"},
      {"999999999", false, "999999999"},
      {"1000000000", false, "1000000000"},
      {"123456789012345678901234567890", true, "-123456789012345678901234567890"},
      {"", false, nullptr},
      {"12a", false, nullptr},
      {"1 2", false, nullptr},
      {"-1", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    auto v = BigInt::fromDigits(c.digits, c.negative);
    if (c.expected == nullptr) {
      EXPECT_FALSE(v.has_value());
    } else {
      ASSERT_TRUE(v.has_value());
      EXPECT_EQ(text(*v), c.expected);
    }
  }
  EXPECT_FALSE(BigInt::fromDigits(std::string_view("1\0" "2", 3), false).has_value());
}

TEST(BigInt, Int64Bounds) {
  const std::int64_t values[] = {0, 1, -1, 999999999, 1000000000, INT64_MAX, INT64_MIN, INT64_MIN + 1};
  for (std::int64_t v : values) {
    SCOPED_TRACE(v);
    BigInt b(v);
    EXPECT_EQ(text(b), to128Text(v));
    ASSERT_TRUE(b.toInt64().has_value());
    EXPECT_EQ(*b.toInt64(), v);
  }
  EXPECT_FALSE(big("9223372036854775808").toInt64().has_value());
  EXPECT_FALSE(big("-9223372036854775809").toInt64().has_value());
  EXPECT_EQ(text(BigInt::fromUnsigned(UINT64_MAX)), "18446744073709551615");
}

TEST(BigInt, IntegerAtomsCarryTheSignAsALeadingZero) {
  EXPECT_EQ(atomBytes(makeIntegerAtom(BigInt())), "0");
  EXPECT_EQ(atomBytes(makeIntegerAtom(big("-42"))), "042");
  EXPECT_EQ(atomBytes(makeIntegerAtom(big("42"))), "42");
  std::string longDigits(100, '7');
  EXPECT_EQ(atomBytes(makeIntegerAtom(big(join("-", longDigits)))), join("0", longDigits));
  std::string sixtyFour(64, '3');
  EXPECT_EQ(atomBytes(makeIntegerAtom(big(join("-", sixtyFour)))), join("0", sixtyFour));
}

// ---- Small values against __int128 ----------------------------------------------------------

TEST(BigInt, SmallOperationsAgreeWithInt128) {
  std::mt19937_64 rng(7);
  for (int round = 0; round < 20000; ++round) {
    auto pick = [&rng]() -> std::int64_t {
      switch (rng() % 4) {
        case 0: return static_cast<std::int64_t>(rng() % 2000) - 1000;
        case 1: return static_cast<std::int64_t>(rng() % 4000000000ULL) - 2000000000LL;
        default: return static_cast<std::int64_t>(rng());
      }
    };
    std::int64_t x = pick(), y = pick();
    __int128 a = x, b = y;
    BigInt bx(x), by(y);
    ASSERT_EQ(text(bx + by), to128Text(a + b)) << x << " " << y;
    ASSERT_EQ(text(bx - by), to128Text(a - b)) << x << " " << y;
    ASSERT_EQ(text(bx * by), to128Text(a * b)) << x << " " << y;
    ASSERT_EQ(BigInt::compare(bx, by), a < b ? -1 : (a > b ? 1 : 0));
    if (y != 0) {
      BigInt q, r;
      BigInt::divideMagnitudes(bx, by, q, r);
      __int128 ma = a < 0 ? -a : a, mb = b < 0 ? -b : b;
      ASSERT_EQ(text(q), to128Text(ma / mb)) << x << " " << y;
      ASSERT_EQ(text(r), to128Text(ma % mb)) << x << " " << y;
    }
  }
}

// ---- Up to 300 digits against the slow reference --------------------------------------------

TEST(BigInt, RandomOperandsAgreeWithTheDigitReference) {
  std::mt19937_64 rng(2024);
  for (int round = 0; round < 1500; ++round) {
    std::string x = randomDigits(rng, 1 + rng() % 300);
    std::string y = randomDigits(rng, 1 + rng() % 300);
    SCOPED_TRACE(x + " " + y);
    BigInt a = big(x), b = big(y);
    ASSERT_EQ(text(a + b), refAdd(x, y));
    ASSERT_EQ(text(a * b), refMul(x, y));
    int order = refCompare(x, y);
    ASSERT_EQ(BigInt::compare(a, b), order);
    ASSERT_EQ(text(a - b), order >= 0 ? refSub(x, y) : join("-", refSub(y, x)));
    ASSERT_EQ(text(b.negated() + a.negated()), join("-", refAdd(x, y)));
    BigInt q, r;
    BigInt::divideMagnitudes(a, b, q, r);
    auto [rq, rr] = refDivMod(x, y);
    ASSERT_EQ(text(q), rq);
    ASSERT_EQ(text(r), rr);
  }
}

// Sizes past both recursive methods' thresholds, still small enough for the slow reference.
TEST(BigInt, ThousandsOfDigitsAgreeWithTheDigitReference) {
  std::mt19937_64 rng(99);
  for (int round = 0; round < 6; ++round) {
    std::string x = randomDigits(rng, 2500 + rng() % 1500);
    std::string y = randomDigits(rng, 1000 + rng() % 1500);
    BigInt a = big(x), b = big(y);
    ASSERT_EQ(text(a * b), refMul(x, y)) << round;
    BigInt q, r;
    BigInt::divideMagnitudes(a * b + b - BigInt(1), b, q, r);
    ASSERT_EQ(text(q), x);
    ASSERT_EQ(text(r), refSub(y, "1"));
    BigInt::divideMagnitudes(a, b, q, r);
    auto [rq, rr] = refDivMod(x, y);
    ASSERT_EQ(text(q), rq) << round;
    ASSERT_EQ(text(r), rr) << round;
  }
}

// ---- Large operands through identities ------------------------------------------------------

TEST(BigInt, LargeProductsAndQuotientsSatisfyTheIdentities) {
  std::mt19937_64 rng(5);
  const std::size_t sizes[][2] = {{5000, 5000}, {20000, 20000}, {50000, 7000}, {12000, 400}, {30000, 29000}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size[0]);
    BigInt a = big(randomDigits(rng, size[0]));
    BigInt b = big(randomDigits(rng, size[1]));
    BigInt c = big(randomDigits(rng, size[1] / 2 + 1));
    BigInt ab = a * b;
    EXPECT_EQ(ab, b * a);
    EXPECT_EQ(a * (b + c), ab + a * c);
    EXPECT_EQ((a + b) * (a - b), a * a - b * b);
    EXPECT_GE(ab.digitCount(), size[0] + size[1] - 1);

    BigInt q, r;
    BigInt::divideMagnitudes(ab + c, b, q, r);
    if (BigInt::compare(c, b) < 0) {
      EXPECT_EQ(q, a);
      EXPECT_EQ(r, c);
    }
    BigInt::divideMagnitudes(a, c, q, r);
    EXPECT_EQ(q * c + r, a);
    EXPECT_LT(BigInt::compare(r, c), 0);
    EXPECT_FALSE(r.isNegative());
  }
}

// Divisors and dividends of repeated nines make every quotient limb saturate, which is where the
// estimate needs its corrections.
TEST(BigInt, SaturatedQuotientsDivideExactly) {
  for (std::size_t n : {9u, 10u, 200u, 541u, 4000u, 9000u}) {
    SCOPED_TRACE(n);
    BigInt b = big(std::string(n, '9'));
    BigInt power = BigInt::power(BigInt(10), 3 * n);
    BigInt a = b * (power - BigInt(1)) + b - BigInt(1);  // largest dividend with that quotient
    BigInt q, r;
    BigInt::divideMagnitudes(a, b, q, r);
    EXPECT_EQ(q, power - BigInt(1));
    EXPECT_EQ(r, b - BigInt(1));
    BigInt half = big(join("5", std::string(n, '0')));  // top limb just at half the base
    BigInt::divideMagnitudes(a, half, q, r);
    EXPECT_EQ(q * half + r, a);
    EXPECT_LT(BigInt::compare(r, half), 0);
  }
}

// ---- Binary words ---------------------------------------------------------------------------

// Slow conversions for reference: a digit at a time into words, and eighteen digits per pass
// (each a division of the whole number) out of them.
Words referenceWords(const std::string& digits) {
  Words w;
  for (char c : digits) {
    unsigned __int128 carry = static_cast<unsigned>(c - '0');
    for (std::uint64_t& x : w) {
      carry += static_cast<unsigned __int128>(x) * 10;
      x = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    if (carry != 0) w.push_back(static_cast<std::uint64_t>(carry));
  }
  return w;
}

std::string referenceDecimal(Words w) {
  trimWords(w);
  if (w.empty()) return "0";
  constexpr std::uint64_t kPiece = 1000000000000000000ULL;
  std::vector<std::uint64_t> pieces;
  while (!w.empty()) {
    unsigned __int128 rest = 0;
    for (std::size_t i = w.size(); i-- > 0;) {
      unsigned __int128 v = (rest << 64) | w[i];
      w[i] = static_cast<std::uint64_t>(v / kPiece);
      rest = v % kPiece;
    }
    pieces.push_back(static_cast<std::uint64_t>(rest));
    trimWords(w);
  }
  std::string text = std::to_string(pieces.back());
  for (std::size_t i = pieces.size() - 1; i-- > 0;) {
    std::string piece = std::to_string(pieces[i]);
    text += std::string(18 - piece.size(), '0') + piece;
  }
  return text;
}

// Random digits and the numbers just around the powers of ten and of two where the conversions
// split (multiples of 64 limbs of nine digits, of 64 words of 64 bits), against the slow ones.
TEST(BigInt, WordConversionsAgreeWithTheSlowOnesAtEverySplit) {
  std::mt19937_64 rng(41);
  std::vector<std::string> texts = {"0", "1", "999999999", "1000000000", "18446744073709551615",
                                    "18446744073709551616"};
  for (std::size_t length : {9u, 10u, 18u, 19u, 20u, 575u, 576u, 577u, 1151u, 1152u, 1153u, 1232u, 1233u, 1234u,
                             2465u, 2466u, 2467u, 4607u, 4608u, 4609u, 6000u}) {
    texts.push_back(randomDigits(rng, length));
  }
  for (std::size_t limbs : {64u, 128u, 256u, 512u, 1024u}) {
    std::string power = join("1", std::string(9 * limbs, '0'));  // 10^(9 limbs)
    texts.push_back(power);
    texts.push_back(std::string(9 * limbs, '9'));
    texts.push_back(refAdd(power, "1"));
  }
  for (const std::string& digits : texts) {
    SCOPED_TRACE(digits.size());
    Words expected = referenceWords(digits);
    ASSERT_EQ(big(digits).toWords(), expected);
    ASSERT_EQ(text(BigInt::fromWords(expected)), digits);
  }
  for (std::size_t words : {64u, 128u, 256u, 512u}) {
    SCOPED_TRACE(words);
    Words power(words + 1, 0);  // 2^(64 words)
    power.back() = 1;
    Words ones(words, ~std::uint64_t{0});
    Words sparse(words, 0);
    sparse.front() = 1;
    sparse.back() = 1ULL << 63;
    for (const Words& w : {power, ones, sparse}) {
      std::string expected = referenceDecimal(w);
      ASSERT_EQ(text(BigInt::fromWords(w)), expected);
      ASSERT_EQ(big(expected).toWords(), w);
    }
  }
}

// Past 100,000 digits the slow conversions take too long; there the conversions must agree with
// independent products (in the other base) and with powers made by repeated squaring.
TEST(BigInt, WordConversionsOfHugeNumbersAgreeWithProductsAndPowers) {
  std::mt19937_64 rng(43);
  BigInt a = big(randomDigits(rng, 60000)), b = big(randomDigits(rng, 70001));
  Words wa = a.toWords(), wb = b.toWords();
  BigInt product = a * b;
  EXPECT_EQ(product.toWords(), multiplyWords(wa, wb));
  EXPECT_EQ(BigInt::fromWords(multiplyWords(wa, wb)), product);

  for (std::size_t bits : {400000u, 409600u, 524288u}) {
    SCOPED_TRACE(bits);
    BigInt two = BigInt::power(BigInt(2), bits);  // 120,000 to 158,000 digits
    Words power(bits / 64 + 1, 0);
    power.back() = std::uint64_t{1} << (bits % 64);
    EXPECT_EQ(BigInt::fromWords(power), two);
    EXPECT_EQ(two.toWords(), power);
    Words ones = (two - BigInt(1)).toWords();  // 2^bits - 1: every bit set
    ASSERT_EQ(ones.size(), (bits + 63) / 64);
    for (std::size_t i = 0; i + 1 < ones.size(); ++i) ASSERT_EQ(ones[i], ~std::uint64_t{0}) << i;
    EXPECT_EQ(ones.back(), bits % 64 == 0 ? ~std::uint64_t{0} : (std::uint64_t{1} << (bits % 64)) - 1);
  }

  std::string huge = randomDigits(rng, 250000);
  EXPECT_EQ(text(BigInt::fromWords(big(huge).toWords())), huge);
}

TEST(BigInt, Powers) {
  EXPECT_EQ(text(BigInt::power(BigInt(0), 0)), "1");
  EXPECT_EQ(text(BigInt::power(BigInt(-2), 63)), "-9223372036854775808");
  EXPECT_EQ(text(BigInt::power(BigInt(-3), 4)), "81");
  EXPECT_EQ(BigInt::power(BigInt(10), 1000).digitCount(), 1001u);
  EXPECT_EQ(text(BigInt::power(BigInt(2), 200)),
            "1606938044258990275541962092341162602522202993782792835301376");
}

}  // namespace
}  // namespace vorn::cells
