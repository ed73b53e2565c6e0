// Natural numbers in binary, as 64-bit words: the form into which the bit strings of integers
// convert. Only what the decimal conversions need: sums and products, the products by Karatsuba
// once both factors are long, so that a conversion split in halves costs about as much as a few
// multiplications.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn::cells {

// Least significant word first, without zero words on top; the empty vector is zero.
using Words = std::vector<std::uint64_t>;

// Drops zero words from the top.
void trimWords(Words& n);

// a * b.
Words multiplyWords(const Words& a, const Words& b);

// a += b.
void addWords(Words& a, const Words& b);

// n shifted down by `bits` bits (the low bits dropped).
Words shiftedRight(const Words& n, std::size_t bits);

// Number of zero bits below the lowest set bit; n must not be zero.
std::size_t lowZeroBits(const Words& n);

// a * factor + addend, for one-word factor and addend.
void multiplyAddWord(Words& a, std::uint64_t factor, std::uint64_t addend);

}  // namespace vorn::cells
