// Runs of decimal digits, read and written a machine word at a time. Integer Atoms are decimal
// text, so every number a builtin reads or makes passes through here: eight digits are tested and
// read with a few word operations, and digits are written two per step from a table or eight at
// once, never with one division per digit.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vorn::cells {

namespace digits_detail {

// "00" "01" ... "99": the two digits of every value below 100.
inline constexpr char kPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline constexpr std::uint64_t kPowersOfTen[20] = {1ULL,
                                                   10ULL,
                                                   100ULL,
                                                   1000ULL,
                                                   10000ULL,
                                                   100000ULL,
                                                   1000000ULL,
                                                   10000000ULL,
                                                   100000000ULL,
                                                   1000000000ULL,
                                                   10000000000ULL,
                                                   100000000000ULL,
                                                   1000000000000ULL,
                                                   10000000000000ULL,
                                                   100000000000000ULL,
                                                   1000000000000000ULL,
                                                   10000000000000000ULL,
                                                   100000000000000000ULL,
                                                   1000000000000000000ULL,
                                                   10000000000000000000ULL};

// The word tricks below read the first digit from the lowest byte of a loaded word.
inline constexpr bool kLittleEndian = std::endian::native == std::endian::little;

inline std::uint64_t loadWord(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// True when each of the eight bytes of w is a digit: a byte 0x30..0x39 has high nibble 3, and
// adding 6 leaves that nibble 3 only for those ten bytes.
inline bool isEightDigits(std::uint64_t w) {
  return ((w & 0xF0F0F0F0F0F0F0F0ULL) | (((w + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4)) ==
         0x3333333333333333ULL;
}

// The value of eight digit bytes loaded as a little-endian word: neighbours are combined into
// pairs, the pairs into fours and the fours into eight with one multiplication each.
inline std::uint32_t eightDigitsValue(std::uint64_t w) {
  w = ((w & 0x0F0F0F0F0F0F0F0FULL) * 2561) >> 8;
  w = ((w & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
  return static_cast<std::uint32_t>(((w & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32);
}

}  // namespace digits_detail

inline bool isDigitChar(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// True when all n bytes at p are decimal digits.
inline bool allDigits(const char* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    if (!digits_detail::isEightDigits(digits_detail::loadWord(p + i))) return false;
  }
  for (; i < n; ++i) {
    if (!isDigitChar(p[i])) return false;
  }
  return true;
}

// The value of the n <= 19 digits at p, which must all be digits.
inline std::uint64_t digitsValue(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  std::size_t i = 0;
  if constexpr (digits_detail::kLittleEndian) {
    for (; i + 8 <= n; i += 8) v = v * 100000000 + digits_detail::eightDigitsValue(digits_detail::loadWord(p + i));
  }
  for (; i < n; ++i) v = v * 10 + static_cast<unsigned>(p[i] - '0');
  return v;
}

// Reads the nine bytes at p as a number below 10^9; false (and `out` unspecified) when one of
// them is not a digit. Tests and reads in one pass.
inline bool readNineDigits(const char* p, std::uint32_t& out) {
  if (!isDigitChar(p[0])) return false;
  if constexpr (digits_detail::kLittleEndian) {
    std::uint64_t w = digits_detail::loadWord(p + 1);
    if (!digits_detail::isEightDigits(w)) return false;
    out = static_cast<std::uint32_t>(p[0] - '0') * 100000000u + digits_detail::eightDigitsValue(w);
    return true;
  } else {
    if (!allDigits(p + 1, 8)) return false;
    out = static_cast<std::uint32_t>(digitsValue(p, 9));
    return true;
  }
}

// Number of decimal digits of v (1 for zero).
inline std::size_t decimalLength(std::uint64_t v) {
  v |= 1;  // zero has one digit, like one; odd or even never changes the count
  // bit_width * log10(2) is the digit count or one less; one comparison decides.
  std::size_t guess = (static_cast<std::size_t>(std::bit_width(v)) * 1233) >> 12;
  return guess + (v >= digits_detail::kPowersOfTen[guess] ? 1 : 0);
}

// Writes v as exactly `length` digits ending at out + length, zero-padded on the left when v has
// fewer digits; v must be below 10^length. Two digits per step.
inline void writeDigitsPadded(char* out, std::size_t length, std::uint64_t v) {
  char* p = out + length;
  while (v >= 100) {
    std::uint64_t pair = v % 100;
    v /= 100;
    p -= 2;
    std::memcpy(p, digits_detail::kPairs + 2 * pair, 2);
  }
  if (v >= 10) {
    p -= 2;
    std::memcpy(p, digits_detail::kPairs + 2 * v, 2);
  } else {
    *--p = static_cast<char>('0' + v);
  }
  while (p > out) *--p = '0';
}

// Writes the decimalLength(v) digits of v at out; returns the end.
inline char* writeDecimal(char* out, std::uint64_t v) {
  std::size_t n = decimalLength(v);
  writeDigitsPadded(out, n, v);
  return out + n;
}

// Writes v < 10^8 as exactly eight digits. Word-wise: the two halves of four digits go in two
// 32-bit lanes, each is split into two pairs in 16-bit lanes, and each pair into two digits in
// bytes, every split by a multiplication with a reciprocal that is exact below 10^4 and 10^2.
inline void writeEightDigits(char* out, std::uint32_t v) {
  if constexpr (digits_detail::kLittleEndian) {
    std::uint64_t x = (v / 10000) | (static_cast<std::uint64_t>(v % 10000) << 32);
    std::uint64_t hundreds = ((x * 10486) >> 20) & 0x0000007F0000007FULL;
    x = ((x - hundreds * 100) << 16) | hundreds;
    std::uint64_t tens = ((x * 103) >> 10) & 0x000F000F000F000FULL;
    x = ((x - tens * 10) << 8) | tens;
    x |= 0x3030303030303030ULL;
    std::memcpy(out, &x, 8);
  } else {
    writeDigitsPadded(out, 8, v);
  }
}

// Writes v < 10^9 as exactly nine digits.
inline void writeNineDigits(char* out, std::uint32_t v) {
  std::uint32_t top = v / 100000000;
  out[0] = static_cast<char>('0' + top);
  writeEightDigits(out + 1, v - top * 100000000);
}

}  // namespace vorn::cells
