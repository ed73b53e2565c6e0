// Arithmetic and comparison: plus, dash, mult, over, cent, powa, less, gteq, same, diff, cmpr,
// buck and wave.
//
// Every entry looks at the kind letter of each argument ('e' real, 'a' blob, 'u' text, 'i'
// integer, 'o' binary number, 'w' anything else) and picks the operation for that pair of kinds:
//
//  1. A 'w' argument gives Z (so does a malformed bit list or digit Atom, which is kind 'w').
//  2. Two numbers of kinds 'i' and 'o' are computed exactly. A kind 'o' number is the integer of
//     the same sign and magnitude written with its kind bit clear ("00" is 0, "00" then D is D,
//     "000" is -1), so an 'i' argument meeting an 'o' one becomes the 'o' number of the same
//     value and the result is written as kind 'o'. Two 'i' arguments give an 'i' result.
//  3. A real with a number of kind 'i' or 'o': the number goes to the nearest double through its
//     decimal text and strtod, and the result is a real.
//  4. plus joins two blobs into a blob, two texts into a text, and a text with a number into a
//     text (the number written as its canonical integer text or with "%e").
//  5. Integer division rounds toward minus infinity; the remainder is never negative (the
//     magnitudes' remainder r, or |b| - r when the signs differ and r is not zero). An integer
//     zero divisor gives Z. Reals divide as doubles (fmod for the remainder).
//
// Choices this file makes where no rule above applies:
//  - powa of integers: b >= 0 gives the exact a^b (0^0 = 1). b < 0 gives 1 over a^|b| under the
//    same rounding as over: Z for a zero base, 1 for base 1, +-1 for base -1, and otherwise 0, or
//    -1 for a negative base with an odd exponent. A power whose result would have more than 2^26
//    digits (more than an Atom's length field records) gives Z instead of exhausting memory.
//  - Texts and blobs in dash, mult, over, cent and powa, and a blob with anything but a blob in
//    plus, have no meaning: Z.
//  - less and gteq within a kind: kind 'o' numbers by their value; texts by their joined bytes and
//    blobs by their payloads, both as unsigned bytes with a proper prefix first.
//  - buck of a kind 'o' number tests its sign like an integer; buck of a text gives its first
//    byte like a blob (the same three bytes spelled as names), Z for the empty text.
//  - wave of a kind 'o' number negates it (as kind 'o'); wave of a non-empty text drops its first
//    byte, like a blob.
//  - cmpr is the structural order of any two values and never gives Z.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "builtins/convention.h"
#include "cells/bignum.h"
#include "cells/compare.h"
#include "cells/decimal_memo.h"
#include "cells/digits.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "program/tables.h"

namespace vorn::builtins {

namespace {

using cells::BigInt;

// ---- Numbers --------------------------------------------------------------------------------

bool isNumberKind(char kind) { return kind == 'e' || kind == 'i' || kind == 'o'; }

// K or H, made fresh without measuring anything: every comparison makes one.
CellRef truth(bool value) { return cells::makeOneByteAtom(value ? 'K' : 'H'); }

// The value written by a kind 'o' text: "00", z more zeros, then optionally a decimal D. With no
// further zero the number is D (zero when D is absent); otherwise it is negative with magnitude
// 2^(z-1) (1 + 2D), the bit string's magnitude read back from its bits.
std::optional<BigInt> binaryNumberValue(std::string_view text) {
  std::size_t zeros = 0;
  while (2 + zeros < text.size() && text[2 + zeros] == '0') ++zeros;
  std::string_view rest = text.substr(2 + zeros);
  std::optional<BigInt> d = rest.empty() ? BigInt() : BigInt::fromDigits(rest, false);
  if (!d) return std::nullopt;
  if (zeros == 0) return d;
  BigInt odd = *d + *d + BigInt(1);
  return (BigInt::power(BigInt(2), zeros - 1) * odd).negated();
}

// The value of a canonical integer text of kind 'i' ("0", digits, or "0" then digits).
std::optional<BigInt> integerValue(std::string_view text) {
  bool negative = text.size() > 1 && text[0] == '0';
  return BigInt::fromDigits(negative ? text.substr(1) : text, negative);
}

// A number read from a decimal Atom: its value and its kind letter.
struct DecimalOperand {
  BigInt value;
  char kind = 'i';
};

// Reads a decimal Atom's value and kind in one pass over its bytes, which also tests that every
// byte is a digit; false for anything else (a bit list, a digit Atom holding another byte, any
// other value), which the general way then sorts out by its kind letter.
bool readDecimalOperand(Cell* value, DecimalOperand& out) {
  if (!cells::isAtomCell(value) || !cells::isDigitChar(cells::atomData(value)[0])) return false;
  std::string_view text = cells::atomBytesOf(value);
  bool binary = text.size() >= 2 && text[1] == '0' && text[0] == '0';
  out.kind = binary ? 'o' : 'i';
  if (binary) {
    std::optional<BigInt> n = binaryNumberValue(text);
    if (!n) return false;
    out.value = std::move(*n);
    return true;
  }
  // A long integer made or read lately, such as the result of the previous operation, comes
  // from the memo of recent numbers instead of its digits.
  bool remembered = text.size() >= cells::kMemoMinDigits;
  if (const BigInt* known = remembered ? cells::recallInteger(value) : nullptr) {
    bool negative = text[0] == '0';
    out.value = negative ? known->negated() : *known;
    return true;
  }
  std::optional<BigInt> n = integerValue(text);
  if (!n) return false;
  out.value = std::move(*n);
  if (remembered) cells::rememberInteger(CellRef::borrow(value), out.value);
  return true;
}

// The value of an argument of kind 'i' or 'o', in either form.
std::optional<BigInt> numberValue(Cell* value, char kind) {
  std::string listText;
  std::string_view text;
  if (cells::isAtomCell(value)) {
    text = cells::atomBytesOf(value);
  } else {
    std::optional<std::string> canonical = cells::integerText(CellRef::borrow(value));
    if (!canonical) return std::nullopt;
    listText = std::move(*canonical);
    text = listText;
  }
  if (text.empty()) return std::nullopt;
  return kind == 'o' ? binaryNumberValue(text) : integerValue(text);
}

// The kind 'o' text of a negative value, its magnitude 2^z (1 + 2D) read off the binary words.
std::string binaryNumberTextByWords(const BigInt& value) {
  cells::Words magnitude = value.toWords();
  std::size_t lowZeros = cells::lowZeroBits(magnitude);
  std::string text = "00";
  text.append(lowZeros + 1, '0');
  cells::Words rest = cells::shiftedRight(magnitude, lowZeros + 1);
  if (!rest.empty()) BigInt::fromWords(rest).appendDigits(text);
  return text;
}

// The kind 'o' text of a value: the inverse of binaryNumberValue.
std::string binaryNumberText(const BigInt& value) {
  std::string text = "00";
  if (!value.isNegative()) {
    if (!value.isZero()) value.appendDigits(text);
    return text;
  }
  // Strip the magnitude's low zero bits, nine at a time while 2^9 divides the lowest limb (2^9
  // divides the limb base), then one at a time. Each step is a pass over the number, so a long
  // run of zero bits is found in binary instead, with one conversion each way.
  constexpr std::size_t kLongestStrip = 64;
  BigInt rest = value.abs();
  std::size_t lowZeros = 0;
  while (rest.lowestLimb() % 512 == 0) {
    if (lowZeros == 9 * kLongestStrip) return binaryNumberTextByWords(value);
    rest.divideBySmall(512);
    lowZeros += 9;
  }
  while (rest.lowestLimb() % 2 == 0) {
    rest.divideBySmall(2);
    ++lowZeros;
  }
  rest.divideBySmall(2);  // the lowest set bit is implied by the run of zeros
  text.append(lowZeros + 1, '0');
  if (!rest.isZero()) rest.appendDigits(text);
  return text;
}

// The negation of a kind 'i' decimal Atom, by its bytes alone: the leading zero that marks a
// negative number comes off or goes on, and zero stays zero.
CellRef negatedIntegerAtom(std::string_view text) {
  if (text == "0") return cells::makeOneByteAtom('0');
  bool negative = text[0] == '0';
  std::string_view digits = negative ? text.substr(1) : text;
  CellRef atom = cells::makeDigitAtom(digits.size() + (negative ? 0 : 1));
  char* out = cells::atomDataMutable(atom.get());
  if (!negative) *out++ = '0';
  std::memcpy(out, digits.data(), digits.size());
  return atom;
}

CellRef makeNumber(const BigInt& value, char kind) {
  if (kind == 'o') return CellRef(binaryNumberText(value));
  return cells::makeIntegerAtom(value);
}

double toDouble(const BigInt& value) {
  std::string text = value.isNegative() ? "-" : "";
  value.appendDigits(text);
  return std::strtod(text.c_str(), nullptr);
}

// A numeric argument as a double: a real's own value, an integer through strtod.
std::optional<double> doubleValue(Cell* value, char kind) {
  if (kind == 'e') return cells::realValue(value);
  std::optional<BigInt> n = numberValue(value, kind);
  if (!n) return std::nullopt;
  return toDouble(*n);
}

// ---- Texts and blobs ------------------------------------------------------------------------

std::string textOf(Cell* value) { return cells::textBytes(CellRef::borrow(value)); }

// A number written out for joining onto a text.
std::optional<std::string> numberText(Cell* value, char kind) {
  if (kind == 'e') return cells::realText(CellRef::borrow(value));
  return cells::integerText(CellRef::borrow(value));
}

int compareBytes(std::string_view x, std::string_view y) {
  int c = x.compare(y);  // char_traits<char> compares as unsigned bytes
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---- Arithmetic -----------------------------------------------------------------------------

enum class Op { kPlus, kDash, kMult, kOver, kCent, kPowa };

double realOperation(Op op, double x, double y) {
  switch (op) {
    case Op::kPlus: return x + y;
    case Op::kDash: return x - y;
    case Op::kMult: return x * y;
    case Op::kOver: return x / y;
    case Op::kCent: return std::fmod(x, y);
    case Op::kPowa: return std::pow(x, y);
  }
  return 0;
}

constexpr double kLargestPowerDigits = 67108864.0;  // 2^26

std::optional<BigInt> integerPower(const BigInt& base, const BigInt& exponent) {
  bool oddExponent = exponent.isOdd();
  if (exponent.isNegative()) {
    // 1 over base^|exponent|, rounded down.
    if (base.isZero()) return std::nullopt;
    if (BigInt::compareMagnitudes(base, BigInt(1)) == 0) {
      return BigInt(base.isNegative() && oddExponent ? -1 : 1);
    }
    return BigInt(base.isNegative() && oddExponent ? -1 : 0);
  }
  if (base.isZero()) return BigInt(exponent.isZero() ? 1 : 0);
  if (BigInt::compareMagnitudes(base, BigInt(1)) == 0) {
    return BigInt(base.isNegative() && oddExponent ? -1 : 1);
  }
  std::optional<std::int64_t> e = exponent.toInt64();
  if (!e || static_cast<double>(*e) * base.decimalLog() > kLargestPowerDigits) return std::nullopt;
  return BigInt::power(base, static_cast<std::uint64_t>(*e));
}

std::optional<BigInt> integerOperation(Op op, const BigInt& a, const BigInt& b) {
  switch (op) {
    case Op::kPlus: return a + b;
    case Op::kDash: return a - b;
    case Op::kMult: return a * b;
    case Op::kPowa: return integerPower(a, b);
    case Op::kOver:
    case Op::kCent: {
      if (b.isZero()) return std::nullopt;
      BigInt q, r;
      BigInt::divideMagnitudes(a, b, q, r);
      bool signsAgree = a.isNegative() == b.isNegative();
      if (op == Op::kOver) {
        if (signsAgree) return q;
        return r.isZero() ? q.negated() : (q + BigInt(1)).negated();
      }
      if (signsAgree || r.isZero()) return r;
      return b.abs() - r;
    }
  }
  return std::nullopt;
}

CellRef numericOperation(Op op, Cell* a, char ka, Cell* b, char kb) {
  if (ka == 'e' || kb == 'e') {
    std::optional<double> x = doubleValue(a, ka), y = doubleValue(b, kb);
    if (!x || !y) return wrongType();
    return realResult(realOperation(op, *x, *y));
  }
  std::optional<BigInt> x = numberValue(a, ka), y = numberValue(b, kb);
  if (!x || !y) return wrongType();
  std::optional<BigInt> result = integerOperation(op, *x, *y);
  if (!result) return wrongType();
  return makeNumber(*result, ka == 'o' || kb == 'o' ? 'o' : 'i');
}

// The text a followed by the bytes of `tail`. When nobody but this call holds the text Atom a
// (the node, its function part (plus a) and a itself each have this one owner), a is extended
// where it lies instead of copied: a text grown by joining one piece at a time then costs time in
// proportion to its length, not to its square. No one else could see the old text, so nothing
// can tell the difference.
CellRef joinTexts(CellRef node, Cell* a, const std::string& tail) {
  if (cells::isAtomCell(a) && cells::refCount(node.get()) == 1 &&
      cells::refCount(cells::leftOf(node.get())) == 1 && cells::refCount(a) == 1) {
    CellRef text = CellRef::borrow(a);
    CellRef dropped = std::move(node);  // a's only other owner goes with it
    dropped = CellRef();
    return cells::extendText(std::move(text), tail);
  }
  return cells::makeText(textOf(a) + tail);
}

// plus beyond numbers: blobs join, texts join, a text joins the written-out number.
CellRef joinOperation(CellRef node, Cell* a, char ka, Cell* b, char kb) {
  if (ka == 'a' && kb == 'a') {
    std::string payload(cells::blobPayload(a));
    payload.append(cells::blobPayload(b));
    return cells::makeBlob(payload);
  }
  if (ka == 'u' && kb == 'u') return joinTexts(std::move(node), a, textOf(b));
  if (ka == 'u' && isNumberKind(kb)) {
    std::optional<std::string> number = numberText(b, kb);
    if (!number) return wrongType();
    return joinTexts(std::move(node), a, *number);
  }
  if (isNumberKind(ka) && kb == 'u') {
    std::optional<std::string> number = numberText(a, ka);
    if (!number) return wrongType();
    return cells::makeText(*number + textOf(b));
  }
  return wrongType();
}

// ---- Small integers ---------------------------------------------------------------------------
// Most numbers a program handles fit in a machine word. A decimal Atom of at most 18 digits is read
// directly and the result computed on 64-bit integers; anything larger or any overflow goes the
// exact way. The results are the same either way.

bool smallInteger(const Cell* c, std::int64_t& out) { return cells::smallDecimal(c, out); }

std::int64_t magnitudeOf(std::int64_t v) { return v < 0 ? -v : v; }

// The result of op on two small integers, or nothing when it needs the exact way.
std::optional<CellRef> smallArithmetic(Op op, std::int64_t a, std::int64_t b) {
  std::int64_t r;
  bool agree = (a < 0) == (b < 0);
  switch (op) {
    case Op::kPlus:
      if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
      return cells::makeInteger(r);
    case Op::kDash:
      if (__builtin_sub_overflow(a, b, &r)) return std::nullopt;
      return cells::makeInteger(r);
    case Op::kMult:
      if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
      return cells::makeInteger(r);
    case Op::kOver: {
      if (b == 0) return wrongType();
      std::int64_t q = magnitudeOf(a) / magnitudeOf(b);
      if (agree) return cells::makeInteger(q);
      return cells::makeInteger(magnitudeOf(a) % magnitudeOf(b) == 0 ? -q : -(q + 1));
    }
    case Op::kCent: {
      if (b == 0) return wrongType();
      std::int64_t rest = magnitudeOf(a) % magnitudeOf(b);
      if (agree || rest == 0) return cells::makeInteger(rest);
      return cells::makeInteger(magnitudeOf(b) - rest);
    }
    default:
      return std::nullopt;
  }
}

CellRef arithmetic(CellRef node, Op op) {
  Args args(node, 2);
  std::int64_t x, y;
  if (smallInteger(args[0], x) && smallInteger(args[1], y)) {
    if (std::optional<CellRef> small = smallArithmetic(op, x, y)) return std::move(*small);
  }
  // Two decimal Atoms, the usual large case: each is read once, its test included.
  DecimalOperand p, q;
  if (readDecimalOperand(args[0], p) && readDecimalOperand(args[1], q)) {
    std::optional<BigInt> result = integerOperation(op, p.value, q.value);
    if (!result) return wrongType();
    return makeNumber(*result, p.kind == 'o' || q.kind == 'o' ? 'o' : 'i');
  }
  char ka = cells::valueKind(args[0]), kb = cells::valueKind(args[1]);
  if (ka == 'w' || kb == 'w') return wrongType();
  if (isNumberKind(ka) && isNumberKind(kb)) return numericOperation(op, args[0], ka, args[1], kb);
  if (op == Op::kPlus) return joinOperation(std::move(node), args[0], ka, args[1], kb);
  return wrongType();
}

// ---- Comparison -----------------------------------------------------------------------------

// The order of two values of the same kind: -1, 0 or 1, or nothing when they are unordered (a
// NaN) or unreadable.
std::optional<int> orderWithinKind(Cell* a, Cell* b, char kind) {
  switch (kind) {
    case 'e': {
      double x = cells::realValue(a), y = cells::realValue(b);
      if (std::isunordered(x, y)) return std::nullopt;
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 'i':
    case 'o': {
      std::optional<BigInt> x = numberValue(a, kind), y = numberValue(b, kind);
      if (!x || !y) return std::nullopt;
      return BigInt::compare(*x, *y);
    }
    case 'u':
      return compareBytes(textOf(a), textOf(b));
    case 'a':
      return compareBytes(cells::blobPayload(a), cells::blobPayload(b));
    default:
      return std::nullopt;
  }
}

// less (wantLess) and gteq: kinds first, by letter; then the values within their kind.
CellRef ordering(CellRef node, bool wantLess) {
  Args args(node, 2);
  std::int64_t x, y;
  if (smallInteger(args[0], x) && smallInteger(args[1], y)) return truth(wantLess ? x < y : x >= y);
  DecimalOperand p, q;
  if (readDecimalOperand(args[0], p) && readDecimalOperand(args[1], q)) {
    if (p.kind != q.kind) return truth(wantLess ? p.kind < q.kind : p.kind > q.kind);
    int order = BigInt::compare(p.value, q.value);
    return truth(wantLess ? order < 0 : order >= 0);
  }
  char ka = cells::valueKind(args[0]), kb = cells::valueKind(args[1]);
  if (ka == 'w' || kb == 'w') return wrongType();
  if (ka != kb) return truth(wantLess ? ka < kb : ka > kb);
  std::optional<int> order = orderWithinKind(args[0], args[1], ka);
  if (!order) {
    // Unordered reals make both H. An unreadable number cannot occur after the kind test, but
    // would give Z rather than a made-up answer.
    return ka == 'e' ? truth(false) : wrongType();
  }
  return truth(wantLess ? *order < 0 : *order >= 0);
}

// The canonical text of a number: a digit Atom's own bytes (every one is canonical), or the text
// of a bit list's bit string, kept in `held`.
std::optional<std::string_view> canonicalText(Cell* value, std::string& held) {
  if (cells::isAtomCell(value)) return cells::atomBytesOf(value);
  std::optional<std::string> text = cells::integerText(CellRef::borrow(value));
  if (!text) return std::nullopt;
  held = std::move(*text);
  return std::string_view(held);
}

// same: K, H, or nothing for Z.
std::optional<bool> sameValues(Cell* a, Cell* b) {
  if (a == b) return true;
  char ka = cells::valueKind(a), kb = cells::valueKind(b);
  if (ka == 'w' || kb == 'w') return std::nullopt;
  if (ka != kb) return false;
  switch (ka) {
    case 'e':
      return cells::realValue(a) == cells::realValue(b);  // false for a NaN, true for 0.0 and -0.0
    case 'i':
    case 'o': {
      std::string heldX, heldY;
      std::optional<std::string_view> x = canonicalText(a, heldX), y = canonicalText(b, heldY);
      if (!x || !y) return std::nullopt;
      return *x == *y;
    }
    case 'u':
      return textOf(a) == textOf(b);
    default:  // 'a'
      return cells::blobPayload(a) == cells::blobPayload(b);
  }
}

// ---- Sequences ------------------------------------------------------------------------------

// The first byte of a blob or text as a one-byte text; the newline and both brackets, which a
// one-byte text cannot hold as program text, come as the texts of their escape groups: [[p]],
// [[q]] and [[r]].
CellRef firstByteText(char byte) {
  return cells::makeText(cells::escapeGroups(std::string_view(&byte, 1)));
}

}  // namespace

CellRef arithPlus(CellRef node) { return arithmetic(std::move(node), Op::kPlus); }
CellRef arithDash(CellRef node) { return arithmetic(std::move(node), Op::kDash); }
CellRef arithMult(CellRef node) { return arithmetic(std::move(node), Op::kMult); }
CellRef arithOver(CellRef node) { return arithmetic(std::move(node), Op::kOver); }
CellRef arithCent(CellRef node) { return arithmetic(std::move(node), Op::kCent); }
CellRef arithPowa(CellRef node) { return arithmetic(std::move(node), Op::kPowa); }

CellRef arithLess(CellRef node) { return ordering(std::move(node), true); }
CellRef arithGteq(CellRef node) { return ordering(std::move(node), false); }

CellRef arithSame(CellRef node) {
  Args args(node, 2);
  std::optional<bool> same = sameValues(args[0], args[1]);
  return same ? truth(*same) : wrongType();
}

CellRef arithDiff(CellRef node) {
  Args args(node, 2);
  std::optional<bool> same = sameValues(args[0], args[1]);
  return same ? truth(!*same) : wrongType();
}

// Small integers only: the same results the entries give them, without an application node.
namespace {

CellRef quickArithmetic(Op op, Cell* a, Cell* b) {
  std::int64_t x, y;
  if (!smallInteger(a, x) || !smallInteger(b, y)) return CellRef();
  std::optional<CellRef> small = smallArithmetic(op, x, y);
  return small ? std::move(*small) : CellRef();
}

int quickOrder(Cell* a, Cell* b, bool wantLess) {
  std::int64_t x, y;
  if (!smallInteger(a, x) || !smallInteger(b, y)) return -1;
  return (wantLess ? x < y : x >= y) ? 1 : 0;
}

int quickSame(Cell* a, Cell* b) {
  std::int64_t x, y;
  if (!smallInteger(a, x) || !smallInteger(b, y)) return -1;
  return x == y ? 1 : 0;
}

template <int (*Test)(Cell*, Cell*)>
CellRef quickTruthAtom(Cell* a, Cell* b) {
  int t = Test(a, b);
  return t < 0 ? CellRef() : truth(t == 1);
}

int quickLess(Cell* a, Cell* b) { return quickOrder(a, b, true); }
int quickGteq(Cell* a, Cell* b) { return quickOrder(a, b, false); }
int quickDiff(Cell* a, Cell* b) {
  int t = quickSame(a, b);
  return t < 0 ? t : 1 - t;
}

}  // namespace

void addQuickEntries(program::BuiltinTable& table) {
  auto set = [&](const char* name, program::QuickEntry quick, program::QuickTruth test) {
    auto found = table.find(std::string_view(name));
    if (found == table.end()) return;
    found->second.quick = quick;
    found->second.truth = test;
  };
  set("plus", [](Cell* a, Cell* b) { return quickArithmetic(Op::kPlus, a, b); }, nullptr);
  set("dash", [](Cell* a, Cell* b) { return quickArithmetic(Op::kDash, a, b); }, nullptr);
  set("mult", [](Cell* a, Cell* b) { return quickArithmetic(Op::kMult, a, b); }, nullptr);
  set("over", [](Cell* a, Cell* b) { return quickArithmetic(Op::kOver, a, b); }, nullptr);
  set("cent", [](Cell* a, Cell* b) { return quickArithmetic(Op::kCent, a, b); }, nullptr);
  set("less", quickTruthAtom<quickLess>, quickLess);
  set("gteq", quickTruthAtom<quickGteq>, quickGteq);
  set("same", quickTruthAtom<quickSame>, quickSame);
  set("diff", quickTruthAtom<quickDiff>, quickDiff);
}

CellRef arithCmpr(CellRef node) {
  Args args(node, 2);
  return signedResult(cells::compareValues(args[0], args[1]));
}

CellRef arithBuck(CellRef node) {
  Args args(node, 1);
  Cell* value = args[0];
  switch (cells::valueKind(value)) {
    case 'e':
      return truth(!std::signbit(cells::realValue(value)));
    case 'i':
    case 'o':
      return truth(cells::isNonNegative(CellRef::borrow(value)));
    case 'a': {
      std::string_view payload = cells::blobPayload(value);
      return payload.empty() ? wrongType() : firstByteText(payload[0]);
    }
    case 'u': {
      std::string text = textOf(value);
      return text.empty() ? wrongType() : firstByteText(text[0]);
    }
    default:
      return wrongType();
  }
}

CellRef arithWave(CellRef node) {
  Args args(node, 1);
  Cell* value = args[0];
  char kind = cells::valueKind(value);
  switch (kind) {
    case 'e':
      return realResult(-cells::realValue(value));
    case 'i':
      if (cells::isAtomCell(value)) return negatedIntegerAtom(cells::atomBytesOf(value));
      [[fallthrough]];
    case 'o': {
      std::optional<BigInt> n = numberValue(value, kind);
      return n ? makeNumber(n->negated(), kind) : wrongType();
    }
    case 'a': {
      std::string_view payload = cells::blobPayload(value);
      return payload.empty() ? wrongType() : cells::makeBlob(payload.substr(1));
    }
    case 'u': {
      std::string text = textOf(value);
      return text.empty() ? wrongType() : cells::makeText(std::string_view(text).substr(1));
    }
    default:
      return wrongType();
  }
}

}  // namespace vorn::builtins
