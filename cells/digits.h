// Runs of decimal digits, read and written a machine word at a time. Integer Atoms are decimal
// text, so every number a builtin reads or makes passes through here: eight digits are tested and
// read with a few word operations, and digits are written two per step from a table or eight at
// once, never with one division per digit.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VORN_DIGITS_SSE2 1
#endif

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

// Reads the nine bytes at p as a number below 10^9; false (and `out` of no use) when one of
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

#if VORN_DIGITS_SSE2
namespace digits_detail {

// The 16-bit lanes h, h, h, h, l, l, l, l (h, l < 10^4) as the eight digits of h and then of l,
// one per lane. Lane j of a half x = 4 h is divided by 4000, 400, 40 and 4 to give its leading
// one, two, three and four digits: a multiplication keeping the high 16 bits by a reciprocal
// scaled by 2^(16 + s), then one by 2^(16 - s) as a shift by s. Each reciprocal is rounded up and
// errs by less than 0.003 for x < 40000, too little to carry any quotient past its floor. Each
// lane less ten times its left neighbour is then one digit.
inline __m128i digitLanes(__m128i halves) {
  constexpr auto lane = [](int n) { return static_cast<short>(n); };  // 16-bit lanes, read unsigned
  const __m128i reciprocals = _mm_setr_epi16(lane(33555), lane(41944), lane(52429), lane(32768), lane(33555),
                                             lane(41944), lane(52429), lane(32768));
  const __m128i shifts = _mm_setr_epi16(lane(1 << 5), lane(1 << 8), lane(1 << 11), lane(32768), lane(1 << 5),
                                        lane(1 << 8), lane(1 << 11), lane(32768));
  __m128i x = _mm_slli_epi16(halves, 2);
  __m128i leading = _mm_mulhi_epu16(_mm_mulhi_epu16(x, reciprocals), shifts);
  __m128i tens = _mm_slli_epi64(_mm_mullo_epi16(leading, _mm_set1_epi16(10)), 16);
  return _mm_sub_epi16(leading, tens);
}

}  // namespace digits_detail
#endif

// Writes v < 10^8 as exactly eight digits, from its halves h = v / 10^4 and l = v mod 10^4.
// With SSE2 (every x86-64 processor) the eight digits come out of eight lanes at once; without it
// the halves go in two 32-bit lanes of a word, each is split into two pairs in 16-bit lanes and
// each pair into two digits in bytes, every split by a multiplication with a reciprocal that is
// exact below 10^4 and 10^2.
inline void writeEightDigits(char* out, std::uint32_t v) {
#if VORN_DIGITS_SSE2
  std::uint32_t high = v / 10000, low = v - high * 10000;
  __m128i x = _mm_cvtsi32_si128(static_cast<int>(high | (low << 16)));  // lanes: h, l, 0, ...
  x = _mm_unpacklo_epi16(x, x);                                          // h, h, l, l, ...
  x = _mm_unpacklo_epi32(x, x);                                          // h four times, l four times
  __m128i digits = digits_detail::digitLanes(x);
  __m128i bytes = _mm_add_epi8(_mm_packus_epi16(digits, digits), _mm_set1_epi8('0'));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
#else
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
#endif
}

// Writes v < 10^9 as exactly nine digits.
inline void writeNineDigits(char* out, std::uint32_t v) {
  std::uint32_t top = v / 100000000;
  out[0] = static_cast<char>('0' + top);
  writeEightDigits(out + 1, v - top * 100000000);
}

// Writes high and low (each below 10^9) as exactly eighteen digits, high's first. With SSE2 both
// are split at once: the leading digit and the two halves of four digits of each come from
// 32 x 32-bit products by reciprocals in two lanes (exact for every 32-bit value), and all sixteen
// other digits from two registers of lanes.
inline void writeEighteenDigits(char* out, std::uint32_t high, std::uint32_t low) {
#if VORN_DIGITS_SSE2
  __m128i v = _mm_set_epi32(0, static_cast<int>(high), 0, static_cast<int>(low));  // 64-bit lanes
  __m128i tops = _mm_srli_epi64(_mm_mul_epu32(v, _mm_set1_epi32(0x55E63B89)), 57);  // v / 10^8
  __m128i rest = _mm_sub_epi32(v, _mm_mul_epu32(tops, _mm_set1_epi32(100000000)));
  __m128i halves = _mm_srli_epi64(_mm_mul_epu32(rest, _mm_set1_epi32(static_cast<int>(0xD1B71759u))), 45);
  __m128i lows = _mm_sub_epi32(rest, _mm_mul_epu32(halves, _mm_set1_epi32(10000)));
  // 16-bit lanes: h and l of low, two zero lanes, h and l of high, two zero lanes.
  __m128i pairs = _mm_or_si128(halves, _mm_slli_epi64(lows, 16));
  __m128i lowLanes = _mm_shufflelo_epi16(pairs, 0x50);  // h, h, l, l in the low four lanes
  lowLanes = _mm_unpacklo_epi32(lowLanes, lowLanes);
  __m128i highLanes = _mm_shufflehi_epi16(pairs, 0x50);  // h, h, l, l in the high four lanes
  highLanes = _mm_unpackhi_epi32(highLanes, highLanes);
  __m128i digits = _mm_packus_epi16(digits_detail::digitLanes(highLanes), digits_detail::digitLanes(lowLanes));
  digits = _mm_add_epi8(digits, _mm_set1_epi8('0'));
  out[0] = static_cast<char>('0' + _mm_extract_epi16(tops, 4));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 1), digits);
  out[9] = static_cast<char>('0' + _mm_cvtsi128_si32(tops));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 10), _mm_srli_si128(digits, 8));
#else
  writeNineDigits(out, high);
  writeNineDigits(out + 9, low);
#endif
}

}  // namespace vorn::cells
