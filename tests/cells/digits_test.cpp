// Word-at-a-time digit reading and writing against the plain one-digit-at-a-time way: every byte
// value in every position of the word, every power-of-ten boundary, and random values.
#include "cells/digits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace vorn::cells {
namespace {

std::string plainDecimal(std::uint64_t v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(v));
  return buffer;
}

// The values where the digit count changes, with their neighbours, and the extremes.
std::vector<std::uint64_t> boundaryValues() {
  std::vector<std::uint64_t> values = {0, 1, 9, std::numeric_limits<std::uint64_t>::max(),
                                       std::numeric_limits<std::uint64_t>::max() - 1};
  std::uint64_t power = 1;
  for (int k = 1; k <= 19; ++k) {
    power *= 10;
    values.push_back(power - 1);
    values.push_back(power);
    values.push_back(power + 1);
  }
  for (int bit = 0; bit < 64; ++bit) {
    values.push_back(std::uint64_t{1} << bit);
    values.push_back((std::uint64_t{1} << bit) - 1);
  }
  return values;
}

TEST(Digits, LengthAndWritingAtEveryBoundary) {
  for (std::uint64_t v : boundaryValues()) {
    SCOPED_TRACE(v);
    std::string expected = plainDecimal(v);
    EXPECT_EQ(decimalLength(v), expected.size());
    std::string written(24, '#');
    char* end = writeDecimal(written.data(), v);
    EXPECT_EQ(std::string(written.data(), end), expected);
    EXPECT_EQ(written[expected.size()], '#');  // nothing written past the digits
    EXPECT_EQ(digitsValue(expected.data(), expected.size()), v);
  }
}

TEST(Digits, PaddedEightAndNineDigitWritesAgreeWithPrintf) {
  std::mt19937_64 rng(17);
  std::vector<std::uint32_t> values = {0, 1, 9, 10, 99, 100, 9999, 10000, 99999999, 100000000, 999999999,
                                       123456789, 100000001, 909090909};
  for (int i = 0; i < 200000; ++i) values.push_back(static_cast<std::uint32_t>(rng() % 1000000000));
  for (std::uint32_t v : values) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%09u", v);
    char nine[10] = {};
    writeNineDigits(nine, v);
    ASSERT_EQ(std::string(nine, 9), expected) << v;
    if (v < 100000000) {
      char eight[9] = {};
      writeEightDigits(eight, v);
      ASSERT_EQ(std::string(eight, 8), expected + 1) << v;
    }
    std::string padded(12, '#');
    writeDigitsPadded(padded.data(), 12, v);
    char expected12[16];
    std::snprintf(expected12, sizeof expected12, "%012u", v);
    ASSERT_EQ(padded, expected12) << v;
    std::uint32_t read = 0;
    ASSERT_TRUE(readNineDigits(expected, read));
    ASSERT_EQ(read, v);
  }
  // Two limbs at once, each with the other at its extremes and at random.
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::uint32_t partners[] = {0, 999999999, values[(i * 7919) % values.size()]};
    for (std::uint32_t w : partners) {
      for (auto [high, low] : {std::pair{values[i], w}, std::pair{w, values[i]}}) {
        char expected[24];
        std::snprintf(expected, sizeof expected, "%09u%09u", high, low);
        std::string written(20, '#');
        writeEighteenDigits(written.data(), high, low);
        ASSERT_EQ(written, std::string(expected) + "##") << high << " " << low;
      }
    }
  }
}

// Every byte value at every one of the nine places: only the ten digits are accepted, including
// the bytes just beside them and those whose high nibble is 3, and a carry between bytes never
// hides a bad one.
TEST(Digits, EveryNonDigitByteInEveryPlaceIsRefused) {
  for (int place = 0; place < 9; ++place) {
    for (int byte = 0; byte < 256; ++byte) {
      char text[9];
      std::memcpy(text, "987654321", 9);
      text[place] = static_cast<char>(byte);
      bool digit = byte >= '0' && byte <= '9';
      std::uint32_t read = 0;
      ASSERT_EQ(readNineDigits(text, read), digit) << place << " " << byte;
      ASSERT_EQ(allDigits(text, 9), digit) << place << " " << byte;
      if (digit) {
        std::string expected(text, 9);
        ASSERT_EQ(read, std::stoul(expected));
      }
    }
  }
  // Runs of bytes far from the digits on both sides, so that adding 6 carries between them.
  for (const char* text : {"\xff\xff\xff\xff\xff\xff\xff\xff\xff", "\xfa\x30\x30\x30\x30\x30\x30\x30\x30",
                           "0000000\xfa\xfa", "//////////", "::::::::::", "0123456\x00" "8"}) {
    std::uint32_t read = 0;
    EXPECT_FALSE(readNineDigits(text, read));
    EXPECT_FALSE(allDigits(text, 9));
  }
}

TEST(Digits, AllDigitsOverLongRuns) {
  std::string digits(1000, '7');
  for (std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 999u, 1000u}) {
    EXPECT_TRUE(allDigits(digits.data(), length)) << length;
  }
  for (std::size_t at : {0u, 5u, 7u, 8u, 63u, 500u, 998u, 999u}) {
    std::string bad = digits;
    bad[at] = 'a';
    EXPECT_FALSE(allDigits(bad.data(), bad.size())) << at;
    EXPECT_TRUE(allDigits(bad.data(), at)) << at;  // the bytes before it are still digits
  }
}

TEST(Digits, RandomDigitStringsReadBack) {
  std::mt19937_64 rng(5);
  for (int i = 0; i < 100000; ++i) {
    std::size_t length = 1 + rng() % 19;
    std::string text;
    for (std::size_t k = 0; k < length; ++k) text += static_cast<char>('0' + rng() % 10);
    ASSERT_EQ(digitsValue(text.data(), text.size()), std::stoull(text)) << text;
  }
}

}  // namespace
}  // namespace vorn::cells
