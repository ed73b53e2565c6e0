// Exact signed integers of any size, kept as little-endian limbs of nine decimal digits each, so
// that the decimal texts of integer Atoms convert in and out in linear time. Values of up to six
// limbs (54 digits) keep their limbs inline: small arithmetic touches no heap. Large products use
// Karatsuba and large quotients a recursive division, so neither grows quadratically; conversion
// to and from binary words splits long numbers in halves, so it does not grow quadratically
// either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells/cell.h"
#include "cells/words.h"

namespace vorn::cells {

// The magnitude's limbs, with room for a few of them inside the object itself.
class LimbBuffer {
 public:
  using Limb = std::uint32_t;

  LimbBuffer() = default;
  LimbBuffer(const LimbBuffer& other);
  LimbBuffer(LimbBuffer&& other) noexcept;
  LimbBuffer& operator=(const LimbBuffer& other);
  LimbBuffer& operator=(LimbBuffer&& other) noexcept;
  ~LimbBuffer();

  Limb* data() { return data_; }
  const Limb* data() const { return data_; }
  std::size_t size() const { return size_; }
  Limb operator[](std::size_t i) const { return data_[i]; }
  Limb& operator[](std::size_t i) { return data_[i]; }
  // New limbs are zero.
  void resize(std::size_t n);
  // New limbs are left unwritten: for a caller that writes every one of them next.
  void resizeForOverwrite(std::size_t n);
  // Drops high zero limbs.
  void trim();

 private:
  static constexpr std::size_t kInline = 6;
  void reserve(std::size_t n);
  bool isInline() const { return data_ == inline_; }

  Limb* data_ = inline_;
  std::size_t size_ = 0;
  std::size_t capacity_ = kInline;
  Limb inline_[kInline] = {};
};

class BigInt {
 public:
  using Limb = std::uint32_t;
  static constexpr Limb kBase = 1000000000;
  static constexpr int kLimbDigits = 9;

  BigInt() = default;  // zero
  explicit BigInt(std::int64_t value);
  static BigInt fromUnsigned(std::uint64_t value);
  static BigInt fromWide(unsigned __int128 value);
  // The number whose magnitude has these decimal digits (leading zeros allowed, at least one
  // digit); nothing when a byte is not a digit.
  static std::optional<BigInt> fromDigits(std::string_view digits, bool negative);
  // The non-negative number of binary words.
  static BigInt fromWords(const Words& words);
  // The magnitude as binary words.
  Words toWords() const;

  bool isZero() const { return limbs_.size() == 0; }
  bool isNegative() const { return negative_; }
  int sign() const { return negative_ ? -1 : (isZero() ? 0 : 1); }
  bool isOdd() const { return !isZero() && (limbs_[0] & 1) != 0; }
  // The lowest limb of the magnitude (0 for zero): the value modulo 10^9.
  Limb lowestLimb() const { return isZero() ? 0 : limbs_[0]; }
  // The value when it fits in a signed 64-bit integer.
  std::optional<std::int64_t> toInt64() const;

  // The magnitude's digits without leading zeros ("0" for zero), appended to `out`.
  void appendDigits(std::string& out) const;
  std::string digits() const;
  // Writes exactly digitCount() digits at `out`.
  void writeDigits(char* out) const;
  // Number of decimal digits of the magnitude (1 for zero).
  std::size_t digitCount() const;
  // log10 of the magnitude, to about nine significant digits (0 for zero).
  double decimalLog() const;

  BigInt negated() const;
  BigInt abs() const;

  friend BigInt operator+(const BigInt& a, const BigInt& b);
  friend BigInt operator-(const BigInt& a, const BigInt& b);
  friend BigInt operator*(const BigInt& a, const BigInt& b);
  friend bool operator==(const BigInt& a, const BigInt& b) { return compare(a, b) == 0; }

  // -1, 0 or 1 as a is less than, equal to or greater than b.
  static int compare(const BigInt& a, const BigInt& b);
  static int compareMagnitudes(const BigInt& a, const BigInt& b);

  // Truncating division of the magnitudes: |a| = q |b| + r with 0 <= r < |b|; q and r are
  // non-negative. The divisor must not be zero.
  static void divideMagnitudes(const BigInt& a, const BigInt& b, BigInt& quotient, BigInt& remainder);
  // Divides the magnitude in place by a divisor 1..kBase-1; returns the remainder.
  Limb divideBySmall(Limb divisor);

  // base to the power exponent (1 for exponent 0).
  static BigInt power(const BigInt& base, std::uint64_t exponent);

 private:
  void normalise();
  // fromWords of n words: halves joined by a product with 2^(64 m), where twos[k] holds the
  // power for the k-th split size, made on first use.
  static BigInt fromWordSpan(const std::uint64_t* words, std::size_t n, std::vector<BigInt>& twos);

  LimbBuffer limbs_;
  bool negative_ = false;
};

// The integer Atom of a value: "0", the digits, or "0" before the digits of a negative value.
// The digits are written straight into the new Atom.
CellRef makeIntegerAtom(const BigInt& value);

}  // namespace vorn::cells
