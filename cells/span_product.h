// Products of long naturals held as little-endian digit spans, in whatever base a caller counts:
// the schoolbook product while the shorter factor is short, pieces of the shorter factor's length
// when one factor is much the longer, and Karatsuba's three half-size products otherwise. The
// base supplies its digit type, where Karatsuba starts to pay, and its carrying span operations.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace vorn::cells {

// Base provides:
//   using Digit;                                   the unsigned type of one digit
//   static constexpr std::size_t kKaratsubaDigits; the shorter factor's length where it starts
//   schoolbook(r, a, na, b, nb)                    r[0..na+nb) = a * b for any lengths
//   addSpans(r, a, na, b, nb) -> Digit             r[0..na) = a + b (na >= nb), the carry out
//   addInto(a, na, b, nb)                          a += b, the carry run through a
//   subtractFrom(a, na, b, nb)                     a -= b, known not to go below zero
template <typename Base>
class SpanProduct {
 public:
  using Digit = typename Base::Digit;

  // r[0..na+nb) = a * b, every digit of r written; r must not overlap a or b.
  static void multiply(Digit* r, const Digit* a, std::size_t na, const Digit* b, std::size_t nb) {
    std::size_t total = na + nb;
    na = trimmed(a, na);
    nb = trimmed(b, nb);
    if (na < nb) {
      std::swap(a, b);
      std::swap(na, nb);
    }
    if (nb == 0) {
      std::fill(r, r + total, 0);
      return;
    }
    std::fill(r + na + nb, r + total, 0);
    if (nb < Base::kKaratsubaDigits) {
      Base::schoolbook(r, a, na, b, nb);
    } else if (nb <= (na + 1) / 2) {
      unbalanced(r, a, na, b, nb);
    } else {
      karatsuba(r, a, na, b, nb);
    }
  }

 private:
  using Digits = std::vector<Digit>;

  static std::size_t trimmed(const Digit* a, std::size_t n) {
    while (n != 0 && a[n - 1] == 0) --n;
    return n;
  }

  // na much longer than nb: a is cut into pieces of nb digits, each multiplied by b as a
  // balanced product.
  static void unbalanced(Digit* r, const Digit* a, std::size_t na, const Digit* b, std::size_t nb) {
    std::fill(r, r + na + nb, 0);
    Digits piece(2 * nb);
    for (std::size_t at = 0; at < na; at += nb) {
      std::size_t len = std::min(nb, na - at);
      multiply(piece.data(), a + at, len, b, nb);
      Base::addInto(r + at, na + nb - at, piece.data(), len + nb);
    }
  }

  // With a = a1 D^m + a0 and b = b1 D^m + b0, the middle term a0 b1 + a1 b0 is
  // (a0 + a1)(b0 + b1) - a0 b0 - a1 b1: three half-size products instead of four.
  static void karatsuba(Digit* r, const Digit* a, std::size_t na, const Digit* b, std::size_t nb) {
    std::size_t m = (na + 1) / 2;
    const Digit *a0 = a, *a1 = a + m, *b0 = b, *b1 = b + m;
    std::size_t na1 = na - m, nb1 = nb - m;
    multiply(r, a0, m, b0, m);              // a0 b0 into r[0..2m)
    multiply(r + 2 * m, a1, na1, b1, nb1);  // a1 b1 into r[2m..na+nb)
    Digits sa(m + 1), sb(m + 1);
    sa[m] = Base::addSpans(sa.data(), a0, m, a1, na1);
    sb[m] = Base::addSpans(sb.data(), b0, m, b1, nb1);
    Digits middle(2 * m + 2);
    multiply(middle.data(), sa.data(), m + 1, sb.data(), m + 1);
    Base::subtractFrom(middle.data(), middle.size(), r, 2 * m);
    Base::subtractFrom(middle.data(), middle.size(), r + 2 * m, na1 + nb1);
    Base::addInto(r + m, na + nb - m, middle.data(), middle.size());
  }
};

}  // namespace vorn::cells
