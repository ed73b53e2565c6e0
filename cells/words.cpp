// Sums and products of binary naturals: schoolbook products on 128-bit partial products, and
// Karatsuba's three half-size products once both factors are long.
#include "cells/words.h"

#include <algorithm>
#include <bit>

#include "cells/span_product.h"
#include "support/assert.h"

namespace vorn::cells {

namespace {

using Word = std::uint64_t;
using Wide = unsigned __int128;

// Below this many words in the shorter factor the schoolbook product is the faster.
constexpr std::size_t kKaratsubaWords = 24;

std::size_t trimmedLength(const Word* a, std::size_t n) {
  while (n != 0 && a[n - 1] == 0) --n;
  return n;
}

// r[0..na) = a + b with na >= nb; returns the carry out of the top word. r may alias a.
Word addSpans(Word* r, const Word* a, std::size_t na, const Word* b, std::size_t nb) {
  Word carry = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    Word s = a[i] + carry;
    Word carried = s < carry ? 1 : 0;
    Word t = s + b[i];
    r[i] = t;
    carry = carried + (t < s ? 1 : 0);
  }
  for (; i < na; ++i) {
    Word s = a[i] + carry;
    carry = s < carry ? 1 : 0;
    r[i] = s;
  }
  return carry;
}

// a[0..na) += b[0..nb); the sum must fit in na words.
void addInto(Word* a, std::size_t na, const Word* b, std::size_t nb) {
  nb = trimmedLength(b, nb);
  CORE_ASSERT(nb <= na);
  Word carry = addSpans(a, a, nb, b, nb);
  for (std::size_t i = nb; carry != 0; ++i) {
    CORE_ASSERT(i < na);
    a[i] += 1;
    carry = a[i] == 0 ? 1 : 0;
  }
}

// a[0..na) -= b[0..nb); requires a >= b.
void subtractFrom(Word* a, std::size_t na, const Word* b, std::size_t nb) {
  nb = trimmedLength(b, nb);
  CORE_ASSERT(nb <= na);
  Word borrow = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    Word d = a[i] - b[i];
    Word borrowed = d > a[i] ? 1 : 0;
    Word e = d - borrow;
    borrow = borrowed + (e > d ? 1 : 0);
    a[i] = e;
  }
  for (; borrow != 0 && i < na; ++i) {
    borrow = a[i] == 0 ? 1 : 0;
    a[i] -= 1;
  }
  CORE_ASSERT(borrow == 0);
}

// r[0..na+nb) = a * b, quadratically. A partial product plus two words never passes 2^128 - 1.
void multiplySchoolbook(Word* r, const Word* a, std::size_t na, const Word* b, std::size_t nb) {
  std::fill(r, r + na + nb, 0);
  for (std::size_t j = 0; j < nb; ++j) {
    Word bj = b[j];
    if (bj == 0) continue;
    Word* row = r + j;
    Word carry = 0;
    for (std::size_t i = 0; i < na; ++i) {
      Wide t = static_cast<Wide>(a[i]) * bj + row[i] + carry;
      row[i] = static_cast<Word>(t);
      carry = static_cast<Word>(t >> 64);
    }
    row[na] = carry;
  }
}

// The binary base for the shared product code.
struct BinaryWords {
  using Digit = Word;
  static constexpr std::size_t kKaratsubaDigits = kKaratsubaWords;
  static constexpr auto schoolbook = multiplySchoolbook;
  static constexpr auto addSpans = vorn::cells::addSpans;
  static constexpr auto addInto = vorn::cells::addInto;
  static constexpr auto subtractFrom = vorn::cells::subtractFrom;
};

// r[0..na+nb) = a * b, every word of r written; r must not overlap a or b.
void multiplySpans(Word* r, const Word* a, std::size_t na, const Word* b, std::size_t nb) {
  SpanProduct<BinaryWords>::multiply(r, a, na, b, nb);
}

}  // namespace

void trimWords(Words& n) {
  while (!n.empty() && n.back() == 0) n.pop_back();
}

Words multiplyWords(const Words& a, const Words& b) {
  if (a.empty() || b.empty()) return {};
  Words r(a.size() + b.size());
  multiplySpans(r.data(), a.data(), a.size(), b.data(), b.size());
  trimWords(r);
  return r;
}

void addWords(Words& a, const Words& b) {
  if (a.size() < b.size()) a.resize(b.size(), 0);
  a.push_back(0);
  addInto(a.data(), a.size(), b.data(), b.size());
  trimWords(a);
}

Words shiftedRight(const Words& n, std::size_t bits) {
  std::size_t skip = bits / 64;
  unsigned shift = bits % 64;
  if (skip >= n.size()) return {};
  Words r(n.begin() + static_cast<std::ptrdiff_t>(skip), n.end());
  if (shift != 0) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      r[i] >>= shift;
      if (i + 1 < r.size()) r[i] |= r[i + 1] << (64 - shift);
    }
  }
  trimWords(r);
  return r;
}

std::size_t lowZeroBits(const Words& n) {
  for (std::size_t i = 0; i < n.size(); ++i) {
    if (n[i] != 0) return 64 * i + static_cast<std::size_t>(std::countr_zero(n[i]));
  }
  CORE_ASSERT(false);
  return 0;
}

void multiplyAddWord(Words& a, std::uint64_t factor, std::uint64_t addend) {
  Word carry = addend;
  for (Word& w : a) {
    Wide t = static_cast<Wide>(w) * factor + carry;
    w = static_cast<Word>(t);
    carry = static_cast<Word>(t >> 64);
  }
  if (carry != 0) a.push_back(carry);
  trimWords(a);
}

}  // namespace vorn::cells
