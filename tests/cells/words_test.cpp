// Binary naturals: products against a plain schoolbook product written here, on random words and
// on words of all ones (every partial product and carry at its largest), across the sizes where
// the product changes method; shifts and low zero bits.
#include "cells/words.h"

#include <gtest/gtest.h>

#include <random>

namespace vorn::cells {
namespace {

using Wide = unsigned __int128;

Words plainProduct(const Words& a, const Words& b) {
  Words r(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < b.size(); ++j) {
      Wide t = static_cast<Wide>(a[i]) * b[j] + r[i + j] + carry;
      r[i + j] = static_cast<std::uint64_t>(t);
      carry = static_cast<std::uint64_t>(t >> 64);
    }
    r[i + b.size()] = carry;
  }
  trimWords(r);
  return r;
}

// n words: random, all ones, or sparse (mostly zero words, which the products skip).
Words someWords(std::mt19937_64& rng, std::size_t n, int style) {
  Words w(n);
  for (std::uint64_t& x : w) {
    if (style == 0) x = rng();
    if (style == 1) x = ~std::uint64_t{0};
    if (style == 2) x = rng() % 5 == 0 ? rng() : 0;
  }
  if (n != 0 && w.back() == 0) w.back() = 1;
  return w;
}

TEST(Words, ProductsAgreeWithThePlainProduct) {
  std::mt19937_64 rng(8);
  const std::size_t sizes[] = {0, 1, 2, 23, 24, 25, 47, 48, 49, 100, 257, 700, 1500};
  for (std::size_t na : sizes) {
    for (std::size_t nb : sizes) {
      for (int style = 0; style < 3; ++style) {
        if (na * nb > 600000 && style != 0) continue;  // keep the plain product quick
        SCOPED_TRACE(::testing::Message() << na << " x " << nb << " style " << style);
        Words a = someWords(rng, na, style), b = someWords(rng, nb, (style + 1) % 3);
        ASSERT_EQ(multiplyWords(a, b), plainProduct(a, b));
      }
    }
  }
}

TEST(Words, SquaresOfAllOnesAreExact) {
  // (2^(64n) - 1)^2 = 2^(128n) - 2^(64n+1) + 1: one, then n-1 zero words, then fe, then all ones.
  for (std::size_t n : {1u, 24u, 25u, 100u, 1000u, 5000u}) {
    SCOPED_TRACE(n);
    Words ones(n, ~std::uint64_t{0});
    Words square = multiplyWords(ones, ones);
    ASSERT_EQ(square.size(), 2 * n);
    EXPECT_EQ(square[0], 1u);
    for (std::size_t i = 1; i < n; ++i) ASSERT_EQ(square[i], 0u) << i;
    EXPECT_EQ(square[n], ~std::uint64_t{1});
    for (std::size_t i = n + 1; i < 2 * n; ++i) ASSERT_EQ(square[i], ~std::uint64_t{0}) << i;
  }
}

TEST(Words, SumsCarryThroughEveryWord) {
  Words a(50, ~std::uint64_t{0});
  addWords(a, Words{1});
  ASSERT_EQ(a.size(), 51u);
  EXPECT_EQ(a.back(), 1u);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(a[i], 0u);
  Words b;
  addWords(b, Words{});
  EXPECT_TRUE(b.empty());
  Words c{5};
  addWords(c, Words{0, 0, 7});
  EXPECT_EQ(c, (Words{5, 0, 7}));

  Words d(3, ~std::uint64_t{0});
  // (2^192 - 1)(2^64 - 1) + 2^64 - 1 = 2^256 - 2^192: every carry taken up to the top word.
  multiplyAddWord(d, ~std::uint64_t{0}, ~std::uint64_t{0});
  EXPECT_EQ(d, (Words{0, 0, 0, ~std::uint64_t{0}}));
  Words e;
  multiplyAddWord(e, 10, 0);
  EXPECT_TRUE(e.empty());
  multiplyAddWord(e, 10, 3);
  EXPECT_EQ(e, Words{3});
}

TEST(Words, ShiftsAndLowZeroBits) {
  Words n{0, 0, 0x10, 0xFF};  // bit 132 is the lowest set bit
  EXPECT_EQ(lowZeroBits(n), 132u);
  EXPECT_EQ(shiftedRight(n, 132), (Words{0xF000000000000001ULL, 0xF}));
  EXPECT_EQ(shiftedRight(n, 128), (Words{0x10, 0xFF}));
  EXPECT_EQ(shiftedRight(n, 136), (Words{0xFF00000000000000ULL}));
  EXPECT_EQ(shiftedRight(n, 64 * 4), Words{});
  EXPECT_EQ(shiftedRight(n, 0), n);
  EXPECT_EQ(lowZeroBits(Words{1}), 0u);
  EXPECT_EQ(lowZeroBits(Words{0, 1ULL << 63}), 127u);
}

}  // namespace
}  // namespace vorn::cells
