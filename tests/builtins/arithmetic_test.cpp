// The arithmetic and comparison builtins, called through the table on hand-built application
// nodes: every kind pairing, the rounding of division, joining, kind 'o' numbers, Z for what has
// no meaning, and random and very large integers checked against a slow reference and identities.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <limits>
#include <random>
#include <string>

#include "builtins/table.h"
#include "cells/allocator.h"
#include "cells/decimal_memo.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "tests/support/decimal_reference.h"

// Every operator new in this test program is counted, so a test can show that a call needs no
// heap memory besides its Cells (which come from malloc through the Cell allocator).
namespace {
long gHeapAllocations = 0;
}

void* operator new(std::size_t bytes) {
  ++gHeapAllocations;
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace vorn::builtins {
namespace {

using cells::makePair;
using reference::join;

// ---- Values and calls -----------------------------------------------------------------------

CellRef I(std::string_view text) { return CellRef(text); }  // integer, kind 'o' number, or name
CellRef R(double v) { return cells::makeReal(v); }
CellRef T(std::string_view bytes) { return cells::makeText(bytes); }
CellRef B(std::string_view payload) { return cells::makeBlob(payload); }
CellRef Z() { return CellRef("Z"); }
CellRef K() { return CellRef("K"); }
CellRef H() { return CellRef("H"); }
// One element of a bit list: J applied to the bit (K for 1, H for 0) and the rest.
CellRef bit(bool one, CellRef rest) { return cells::nest3(CellRef("J"), CellRef(one ? "K" : "H"), std::move(rest)); }
// The list of bits b0 b1 ... ending in K.
CellRef bits(std::initializer_list<bool> list) {
  std::vector<bool> v(list);
  CellRef rest("K");
  for (std::size_t i = v.size(); i-- > 0;) rest = bit(v[i], std::move(rest));
  return rest;
}
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

CellRef call(const char* name, CellRef a, CellRef b) {
  const Builtin& builtin = builtinTable().at(name);
  EXPECT_EQ(builtin.arity, 2);
  return builtin.entry(cells::nest3(CellRef(name), std::move(a), std::move(b)));
}

CellRef call(const char* name, CellRef a) {
  const Builtin& builtin = builtinTable().at(name);
  EXPECT_EQ(builtin.arity, 1);
  return builtin.entry(makePair(CellRef(name), std::move(a)));
}

std::string bytesOf(const CellRef& c) { return std::string(cells::atomBytes(c)); }

// An Atom result equal byte for byte (reals bit for bit).
void expectAtom(const CellRef& actual, const CellRef& expected) {
  ASSERT_FALSE(cells::isPair(actual));
  EXPECT_EQ(bytesOf(actual), bytesOf(expected));
}

struct Binary {
  const char* op;
  CellRef a, b, expected;
};

void runTable(const std::vector<Binary>& cases) {
  for (const Binary& c : cases) {
    SCOPED_TRACE(join(join(c.op, " "), join(bytesOf(c.a), join(" , ", bytesOf(c.b)))));
    expectAtom(call(c.op, c.a, c.b), c.expected);
  }
}

// ---- plus -----------------------------------------------------------------------------------

TEST(Arithmetic, Plus) {
  runTable({
      {"plus", I("2"), I("3"), I("5")},
      {"plus", I("07"), I("3"), I("04")},
      {"plus", I("03"), I("07"), I("010")},
      {"plus", I("05"), I("5"), I("0")},
      {"plus", I("0"), I("0"), I("0")},
      {"plus", I("999999999999999999"), I("1"), I("1000000000000000000")},
      {"plus", I("1234567890123456789012345678901234567890"), I("9876543210987654321098765432109876543210"),
       I("11111111101111111110111111111011111111100")},
      {"plus", I("01000000000000000000000000000000000000000"), I("1"), I("0999999999999999999999999999999999999999")},
      {"plus", bits({true, true, true}), I("1"), I("4")},  // the list of 3
      // A real with an integer: the integer becomes a double.
      {"plus", I("5"), R(5.0), R(10.0)},
      {"plus", R(0.5), I("02"), R(-1.5)},
      {"plus", R(0.5), R(0.25), R(0.75)},
      {"plus", I(join("1", std::string(400, '0'))), R(1.0), R(kInf)},
      // Kind 'o': "00" then D is D, "000" is -1; an integer meeting one becomes kind 'o'.
      {"plus", I("5"), I("003"), I("008")},
      {"plus", I("5"), I("000"), I("004")},
      {"plus", I("1"), I("000"), I("00")},
      {"plus", I("000"), I("000"), I("0000")},
      {"plus", I("003"), R(1.5), R(4.5)},
      {"plus", I("0001"), R(0.5), R(-2.5)},
      // Joining.
      {"plus", T("n="), I("5"), T("n=5")},
      {"plus", I("5"), T("=n"), T("5=n")},
      {"plus", T("x"), I("042"), T("x042")},
      {"plus", T("x"), R(1.5), T("x1.500000e+00")},
      {"plus", R(-2.0), T("x"), T("-2.000000e+00x")},
      {"plus", T("x"), I("003"), T("x003")},
      {"plus", T("x"), bits({true, false, true}), T("x03")},
      {"plus", T("ab"), T("cd"), T("abcd")},
      {"plus", T(""), T(""), T("")},
      {"plus", T(std::string_view("a\0", 2)), T("]"), T(std::string_view("a\0]", 3))},
      {"plus", B("ab"), B("cd"), B("abcd")},
      {"plus", B(std::string(40, 'x')), B(std::string(30, 'y')), B(std::string(40, 'x') + std::string(30, 'y'))},
      {"plus", B(""), B(""), B("")},
      // No meaning.
      {"plus", B("ab"), T("cd"), Z()},
      {"plus", B("ab"), I("1"), Z()},
      {"plus", I("1"), B("ab"), Z()},
      {"plus", I("x"), I("1"), Z()},
      {"plus", I("1"), I("K"), Z()},
      {"plus", T("x"), I("y"), Z()},
      {"plus", makePair(I("a"), I("b")), I("1"), Z()},
      {"plus", I("12a"), I("1"), Z()},
      // Malformed bit lists: a rest that is no list, a bit that is neither K nor H.
      {"plus", bit(true, I("X")), I("1"), Z()},
      {"plus", cells::nest3(I("J"), I("Q"), I("K")), I("1"), Z()},
      {"plus", I("1"), bit(true, bit(false, makePair(I("a"), I("b")))), Z()},
  });
}

TEST(Arithmetic, PlusOfTextPairsMakesOneTextAtom) {
  CellRef pair = makePair(T("ab"), T("cd"));
  CellRef joined = call("plus", pair, T("e"));
  expectAtom(joined, T(join(cells::textBytes(pair), "e")));
}

// ---- dash, mult -----------------------------------------------------------------------------

TEST(Arithmetic, DashAndMult) {
  runTable({
      {"dash", I("3"), I("5"), I("02")},
      {"dash", I("05"), I("05"), I("0")},
      {"dash", I("05"), I("3"), I("08")},
      {"dash", I("0"), I("7"), I("07")},
      {"dash", I("1000000000000000000000"), I("1"), I("999999999999999999999")},
      {"dash", R(1.0), I("2"), R(-1.0)},
      {"dash", I("5"), I("003"), I("002")},
      {"dash", I("3"), I("005"), I("0000")},
      {"dash", I("0"), I("003"), I("0001")},
      {"dash", T("a"), T("a"), Z()},
      {"dash", B("a"), B("a"), Z()},
      {"dash", T("a"), I("1"), Z()},
      {"dash", I("1"), I("x"), Z()},

      {"mult", I("6"), I("7"), I("42")},
      {"mult", I("06"), I("7"), I("042")},
      {"mult", I("06"), I("07"), I("42")},
      {"mult", I("0"), I("05"), I("0")},
      {"mult", I("05"), I("0"), I("0")},
      {"mult", I("123456789123456789"), I("987654321987654321"), I("121932631356500531347203169112635269")},
      {"mult", I("0123456789123456789"), I("987654321987654321"), I("0121932631356500531347203169112635269")},
      {"mult", I("2"), R(0.25), R(0.5)},
      {"mult", I("2"), I("003"), I("006")},
      {"mult", I("2"), I("000"), I("0000")},
      {"mult", T("ab"), I("2"), Z()},
      {"mult", B("ab"), B("ab"), Z()},
      {"mult", I("2"), I("x"), Z()},
  });
}

// ---- over, cent -----------------------------------------------------------------------------

TEST(Arithmetic, DivisionRoundsDownAndTheRemainderIsNeverNegative) {
  runTable({
      {"over", I("7"), I("2"), I("3")},
      {"over", I("07"), I("02"), I("3")},
      {"over", I("07"), I("2"), I("04")},
      {"over", I("7"), I("02"), I("04")},
      {"over", I("06"), I("2"), I("03")},
      {"over", I("6"), I("02"), I("03")},
      {"over", I("1"), I("7"), I("0")},
      {"over", I("01"), I("7"), I("01")},
      {"over", I("0"), I("05"), I("0")},
      {"over", I("7"), I("0"), Z()},
      {"over", I("07"), I("0"), Z()},
      {"over", R(7.0), I("2"), R(3.5)},
      {"over", R(1.0), R(0.0), R(kInf)},
      {"over", I("7"), R(0.0), R(kInf)},
      {"over", I("007"), I("002"), I("003")},
      {"over", I("000"), I("002"), I("000")},
      {"over", I("007"), I("00"), Z()},
      {"over", I("7"), I("00"), Z()},
      {"over", T("a"), T("a"), Z()},

      {"cent", I("7"), I("2"), I("1")},
      {"cent", I("07"), I("2"), I("1")},
      {"cent", I("7"), I("02"), I("1")},
      {"cent", I("07"), I("02"), I("1")},
      {"cent", I("06"), I("4"), I("2")},
      {"cent", I("05"), I("03"), I("2")},
      {"cent", I("06"), I("3"), I("0")},
      {"cent", I("6"), I("03"), I("0")},
      {"cent", I("06"), I("03"), I("0")},
      {"cent", I("7"), I("0"), Z()},
      {"cent", R(7.5), I("2"), R(1.5)},
      {"cent", R(-7.5), R(2.0), R(-1.5)},
      {"cent", I("007"), I("003"), I("001")},
      {"cent", I("000"), I("002"), I("001")},
      {"cent", B("a"), B("a"), Z()},
  });
  EXPECT_TRUE(std::isnan(cells::realValue(call("cent", I("7"), R(0.0)))));
}

// ---- powa -----------------------------------------------------------------------------------

TEST(Arithmetic, Powers) {
  std::string googol = join("1", std::string(100, '0'));
  runTable({
      {"powa", I("2"), I("10"), I("1024")},
      {"powa", I("02"), I("3"), I("08")},
      {"powa", I("02"), I("2"), I("4")},
      {"powa", I("0"), I("0"), I("1")},
      {"powa", I("0"), I("5"), I("0")},
      {"powa", I("5"), I("0"), I("1")},
      {"powa", I("10"), I("100"), I(googol)},
      // A negative exponent is 1 over the power, rounded down like over.
      {"powa", I("2"), I("01"), I("0")},
      {"powa", I("02"), I("01"), I("01")},
      {"powa", I("02"), I("02"), I("0")},
      {"powa", I("1"), I("05"), I("1")},
      {"powa", I("01"), I("03"), I("01")},
      {"powa", I("01"), I("02"), I("1")},
      {"powa", I("0"), I("01"), Z()},
      {"powa", I("02"), I("0100000000000000000000000001"), I("01")},
      {"powa", I("02"), I("0100000000000000000000000000"), I("0")},
      {"powa", I("01"), I("100000000000000000000000001"), I("01")},
      // Results too large to hold.
      {"powa", I("2"), I("1000000000000"), Z()},
      {"powa", I("2"), I("100000000000000000000000000"), Z()},
      {"powa", R(2.0), R(0.5), R(std::pow(2.0, 0.5))},
      {"powa", I("2"), R(0.5), R(std::pow(2.0, 0.5))},
      {"powa", R(2.0), I("03"), R(0.125)},
      {"powa", I("002"), I("003"), I("008")},
      {"powa", I("000"), I("003"), I("000")},
      {"powa", T("a"), I("2"), Z()},
      {"powa", I("2"), B("a"), Z()},
  });
}

// ---- less, gteq, same, diff, cmpr -----------------------------------------------------------

TEST(Comparison, LessAndGteq) {
  std::string nines(50, '9');
  runTable({
      {"less", I("1"), I("2"), K()},
      {"less", I("2"), I("1"), H()},
      {"less", I("05"), I("3"), K()},
      {"less", I("3"), I("05"), H()},
      {"less", I("5"), I("5"), H()},
      {"less", I(join("0", nines)), I(join("0", nines.substr(1))), K()},
      {"less", bits({true, true, true}), I("4"), K()},
      // Different kinds compare by kind letter, whatever the values: a < e < i < o < u.
      {"less", R(1e9), I("1"), K()},
      {"less", I("1"), R(1e9), H()},
      {"less", I("5"), T("a"), K()},
      {"less", T("a"), B("a"), H()},
      {"less", B("z"), R(-1.0), K()},
      {"less", I("5"), I("003"), K()},
      {"less", I("003"), I("5"), H()},
      // Within a kind.
      {"less", R(kNaN), R(1.0), H()},
      {"less", R(1.0), R(kNaN), H()},
      {"less", R(-0.0), R(0.0), H()},
      {"less", T("ab"), T("b"), K()},
      {"less", T("ab"), T("abc"), K()},
      {"less", T("b"), T("ab"), H()},
      {"less", T("a"), T("a"), H()},
      {"less", T("\x80"), T("a"), H()},
      {"less", B("ab"), B("b"), K()},
      {"less", B(std::string(64, 'a')), B("b"), K()},
      {"less", I("000"), I("00"), K()},
      {"less", I("003"), I("005"), K()},
      {"less", I("0001"), I("000"), K()},
      {"less", I("x"), I("1"), Z()},
      {"less", I("1"), I("x"), Z()},
      {"less", bit(true, I("X")), I("1"), Z()},

      {"gteq", I("1"), I("2"), H()},
      {"gteq", I("2"), I("1"), K()},
      {"gteq", I("5"), I("5"), K()},
      {"gteq", R(1e9), I("1"), H()},
      {"gteq", I("1"), R(1e9), K()},
      {"gteq", R(kNaN), R(kNaN), H()},
      {"gteq", R(2.0), R(2.0), K()},
      {"gteq", T("b"), T("ab"), K()},
      {"gteq", I("003"), I("003"), K()},
      {"gteq", I("003"), I("1"), K()},
      {"gteq", I("x"), I("1"), Z()},
  });
}

TEST(Comparison, SameAndDiff) {
  struct Case {
    CellRef a, b;
    const char* same;  // K, H or Z; diff gives the opposite, or Z with it
  } cases[] = {
      {I("5"), I("5"), "K"},
      {I("05"), I("5"), "H"},
      {I("5"), R(5.0), "H"},
      {R(-0.0), R(0.0), "K"},
      {R(kNaN), R(kNaN), "H"},
      {R(kNaN), R(1.0), "H"},
      {bits({true, true, true}), I("3"), "K"},
      {bits({true, true, false, true}), I("5"), "H"},
      {I("3"), I("003"), "H"},
      {I("003"), I("003"), "K"},
      {bits({false, true}), I("001"), "K"},
      {bits({false, true, true}), I("003"), "K"},
      {T("ab"), T("ab"), "K"},
      {T("ab"), T("abc"), "H"},
      {B("x"), B("x"), "K"},
      {B("x"), B("y"), "H"},
      {B("x"), T("x"), "H"},
      {I("x"), I("x"), "Z"},
      {I("x"), I("1"), "Z"},
      {I("1"), makePair(I("a"), I("b")), "Z"},
      {bit(true, I("X")), I("1"), "Z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(join(bytesOf(c.a), join(" , ", bytesOf(c.b))));
    std::string same = bytesOf(call("same", c.a, c.b));
    std::string diff = bytesOf(call("diff", c.a, c.b));
    EXPECT_EQ(same, c.same);
    EXPECT_EQ(diff, std::string(c.same) == "Z" ? "Z" : (std::string(c.same) == "K" ? "H" : "K"));
  }
  // The same Cell twice is equal whatever it is, a NaN or a name.
  for (CellRef v : {R(kNaN), I("x"), makePair(I("a"), I("b"))}) {
    EXPECT_EQ(bytesOf(call("same", v, v)), "K");
    EXPECT_EQ(bytesOf(call("diff", v, v)), "H");
  }
  // A text Pair equals the text Atom of its joined bytes.
  CellRef pair = makePair(T("ab"), T("cd"));
  CellRef flat = cells::flattenText(pair);
  EXPECT_EQ(bytesOf(call("same", pair, flat)), "K");
}

TEST(Comparison, Cmpr) {
  runTable({
      {"cmpr", I("ab"), I("b"), I("1")},
      {"cmpr", I("b"), I("ab"), I("01")},
      {"cmpr", I("ab"), I("abc"), I("1")},
      {"cmpr", I("ab"), makePair(I("a"), I("b")), I("1")},
      {"cmpr", makePair(I("a"), I("b")), I("ab"), I("01")},
      {"cmpr", makePair(I("a"), I("b")), makePair(I("a"), I("b")), I("0")},
      {"cmpr", B("ab"), B("ac"), I("1")},
      {"cmpr", bit(true, I("X")), bit(true, I("Y")), I("1")},
  });
}

// ---- buck, wave -----------------------------------------------------------------------------

TEST(Arithmetic, BuckAndWave) {
  struct Unary {
    const char* op;
    CellRef a, expected;
  } cases[] = {
      {"buck", R(-0.0), H()},
      {"buck", R(0.0), K()},
      {"buck", R(-1.5), H()},
      {"buck", I("0"), K()},
      {"buck", I("05"), H()},
      {"buck", I("5"), K()},
      {"buck", bits({true, false, true}), H()},
      {"buck", bits({true, true, true}), K()},
      {"buck", I("000"), H()},
      {"buck", I("00"), K()},
      {"buck", I("003"), K()},
      {"buck", B("abc"), T("a")},
      {"buck", B("\n"), I("[[p]]")},
      {"buck", B("["), I("[[q]]")},
      {"buck", B("]"), I("[[r]]")},
      {"buck", B(std::string_view("\0x", 2)), T(std::string_view("\0", 1))},
      {"buck", B(""), Z()},
      {"buck", T("xy"), T("x")},
      {"buck", T("\nx"), I("[[p]]")},
      {"buck", T(""), Z()},
      {"buck", I("x"), Z()},
      {"buck", makePair(I("a"), I("b")), Z()},

      {"wave", R(0.0), R(-0.0)},
      {"wave", R(1.5), R(-1.5)},
      {"wave", I("0"), I("0")},
      {"wave", I("5"), I("05")},
      {"wave", I("05"), I("5")},
      {"wave", I("0123456789012345678901234567890"), I("123456789012345678901234567890")},
      {"wave", bits({true, true, true}), I("03")},
      {"wave", I("003"), I("0001")},
      {"wave", I("000"), I("001")},
      {"wave", I("00"), I("00")},
      {"wave", I("0000"), I("002")},
      {"wave", B("abc"), B("bc")},
      {"wave", B("a"), B("")},
      {"wave", B(""), Z()},
      {"wave", T("abc"), T("bc")},
      {"wave", T(""), Z()},
      {"wave", I("x"), Z()},
      {"wave", bit(false, I("x")), Z()},
  };
  for (const Unary& c : cases) {
    SCOPED_TRACE(join(join(c.op, " "), bytesOf(c.a)));
    expectAtom(call(c.op, c.a), c.expected);
  }
}

// ---- Kind 'o' against its bit strings -------------------------------------------------------

// The kind 'o' text of an integer, worked out from the bit strings: the same bits as the
// integer's with the kind bit cleared.
std::string binaryText(const CellRef& integer) {
  cells::Bits b = *cells::toBits(integer);
  b[0] = static_cast<char>(b[0] & ~1);
  return bytesOf(cells::fromBits(b));
}

TEST(Arithmetic, BinaryNumbersAreTheIntegersOfTheirBitStrings) {
  std::vector<std::string> values;
  for (int v = -70; v <= 70; ++v) values.push_back(bytesOf(cells::makeInteger(v)));
  values.push_back("01048576");
  values.push_back(join("0", std::string(30, '8')));
  values.push_back(join("0", join("1", std::string(40, '0'))));
  for (const std::string& v : values) {
    SCOPED_TRACE(v);
    std::string expected = binaryText(I(v));
    // An integer meeting "00" (zero) becomes the kind 'o' number of the same value ...
    CellRef asBinary = call("plus", I(v), I("00"));
    EXPECT_EQ(bytesOf(asBinary), expected);
    // ... which reads back as that value.
    EXPECT_EQ(bytesOf(call("dash", asBinary, I("00"))), expected);
    EXPECT_EQ(bytesOf(call("wave", call("wave", asBinary))), expected);
    EXPECT_EQ(bytesOf(call("same", call("wave", asBinary), I(binaryText(call("wave", I(v)))))), "K");
    EXPECT_EQ(bytesOf(call("buck", asBinary)), bytesOf(call("buck", I(v))));
  }
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    CellRef x = I(binaryText(I(values[i]))), y = I(binaryText(I(values[i + 1])));
    EXPECT_EQ(bytesOf(call("less", x, y)), bytesOf(call("less", I(values[i]), I(values[i + 1]))));
  }
}

// ---- Random integers ------------------------------------------------------------------------

std::string randomSigned(std::mt19937_64& rng, std::size_t maxDigits) {
  std::string magnitude = reference::randomDigits(rng, 1 + rng() % maxDigits);
  if (rng() % 16 == 0) magnitude = "0";
  return rng() % 2 == 0 ? magnitude : reference::negate(magnitude);
}

// Floor division and the never-negative remainder, from the magnitudes, as the rules state them.
std::pair<std::string, std::string> referenceOverCent(const std::string& x, const std::string& y) {
  reference::Signed a = reference::split(x), b = reference::split(y);
  auto [q, r] = reference::divideMagnitudes(a.magnitude, b.magnitude);
  bool agree = a.negative == b.negative || a.magnitude == "0";
  std::string over = agree ? q : reference::negate(r == "0" ? q : reference::addMagnitudes(q, "1"));
  std::string cent = (agree || r == "0") ? r : reference::subtractMagnitudes(b.magnitude, r);
  return {over, cent};
}

std::string lang(const std::string& signedText) { return reference::toLanguage(signedText); }

TEST(Arithmetic, RandomIntegersAgreeWithTheReference) {
  std::mt19937_64 rng(77);
  for (int round = 0; round < 1200; ++round) {
    std::string x = randomSigned(rng, 300), y = randomSigned(rng, 300);
    SCOPED_TRACE(x + " " + y);
    CellRef a = I(lang(x)), b = I(lang(y));
    ASSERT_EQ(bytesOf(call("plus", a, b)), lang(reference::add(x, y)));
    ASSERT_EQ(bytesOf(call("dash", a, b)), lang(reference::subtract(x, y)));
    ASSERT_EQ(bytesOf(call("mult", a, b)), lang(reference::multiply(x, y)));
    int order = reference::compare(x, y);
    ASSERT_EQ(bytesOf(call("less", a, b)), order < 0 ? "K" : "H");
    ASSERT_EQ(bytesOf(call("gteq", a, b)), order >= 0 ? "K" : "H");
    ASSERT_EQ(bytesOf(call("same", a, b)), order == 0 ? "K" : "H");
    if (y == "0") {
      ASSERT_EQ(bytesOf(call("over", a, b)), "Z");
      ASSERT_EQ(bytesOf(call("cent", a, b)), "Z");
      continue;
    }
    auto [over, cent] = referenceOverCent(x, y);
    CellRef q = call("over", a, b), r = call("cent", a, b);
    ASSERT_EQ(bytesOf(q), lang(over));
    ASSERT_EQ(bytesOf(r), lang(cent));
    // q b + r is a for a positive divisor, q b - r for a negative one.
    CellRef back = call(y[0] == '-' ? "dash" : "plus", call("mult", q, b), r);
    ASSERT_EQ(bytesOf(call("same", back, a)), "K");
  }
}

TEST(Arithmetic, SmallIntegersAgreeWithInt128) {
  std::mt19937_64 rng(3);
  auto text = [](__int128 v) {
    std::string s;
    unsigned __int128 m = v < 0 ? -static_cast<unsigned __int128>(v) : static_cast<unsigned __int128>(v);
    do {
      s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
      m /= 10;
    } while (m != 0);
    return v < 0 ? join("0", s) : s;
  };
  for (int round = 0; round < 20000; ++round) {
    auto pick = [&rng]() -> std::int64_t {
      std::int64_t v = static_cast<std::int64_t>(rng());
      return rng() % 2 == 0 ? v % 1000 : v;
    };
    __int128 x = pick(), y = pick();
    CellRef a = I(text(x)), b = I(text(y));
    ASSERT_EQ(bytesOf(call("plus", a, b)), text(x + y));
    ASSERT_EQ(bytesOf(call("dash", a, b)), text(x - y));
    ASSERT_EQ(bytesOf(call("mult", a, b)), text(x * y));
    ASSERT_EQ(bytesOf(call("less", a, b)), x < y ? "K" : "H");
    ASSERT_EQ(bytesOf(call("same", a, b)), x == y ? "K" : "H");
    if (y == 0) continue;
    __int128 floorQ = x / y - ((x % y != 0 && ((x < 0) != (y < 0))) ? 1 : 0);
    __int128 r = (x < 0 ? -x : x) % (y < 0 ? -y : y);
    __int128 cent = ((x < 0) == (y < 0) || r == 0) ? r : (y < 0 ? -y : y) - r;
    ASSERT_EQ(bytesOf(call("over", a, b)), text(floorQ)) << text(x) << " " << text(y);
    ASSERT_EQ(bytesOf(call("cent", a, b)), text(cent)) << text(x) << " " << text(y);
  }
}

// ---- Very large integers --------------------------------------------------------------------

TEST(Arithmetic, VeryLargeIntegersSatisfyTheIdentities) {
  std::mt19937_64 rng(11);
  const std::size_t sizes[][2] = {{5000, 2000}, {30000, 12000}, {50000, 25000}, {40000, 300}};
  for (const auto& size : sizes) {
    for (const char* signs : {"++", "-+", "+-", "--"}) {
      SCOPED_TRACE(join(std::to_string(size[0]), signs));
      std::string x = reference::randomDigits(rng, size[0]), y = reference::randomDigits(rng, size[1]);
      if (signs[0] == '-') x = reference::negate(x);
      if (signs[1] == '-') y = reference::negate(y);
      CellRef a = I(lang(x)), b = I(lang(y));
      CellRef q = call("over", a, b), r = call("cent", a, b);
      EXPECT_EQ(bytesOf(call("buck", r)), "K");
      CellRef absB = signs[1] == '-' ? call("wave", b) : b;
      EXPECT_EQ(bytesOf(call("less", r, absB)), "K");
      CellRef back = call(signs[1] == '-' ? "dash" : "plus", call("mult", q, b), r);
      EXPECT_EQ(bytesOf(call("same", back, a)), "K");
      // (a b) over b is a, with no remainder.
      CellRef product = call("mult", a, b);
      EXPECT_EQ(bytesOf(call("over", product, b)), bytesOf(a));
      EXPECT_EQ(bytesOf(call("cent", product, b)), "0");
      EXPECT_EQ(bytesOf(call("dash", call("plus", product, a), product)), bytesOf(a));
    }
  }
}

// ---- Reading each operand once ----------------------------------------------------------------

// A digit Atom holding any other byte is no number: Z, wherever the byte is and however long the
// Atom, also right after the same digits without the bad byte were read (and remembered).
TEST(Arithmetic, DigitAtomsWithAnotherByteAreNoNumbers) {
  std::mt19937_64 rng(19);
  for (std::size_t length : {3u, 18u, 19u, 40u, 64u, 200u, 5000u}) {
    std::string good = reference::randomDigits(rng, length);
    for (std::size_t at : {std::size_t{1}, length / 2, length - 1}) {
      for (char bad : {'x', '/', ':', ' ', '\xff'}) {
        SCOPED_TRACE(::testing::Message() << length << " " << at << " " << static_cast<int>(bad));
        std::string text = good;
        text[at] = bad;
        ASSERT_EQ(bytesOf(call("plus", I(good), I("1"))), lang(reference::add(good, "1")));
        ASSERT_EQ(bytesOf(call("plus", I(text), I("1"))), "Z");
        ASSERT_EQ(bytesOf(call("mult", I("7"), I(text))), "Z");
        ASSERT_EQ(bytesOf(call("less", I(text), I(good))), "Z");
        ASSERT_EQ(bytesOf(call("gteq", I(good), I(text))), "Z");
        ASSERT_EQ(bytesOf(call("wave", I(text))), "Z");
      }
    }
  }
}

// A number fed back into the next operation, as in a loop, is read from the memo of recent
// results; the results must be those of the digits. A running product with sign changes, checked
// against the digit reference at every step.
TEST(Arithmetic, ResultsFedBackAgreeWithTheReference) {
  CellRef product = I("1");
  std::string expected = "1";
  for (int n = 2; n <= 260; ++n) {
    std::string factor = std::to_string(n);
    if (n % 7 == 0) factor = reference::negate(factor);
    product = call("mult", product, I(lang(factor)));
    expected = reference::multiply(expected, factor);
    ASSERT_EQ(bytesOf(product), lang(expected)) << n;
    if (n % 5 == 0) {
      product = call("wave", product);
      expected = reference::negate(expected);
      ASSERT_EQ(bytesOf(product), lang(expected)) << n;
      CellRef sum = call("plus", product, product);
      ASSERT_EQ(bytesOf(sum), lang(reference::add(expected, expected))) << n;
      ASSERT_EQ(bytesOf(call("dash", sum, product)), lang(expected)) << n;
      ASSERT_EQ(bytesOf(call("same", call("dash", sum, product), product)), "K") << n;
    }
  }
}

// Negative kind 'o' numbers are "00", z + 1 zeros and D for the magnitude 2^z (1 + 2 D). Long runs
// of low zero bits, on both sides of where the run is found in binary instead of by halving.
TEST(Arithmetic, BinaryNumbersWithLongRunsOfLowZeroBits) {
  for (std::size_t z : {0u, 1u, 8u, 9u, 575u, 576u, 577u, 585u, 1000u, 20000u}) {
    for (const char* d : {"", "1", "12345", "98765432109876543210987654321"}) {
      SCOPED_TRACE(::testing::Message() << z << " " << d);
      std::string odd = reference::addMagnitudes(reference::multiplyMagnitudes(*d ? d : "0", "2"), "1");
      // 2^z by the builtins themselves, then times the odd part, negated.
      CellRef power = call("powa", I("2"), I(std::to_string(z)));
      CellRef negative = call("wave", call("mult", power, I(odd)));
      std::string expected = join(join("00", std::string(z + 1, '0')), d);
      CellRef asBinary = call("plus", negative, I("00"));
      ASSERT_EQ(bytesOf(asBinary), expected);
      // Read back, it is the same number.
      ASSERT_EQ(bytesOf(call("dash", asBinary, I("00"))), expected);
      ASSERT_EQ(bytesOf(call("same", call("plus", asBinary, call("wave", negative)), I("00"))), "K");
    }
  }
}

// ---- Ownership ------------------------------------------------------------------------------

TEST(Arithmetic, EntriesConsumeTheirNodeAndLeakNothing) {
  const char* binary[] = {"plus", "dash", "mult", "over", "cent", "powa", "less", "gteq", "same", "diff", "cmpr"};
  cells::forgetIntegers();
  std::int64_t before = cells::liveCellBlocks();
  for (const char* op : binary) {
    for (int pick = 0; pick < 4; ++pick) {
      CellRef a = pick == 0 ? I("0123") : pick == 1 ? R(2.5) : pick == 2 ? T("ab") : bits({true, true, true});
      CellRef b = pick == 0 ? I("45") : pick == 1 ? I("3") : pick == 2 ? I("x") : I("003");
      CellRef result = call(op, std::move(a), std::move(b));
    }
  }
  for (const char* op : {"buck", "wave"}) {
    CellRef result = call(op, B("abc"));
  }
  // The memo of recent long integers holds the last long results by design (powa's here).
  cells::forgetIntegers();
  EXPECT_EQ(cells::liveCellBlocks(), before);
}

TEST(Arithmetic, SmallIntegersNeedNoHeapBeyondTheirCells) {
  struct Case {
    const char* op;
    const char* a;
    const char* b;
  } cases[] = {
      {"plus", "999999999999999999", "1"},
      {"plus", "0123456789012345678", "98765432109876543"},
      {"dash", "5", "0999999999999999999"},
      {"mult", "999999999999999999", "0999999999999999999"},
      {"mult", "123456789012345678901234567", "987654321"},
      {"over", "0999999999999999999999999999999999999", "123456789012345678"},
      {"over", "999999999999999999", "07"},
      {"cent", "0999999999999999999999999999999999999", "123456789012345678"},
      {"cent", "123456789012345678", "0987654321"},
      {"powa", "0123456789", "4"},
      {"powa", "07", "41"},
      {"less", "0999999999999999999", "0999999999999999998"},
      {"gteq", "999999999999999999", "999999999999999998"},
      {"same", "0999999999999999999", "0999999999999999999"},
      {"diff", "999999999999999999", "999999999999999998"},
  };
  // The Cell store's work list for freeing grows once, on first use; that is not the call's.
  call("plus", I("1"), I("2"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.op);
    const Builtin& builtin = builtinTable().at(c.op);
    CellRef node = cells::nest3(CellRef(c.op), CellRef(c.a), CellRef(c.b));
    long before = gHeapAllocations;
    CellRef result = builtin.entry(std::move(node));
    EXPECT_EQ(gHeapAllocations, before);
    EXPECT_NE(bytesOf(result), "Z");
  }
  for (const char* op : {"wave", "buck"}) {
    CellRef node = makePair(CellRef(op), CellRef("0999999999999999999"));
    long before = gHeapAllocations;
    CellRef result = builtinTable().at(op).entry(std::move(node));
    EXPECT_EQ(gHeapAllocations, before) << op;
  }
}

}  // namespace
}  // namespace vorn::builtins
