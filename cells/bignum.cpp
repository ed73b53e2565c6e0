// Exact integer arithmetic on base-10^9 limbs: schoolbook and Karatsuba products, short division,
// Knuth's long division and Burnikel-Ziegler recursive division.
#include "cells/bignum.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "cells/decimal_memo.h"
#include "cells/digits.h"
#include "cells/span_product.h"

namespace vorn::cells {

// ---- LimbBuffer -----------------------------------------------------------------------------

LimbBuffer::LimbBuffer(const LimbBuffer& other) {
  resizeForOverwrite(other.size_);
  if (size_ != 0) std::memcpy(data_, other.data_, size_ * sizeof(Limb));
}

LimbBuffer::LimbBuffer(LimbBuffer&& other) noexcept { *this = std::move(other); }

LimbBuffer& LimbBuffer::operator=(const LimbBuffer& other) {
  if (this != &other) {
    resizeForOverwrite(other.size_);
    if (size_ != 0) std::memcpy(data_, other.data_, size_ * sizeof(Limb));
  }
  return *this;
}

LimbBuffer& LimbBuffer::operator=(LimbBuffer&& other) noexcept {
  if (this == &other) return *this;
  if (!isInline()) ::operator delete(data_);
  if (other.isInline()) {
    data_ = inline_;
    capacity_ = kInline;
    std::memcpy(inline_, other.inline_, sizeof(inline_));
  } else {
    data_ = other.data_;
    capacity_ = other.capacity_;
    other.data_ = other.inline_;
    other.capacity_ = kInline;
  }
  size_ = other.size_;
  other.size_ = 0;
  return *this;
}

LimbBuffer::~LimbBuffer() {
  if (!isInline()) ::operator delete(data_);
}

void LimbBuffer::reserve(std::size_t n) {
  if (n <= capacity_) return;
  std::size_t grown = std::max(n, capacity_ * 2);
  auto* fresh = static_cast<Limb*>(::operator new(grown * sizeof(Limb)));
  if (size_ != 0) std::memcpy(fresh, data_, size_ * sizeof(Limb));
  if (!isInline()) ::operator delete(data_);
  data_ = fresh;
  capacity_ = grown;
}

void LimbBuffer::resize(std::size_t n) {
  reserve(n);
  if (n > size_) std::memset(data_ + size_, 0, (n - size_) * sizeof(Limb));
  size_ = n;
}

void LimbBuffer::resizeForOverwrite(std::size_t n) {
  reserve(n);
  size_ = n;
}

void LimbBuffer::trim() {
  while (size_ != 0 && data_[size_ - 1] == 0) --size_;
}

// ---- Limb-span algorithms -------------------------------------------------------------------
//
// Every routine works on little-endian spans (pointer and length). Lengths may include high zero
// limbs unless a routine says otherwise; outputs are written in full.

namespace {

using Limb = BigInt::Limb;
using Limbs = std::vector<Limb>;
constexpr std::uint64_t kBase = BigInt::kBase;

// Below these operand sizes (in limbs) the quadratic methods are faster than the recursive ones.
constexpr std::size_t kKaratsubaThreshold = 64;
constexpr std::size_t kRecursiveDivisionThreshold = 60;

std::size_t trimmedLength(const Limb* a, std::size_t n) {
  while (n != 0 && a[n - 1] == 0) --n;
  return n;
}

int compareSpans(const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  na = trimmedLength(a, na);
  nb = trimmedLength(b, nb);
  if (na != nb) return na < nb ? -1 : 1;
  for (std::size_t i = na; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// r[0..na) = a + b with na >= nb; returns the carry out of the top limb. r may alias a.
Limb addSpans(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  Limb carry = 0;
  for (std::size_t i = 0; i < na; ++i) {
    Limb s = a[i] + carry + (i < nb ? b[i] : 0);
    carry = s >= kBase ? 1 : 0;
    r[i] = carry != 0 ? s - static_cast<Limb>(kBase) : s;
  }
  return carry;
}

// r[0..na) = a - b with na >= nb and a >= b. r may alias a.
void subtractSpans(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  Limb borrow = 0;
  for (std::size_t i = 0; i < na; ++i) {
    std::int64_t d = static_cast<std::int64_t>(a[i]) - (i < nb ? b[i] : 0) - borrow;
    borrow = d < 0 ? 1 : 0;
    r[i] = static_cast<Limb>(d < 0 ? d + static_cast<std::int64_t>(kBase) : d);
  }
  CORE_ASSERT(borrow == 0);
}

// a[0..na) += b[0..nb); the sum must fit in na limbs.
void addInto(Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  nb = trimmedLength(b, nb);
  CORE_ASSERT(nb <= na);
  Limb carry = addSpans(a, a, nb, b, nb);
  for (std::size_t i = nb; carry != 0; ++i) {
    CORE_ASSERT(i < na);
    Limb s = a[i] + 1;
    carry = s == kBase ? 1 : 0;
    a[i] = carry != 0 ? 0 : s;
  }
}

// a[0..na) -= b[0..nb); requires a >= b.
void subtractFrom(Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  nb = trimmedLength(b, nb);
  CORE_ASSERT(nb <= na);
  subtractSpans(a, a, na, b, nb);
}

// r[0..na+nb) = a * b, quadratically. Products of two limbs stay below 10^18, so sixteen of them
// can pile up in a 64-bit column before the carries have to be pushed upward.
void multiplySchoolbook(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
  std::size_t n = na + nb;
  // The columns of the small products that Karatsuba bottoms out in stay on the stack.
  constexpr std::size_t kStackColumns = 256;
  std::uint64_t stackColumns[kStackColumns];
  std::vector<std::uint64_t> heapColumns;
  std::uint64_t* columns = stackColumns;
  if (n > kStackColumns) {
    heapColumns.resize(n);
    columns = heapColumns.data();
  }
  std::fill(columns, columns + n, 0);
  auto pushCarries = [columns, n]() {
    std::uint64_t carry = 0;
    for (std::size_t k = 0; k < n; ++k) {
      std::uint64_t v = columns[k] + carry;
      columns[k] = v % kBase;
      carry = v / kBase;
    }
    CORE_ASSERT(carry == 0);
  };
  for (std::size_t j = 0; j < nb; ++j) {
    std::uint64_t bj = b[j];
    if (bj != 0) {
      std::uint64_t* column = columns + j;
      for (std::size_t i = 0; i < na; ++i) column[i] += bj * a[i];
    }
    if (j % 16 == 15) pushCarries();
  }
  pushCarries();
  for (std::size_t k = 0; k < n; ++k) r[k] = static_cast<Limb>(columns[k]);
}

// The decimal base for the shared product code.
struct DecimalLimbs {
  using Digit = Limb;
  static constexpr std::size_t kKaratsubaDigits = kKaratsubaThreshold;
  static constexpr auto schoolbook = multiplySchoolbook;
  static constexpr auto addSpans = vorn::cells::addSpans;
  static constexpr auto addInto = vorn::cells::addInto;
  static constexpr auto subtractFrom = vorn::cells::subtractFrom;
};

// r[0..na+nb) = a * b, every limb of r written; r must not overlap a or b.
void multiplySpans(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
  SpanProduct<DecimalLimbs>::multiply(r, a, na, b, nb);
}

// a[0..n) *= d in place (d < kBase); returns the limb carried out of the top.
Limb multiplyBySmall(Limb* a, std::size_t n, Limb d) {
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint64_t v = static_cast<std::uint64_t>(a[i]) * d + carry;
    a[i] = static_cast<Limb>(v % kBase);
    carry = v / kBase;
  }
  return static_cast<Limb>(carry);
}

// a[0..n) /= d in place (0 < d < kBase); returns the remainder.
Limb divideBySmallSpan(Limb* a, std::size_t n, Limb d) {
  std::uint64_t rest = 0;
  for (std::size_t i = n; i-- > 0;) {
    std::uint64_t v = rest * kBase + a[i];
    a[i] = static_cast<Limb>(v / d);
    rest = v % d;
  }
  return static_cast<Limb>(rest);
}

// Knuth's long division (algorithm D) of u (nu limbs) by v (nv >= 2 limbs, top limb non-zero,
// nu >= nv). Writes q[0..nu-nv+1) and r[0..nv).
void divideLong(const Limb* u, std::size_t nu, const Limb* v, std::size_t nv, Limb* q, Limb* r) {
  // Scaling both by d brings the divisor's top limb to at least half the base, which keeps each
  // estimated quotient limb at most two above the true one.
  Limb d = static_cast<Limb>(kBase / (static_cast<std::uint64_t>(v[nv - 1]) + 1));
  Limbs un(u, u + nu);
  un.push_back(multiplyBySmall(un.data(), nu, d));
  Limbs vn(v, v + nv);
  Limb spill = multiplyBySmall(vn.data(), nv, d);
  CORE_ASSERT(spill == 0);
  std::uint64_t vTop = vn[nv - 1], vNext = vn[nv - 2];
  for (std::size_t j = nu - nv + 1; j-- > 0;) {
    std::uint64_t numerator = static_cast<std::uint64_t>(un[j + nv]) * kBase + un[j + nv - 1];
    std::uint64_t qhat = numerator / vTop;
    std::uint64_t rhat = numerator % vTop;
    while (qhat >= kBase || qhat * vNext > rhat * kBase + un[j + nv - 2]) {
      --qhat;
      rhat += vTop;
      if (rhat >= kBase) break;
    }
    // un[j..j+nv] -= qhat * vn
    std::uint64_t carry = 0;
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < nv; ++i) {
      std::uint64_t p = qhat * vn[i] + carry;
      carry = p / kBase;
      std::int64_t t = static_cast<std::int64_t>(un[i + j]) - static_cast<std::int64_t>(p % kBase) - borrow;
      borrow = t < 0 ? 1 : 0;
      un[i + j] = static_cast<Limb>(t < 0 ? t + static_cast<std::int64_t>(kBase) : t);
    }
    std::int64_t top = static_cast<std::int64_t>(un[j + nv]) - static_cast<std::int64_t>(carry) - borrow;
    if (top < 0) {
      // qhat was one too large: add the divisor back; the carry out cancels the borrow.
      un[j + nv] = static_cast<Limb>(top + static_cast<std::int64_t>(kBase));
      --qhat;
      Limb c = addSpans(un.data() + j, un.data() + j, nv, vn.data(), nv);
      un[j + nv] = static_cast<Limb>((un[j + nv] + c) % kBase);
    } else {
      un[j + nv] = static_cast<Limb>(top);
    }
    q[j] = static_cast<Limb>(qhat);
  }
  Limb rest = divideBySmallSpan(un.data(), nv, d);
  CORE_ASSERT(rest == 0);
  std::copy(un.begin(), un.begin() + static_cast<std::ptrdiff_t>(nv), r);
}

void divideTwoByOne(const Limb* a, const Limb* b, std::size_t n, Limb* q, Limb* r);

// Burnikel-Ziegler, three halves by two: a has 3h limbs, b = [b1 b0] has 2h limbs with its top
// limb at least half the base, and a < b B^h. Writes q[0..h) and r[0..2h).
void divideThreeByTwo(const Limb* a, const Limb* b, std::size_t h, Limb* q, Limb* r) {
  const Limb* b1 = b + h;
  const Limb* b0 = b;
  const Limb* a1 = a + 2 * h;
  Limbs rest(2 * h + 2, 0);  // r1 B^h + a2, with one limb of headroom
  std::copy(a, a + h, rest.begin());
  if (compareSpans(a1, h, b1, h) < 0) {
    divideTwoByOne(a + h, b1, h, q, rest.data() + h);
  } else {
    // The quotient limb block saturates at B^h - 1; then r1 = [a1 a2] - [b1 0] + b1, and since
    // a < b B^h forces a1 == b1, r1 = a2 + b1.
    std::fill(q, q + h, static_cast<Limb>(kBase - 1));
    rest[2 * h] = addSpans(rest.data() + h, a + h, h, b1, h);
  }
  Limbs product(2 * h);
  multiplySpans(product.data(), q, h, b0, h);
  // At most two corrections: each adds b back and lowers the quotient by one.
  while (compareSpans(rest.data(), rest.size(), product.data(), product.size()) < 0) {
    addInto(rest.data(), rest.size(), b, 2 * h);
    std::size_t i = 0;
    while (q[i] == 0) q[i++] = static_cast<Limb>(kBase - 1);
    --q[i];
  }
  subtractFrom(rest.data(), rest.size(), product.data(), product.size());
  CORE_ASSERT(trimmedLength(rest.data(), rest.size()) <= 2 * h);
  std::copy(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(2 * h), r);
}

// Burnikel-Ziegler, two blocks by one: a has 2n limbs, b has n limbs with its top limb at least
// half the base, and a < b B^n. Writes q[0..n) and r[0..n).
void divideTwoByOne(const Limb* a, const Limb* b, std::size_t n, Limb* q, Limb* r) {
  if (n % 2 != 0 || n <= kRecursiveDivisionThreshold) {
    Limbs quotient(n + 1);
    divideLong(a, 2 * n, b, n, quotient.data(), r);
    CORE_ASSERT(quotient[n] == 0);
    std::copy(quotient.begin(), quotient.begin() + static_cast<std::ptrdiff_t>(n), q);
    return;
  }
  std::size_t h = n / 2;
  Limbs middle(3 * h);
  divideThreeByTwo(a + h, b, h, q + h, middle.data() + h);
  std::copy(a, a + h, middle.begin());
  divideThreeByTwo(middle.data(), b, h, q, r);
}

// Division of u (nu limbs) by v (nv limbs, top limb non-zero, nu >= nv) in blocks: v is scaled so
// its top limb is at least half the base and padded with low zero limbs to a block length that
// halves evenly down to the quadratic size; u is scaled the same way and consumed block by block.
void divideRecursive(const Limb* u, std::size_t nu, const Limb* v, std::size_t nv, Limb* q, Limb* r) {
  std::size_t halvings = 0;
  while (((nv + (std::size_t{1} << halvings) - 1) >> halvings) > kRecursiveDivisionThreshold) ++halvings;
  std::size_t unit = (nv + (std::size_t{1} << halvings) - 1) >> halvings;
  std::size_t n = unit << halvings;
  std::size_t shift = n - nv;
  Limb d = static_cast<Limb>(kBase / (static_cast<std::uint64_t>(v[nv - 1]) + 1));

  Limbs vn(n, 0);
  std::copy(v, v + nv, vn.begin() + static_cast<std::ptrdiff_t>(shift));
  Limb spill = multiplyBySmall(vn.data() + shift, nv, d);
  CORE_ASSERT(spill == 0);

  std::size_t scaled = nu + shift + 1;
  std::size_t blocks = std::max<std::size_t>(2, (scaled + 1 + n - 1) / n);
  Limbs un(blocks * n, 0);
  std::copy(u, u + nu, un.begin() + static_cast<std::ptrdiff_t>(shift));
  un[shift + nu] = multiplyBySmall(un.data() + shift, nu, d);

  Limbs quotient(blocks * n, 0);
  Limbs window(2 * n);
  std::copy(un.begin() + static_cast<std::ptrdiff_t>((blocks - 2) * n), un.end(), window.begin());
  Limbs rest(n);
  for (std::size_t i = blocks - 1; i-- > 0;) {
    divideTwoByOne(window.data(), vn.data(), n, quotient.data() + i * n, rest.data());
    if (i > 0) {
      std::copy(un.begin() + static_cast<std::ptrdiff_t>((i - 1) * n),
                un.begin() + static_cast<std::ptrdiff_t>(i * n), window.begin());
      std::copy(rest.begin(), rest.end(), window.begin() + static_cast<std::ptrdiff_t>(n));
    }
  }
  for (std::size_t i = 0; i < shift; ++i) CORE_ASSERT(rest[i] == 0);
  Limb left = divideBySmallSpan(rest.data() + shift, nv, d);
  CORE_ASSERT(left == 0);
  std::copy(rest.begin() + static_cast<std::ptrdiff_t>(shift), rest.end(), r);
  std::size_t nq = nu - nv + 1;
  for (std::size_t i = nq; i < quotient.size(); ++i) CORE_ASSERT(quotient[i] == 0);
  std::copy(quotient.begin(), quotient.begin() + static_cast<std::ptrdiff_t>(nq), q);
}

// ---- Binary words ---------------------------------------------------------------------------
//
// Short numbers convert word by word, quadratically; long ones are split in halves at a power of
// the other base, each half converted recursively and the two joined by one product in the target
// base: high * 10^(9 m) + low into words, high * 2^(64 m) + low into limbs. The powers are made by
// squaring, once per split size. So a conversion costs a few multiplications of its size.

// Up to these sizes the quadratic conversions are the faster.
constexpr std::size_t kLeafLimbs = 64;
constexpr std::size_t kLeafWords = 64;

// Reads the digits (without leading zeros, at least one) into limbs; false when a byte is not a
// digit. Whole limbs are read nine digits at once, from the end of the text.
bool readDigits(std::string_view text, LimbBuffer& limbs) {
  if (text.empty()) return false;
  std::size_t count = text.size();
  std::size_t full = count / BigInt::kLimbDigits, head = count % BigInt::kLimbDigits;
  limbs.resizeForOverwrite(full + (head != 0 ? 1 : 0));
  const char* at = text.data() + count;
  for (std::size_t limb = 0; limb < full; ++limb) {
    at -= BigInt::kLimbDigits;
    if (!readNineDigits(at, limbs[limb])) return false;
  }
  if (head != 0) {
    if (!allDigits(text.data(), head)) return false;
    limbs[full] = static_cast<Limb>(digitsValue(text.data(), head));
  }
  return true;
}

// Division of a two-word number <high, low> (high < 10^19) by 10^19, without a hardware
// division: 10^19 is above 2^63, so the quotient comes from one multiplication by a precomputed
// reciprocal and at most two corrections (Moeller and Granlund, division by invariant integers).
using Wide = unsigned __int128;
constexpr std::uint64_t kChunk = 10000000000000000000ULL;  // 10^19
constexpr std::size_t kChunkDigits = 19;
constexpr std::uint64_t kChunkReciprocal =
    static_cast<std::uint64_t>(~static_cast<Wide>(0) / kChunk - (static_cast<Wide>(1) << 64));

std::uint64_t divideByChunk(std::uint64_t high, std::uint64_t low, std::uint64_t* rest) {
  Wide q = static_cast<Wide>(kChunkReciprocal) * high + ((static_cast<Wide>(high) << 64) | low);
  std::uint64_t quotient = static_cast<std::uint64_t>(q >> 64) + 1;
  std::uint64_t remainder = low - quotient * kChunk;
  if (remainder > static_cast<std::uint64_t>(q)) {
    --quotient;
    remainder += kChunk;
  }
  if (remainder >= kChunk) {
    ++quotient;
    remainder -= kChunk;
  }
  *rest = remainder;
  return quotient;
}

// The decimal digits of n words, without leading zeros ("0" for zero): each pass over the words
// divides by 10^19 and yields 19 digits.
std::string smallWordsDecimal(const std::uint64_t* words, std::size_t n) {
  Words rest(words, words + n);
  trimWords(rest);
  if (rest.empty()) return "0";
  std::vector<std::uint64_t> chunks;  // base 10^19, least significant first
  chunks.reserve(rest.size() * 64 / 63 + 1);
  while (!rest.empty()) {
    std::uint64_t remainder = 0;
    for (std::size_t i = rest.size(); i-- > 0;) rest[i] = divideByChunk(remainder, rest[i], &remainder);
    chunks.push_back(remainder);
    trimWords(rest);
  }
  std::string text(decimalLength(chunks.back()) + kChunkDigits * (chunks.size() - 1), '\0');
  char* out = writeDecimal(text.data(), chunks.back());
  for (std::size_t i = chunks.size() - 1; i-- > 0; out += kChunkDigits) writeDigitsPadded(out, kChunkDigits, chunks[i]);
  return text;
}

// The number of n limbs as words: two limbs (18 digits) per pass over the words.
Words smallLimbsToWords(const Limb* limbs, std::size_t n) {
  Words words;
  std::size_t i = n;
  if (i % 2 != 0) {
    --i;
    multiplyAddWord(words, kBase, limbs[i]);
  }
  while (i >= 2) {
    i -= 2;
    multiplyAddWord(words, kBase * kBase, static_cast<std::uint64_t>(limbs[i + 1]) * kBase + limbs[i]);
  }
  return words;
}

// The number of n limbs as words; tens[k] holds 10^(9 m) as words for the k-th split size m.
Words limbsToWords(const Limb* limbs, std::size_t n, std::vector<Words>& tens) {
  n = trimmedLength(limbs, n);
  if (n <= kLeafLimbs) return smallLimbsToWords(limbs, n);
  std::size_t k = 0, m = kLeafLimbs;
  while (2 * m < n) {
    m *= 2;
    ++k;
  }
  Words result = limbsToWords(limbs + m, n - m, tens);
  while (tens.size() <= k) {
    if (tens.empty()) {
      Limbs one(kLeafLimbs + 1, 0);  // 10^(9 kLeafLimbs)
      one.back() = 1;
      tens.push_back(smallLimbsToWords(one.data(), one.size()));
    } else {
      tens.push_back(multiplyWords(tens.back(), tens.back()));
    }
  }
  result = multiplyWords(result, tens[k]);
  addWords(result, limbsToWords(limbs, m, tens));
  return result;
}

}  // namespace

// ---- BigInt ---------------------------------------------------------------------------------

namespace {

// The value of at most four limbs (below 10^36) as one 128-bit number.
unsigned __int128 toWide(const LimbBuffer& limbs) {
  CORE_ASSERT(limbs.size() <= 4);
  unsigned __int128 v = 0;
  for (std::size_t i = limbs.size(); i-- > 0;) v = v * kBase + limbs[i];
  return v;
}

}  // namespace

BigInt BigInt::fromWide(unsigned __int128 value) {
  BigInt result;
  while (value != 0) {
    result.limbs_.resize(result.limbs_.size() + 1);
    result.limbs_[result.limbs_.size() - 1] = static_cast<Limb>(value % kBase);
    value /= kBase;
  }
  return result;
}

BigInt::BigInt(std::int64_t value) {
  std::uint64_t magnitudeValue = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  *this = fromUnsigned(magnitudeValue);
  negative_ = value < 0;
}

BigInt BigInt::fromUnsigned(std::uint64_t value) { return fromWide(value); }

std::optional<BigInt> BigInt::fromDigits(std::string_view digits, bool negative) {
  if (digits.empty()) return std::nullopt;
  std::size_t first = 0;
  while (first + 1 < digits.size() && digits[first] == '0') ++first;
  BigInt result;
  if (!readDigits(digits.substr(first), result.limbs_)) return std::nullopt;
  result.normalise();
  result.negative_ = negative && !result.isZero();
  return result;
}

BigInt BigInt::fromWords(const Words& words) {
  std::vector<BigInt> twos;
  return fromWordSpan(words.data(), words.size(), twos);
}

BigInt BigInt::fromWordSpan(const std::uint64_t* words, std::size_t n, std::vector<BigInt>& twos) {
  while (n != 0 && words[n - 1] == 0) --n;
  if (n <= kLeafWords) {
    BigInt result;
    bool digitsOnly = readDigits(smallWordsDecimal(words, n), result.limbs_);
    CORE_ASSERT(digitsOnly);
    result.normalise();
    return result;
  }
  // The low part is m = kLeafWords 2^k words, the largest such below n, so the high part is no
  // longer than the low one.
  std::size_t k = 0, m = kLeafWords;
  while (2 * m < n) {
    m *= 2;
    ++k;
  }
  BigInt low = fromWordSpan(words, m, twos);
  BigInt high = fromWordSpan(words + m, n - m, twos);
  while (twos.size() <= k) {
    twos.push_back(twos.empty() ? power(BigInt(2), 64 * kLeafWords) : twos.back() * twos.back());
  }
  return high * twos[k] + low;
}

Words BigInt::toWords() const {
  std::vector<Words> tens;
  return limbsToWords(limbs_.data(), limbs_.size(), tens);
}

void BigInt::normalise() {
  limbs_.trim();
  if (limbs_.size() == 0) negative_ = false;
}

std::optional<std::int64_t> BigInt::toInt64() const {
  if (limbs_.size() > 3) return std::nullopt;
  unsigned __int128 v = 0;
  for (std::size_t i = limbs_.size(); i-- > 0;) v = v * kBase + limbs_[i];
  unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + (negative_ ? 1 : 0);
  if (v > limit) return std::nullopt;
  auto u = static_cast<std::uint64_t>(v);
  return static_cast<std::int64_t>(negative_ ? 0 - u : u);
}

void BigInt::writeDigits(char* out) const {
  if (isZero()) {
    *out = '0';
    return;
  }
  std::size_t top = limbs_.size() - 1;
  out = writeDecimal(out, limbs_[top]);
  std::size_t i = top;
  for (; i >= 2; i -= 2, out += 2 * kLimbDigits) writeEighteenDigits(out, limbs_[i - 1], limbs_[i - 2]);
  if (i == 1) writeNineDigits(out, limbs_[0]);
}

void BigInt::appendDigits(std::string& out) const {
  std::size_t at = out.size();
  out.resize(at + digitCount());
  writeDigits(out.data() + at);
}

std::string BigInt::digits() const {
  std::string out;
  appendDigits(out);
  return out;
}

std::size_t BigInt::digitCount() const {
  if (isZero()) return 1;
  return (limbs_.size() - 1) * kLimbDigits + decimalLength(limbs_[limbs_.size() - 1]);
}

double BigInt::decimalLog() const {
  std::size_t n = limbs_.size();
  if (n == 0) return 0;
  double top = limbs_[n - 1];
  if (n > 1) top += limbs_[n - 2] / static_cast<double>(kBase);
  return std::log10(top) + static_cast<double>((n - 1) * kLimbDigits);
}

BigInt BigInt::negated() const {
  BigInt result = *this;
  if (!result.isZero()) result.negative_ = !negative_;
  return result;
}

BigInt BigInt::abs() const {
  BigInt result = *this;
  result.negative_ = false;
  return result;
}

int BigInt::compareMagnitudes(const BigInt& a, const BigInt& b) {
  return compareSpans(a.limbs_.data(), a.limbs_.size(), b.limbs_.data(), b.limbs_.size());
}

int BigInt::compare(const BigInt& a, const BigInt& b) {
  if (a.negative_ != b.negative_) return a.negative_ ? -1 : 1;
  int m = compareMagnitudes(a, b);
  return a.negative_ ? -m : m;
}

BigInt operator+(const BigInt& a, const BigInt& b) {
  const BigInt* big = &a;
  const BigInt* small = &b;
  if (a.negative_ == b.negative_) {
    if (big->limbs_.size() < small->limbs_.size()) std::swap(big, small);
    BigInt result;
    std::size_t n = big->limbs_.size();
    result.limbs_.resizeForOverwrite(n + 1);
    result.limbs_[n] = addSpans(result.limbs_.data(), big->limbs_.data(), n, small->limbs_.data(),
                                small->limbs_.size());
    result.negative_ = a.negative_;
    result.normalise();
    return result;
  }
  // Opposite signs: the smaller magnitude comes off the larger, which lends its sign.
  if (BigInt::compareMagnitudes(a, b) < 0) std::swap(big, small);
  BigInt result;
  result.limbs_.resizeForOverwrite(big->limbs_.size());
  subtractSpans(result.limbs_.data(), big->limbs_.data(), big->limbs_.size(), small->limbs_.data(),
                small->limbs_.size());
  result.negative_ = big->negative_;
  result.normalise();
  return result;
}

BigInt operator-(const BigInt& a, const BigInt& b) {
  if (&a == &b) return BigInt();
  return a + b.negated();
}

BigInt operator*(const BigInt& a, const BigInt& b) {
  BigInt result;
  if (a.isZero() || b.isZero()) return result;
  std::size_t na = a.limbs_.size(), nb = b.limbs_.size();
  result.limbs_.resizeForOverwrite(na + nb);  // every path below writes all na + nb limbs
  if (na + nb <= 4) {
    // Products below 10^36 fit one 128-bit multiplication: no scratch memory.
    unsigned __int128 p = toWide(a.limbs_) * toWide(b.limbs_);
    for (std::size_t i = 0; i < na + nb; ++i) {
      result.limbs_[i] = static_cast<Limb>(p % kBase);
      p /= kBase;
    }
  } else if (na == 1 || nb == 1) {
    // One limb times many, in one pass: no scratch memory.
    const BigInt& many = na == 1 ? b : a;
    std::uint64_t factor = na == 1 ? a.limbs_[0] : b.limbs_[0];
    std::size_t n = many.limbs_.size();
    const Limb* from = many.limbs_.data();
    Limb* to = result.limbs_.data();
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
      std::uint64_t v = from[i] * factor + carry;
      carry = v / kBase;
      to[i] = static_cast<Limb>(v - carry * kBase);
    }
    to[n] = static_cast<Limb>(carry);
  } else {
    multiplySpans(result.limbs_.data(), a.limbs_.data(), na, b.limbs_.data(), nb);
  }
  result.negative_ = a.negative_ != b.negative_;
  result.normalise();
  return result;
}

BigInt::Limb BigInt::divideBySmall(Limb divisor) {
  CORE_ASSERT(divisor != 0 && divisor < kBase);
  Limb rest = divideBySmallSpan(limbs_.data(), limbs_.size(), divisor);
  normalise();
  return rest;
}

void BigInt::divideMagnitudes(const BigInt& a, const BigInt& b, BigInt& quotient, BigInt& remainder) {
  CORE_ASSERT(!b.isZero());
  std::size_t na = a.limbs_.size(), nb = b.limbs_.size();
  BigInt q, r;
  if (compareMagnitudes(a, b) < 0) {
    r = a.abs();
  } else if (nb == 1) {
    q = a.abs();
    r = fromUnsigned(q.divideBySmall(b.limbs_[0]));
  } else if (na <= 4) {
    // Below 10^36 both fit 128 bits: one machine division, no scratch memory.
    unsigned __int128 x = toWide(a.limbs_), y = toWide(b.limbs_);
    q = fromWide(x / y);
    r = fromWide(x % y);
  } else {
    q.limbs_.resize(na - nb + 1);
    r.limbs_.resize(nb);
    bool recursive = nb > kRecursiveDivisionThreshold && na - nb > kRecursiveDivisionThreshold;
    (recursive ? divideRecursive : divideLong)(a.limbs_.data(), na, b.limbs_.data(), nb, q.limbs_.data(),
                                                r.limbs_.data());
    q.normalise();
    r.normalise();
  }
  quotient = std::move(q);
  remainder = std::move(r);
}

BigInt BigInt::power(const BigInt& base, std::uint64_t exponent) {
  BigInt result(1);
  BigInt square = base;
  while (exponent != 0) {
    if ((exponent & 1) != 0) result = result * square;
    exponent >>= 1;
    if (exponent != 0) square = square * square;
  }
  return result;
}

CellRef makeIntegerAtom(const BigInt& value) {
  std::size_t sign = value.isNegative() ? 1 : 0;
  std::size_t digits = value.digitCount();
  CellRef atom = makeDigitAtom(digits + sign);
  char* out = atomDataMutable(atom.get());
  if (sign != 0) out[0] = '0';
  value.writeDigits(out + sign);
  // The next builtin to read this Atom finds its value here instead of reading the digits.
  rememberInteger(atom, value);
  return atom;
}

}  // namespace vorn::cells
