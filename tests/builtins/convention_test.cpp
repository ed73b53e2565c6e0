// The calling convention: arguments out of the application node, the argument readers with their
// kind tests, the result makers, and the C conversions.
#include "builtins/convention.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {
namespace {

using cells::makePair;
using cells::nest3;

CellRef bitList(bool bit, CellRef rest) { return nest3(CellRef("J"), CellRef(bit ? "K" : "H"), std::move(rest)); }

TEST(Args, ReadsTheLeftSpineFirstToLast) {
  CellRef a("a"), b("b"), c("c");
  CellRef node3 = cells::nest4(CellRef("head"), a, b, c);
  Args three(node3, 3);
  EXPECT_EQ(three[0], a.get());
  EXPECT_EQ(three[1], b.get());
  EXPECT_EQ(three[2], c.get());
  CellRef node1 = makePair(CellRef("head"), a);
  EXPECT_EQ(Args(node1, 1)[0], a.get());
  CellRef seven = CellRef("getnameinfo");
  for (const char* name : {"1", "2", "3", "4", "5", "6", "7"}) seven = makePair(std::move(seven), CellRef(name));
  Args args7(seven, 7);
  EXPECT_EQ(cells::atomBytesOf(args7[0]), "1");
  EXPECT_EQ(cells::atomBytesOf(args7[6]), "7");
  Args none(CellRef("rand"), 0);  // arity 0: the node is the head itself and nothing is read
}

// Reading more or fewer arguments than the node carries is an internal error, never a user one.
TEST(ArgsDeath, AnArityOtherThanTheNodesIsAnInternalError) {
  CellRef two = nest3(CellRef("plus"), CellRef("1"), CellRef("2"));
  EXPECT_DEATH(Args(two, 1), "ASSERTION FAILED:b:");
  EXPECT_DEATH(Args(two, 3), "ASSERTION FAILED:b:");
  EXPECT_DEATH(Args(makePair(CellRef("rand"), CellRef("1")), 0), "ASSERTION FAILED:b:");
}

TEST(Readers, Integer) {
  struct Case {
    const char* name;
    CellRef value;
    bool accepted;
    std::int64_t expected;
  } cases[] = {
      {"positive", CellRef("42"), true, 42},
      {"negative", CellRef("042"), true, -42},
      {"zero", CellRef("0"), true, 0},
      {"wraps modulo 2^64", CellRef("18446744073709551617"), true, 1},
      {"most negative", CellRef("09223372036854775808"), true, INT64_MIN},
      {"the empty list K", CellRef("K"), true, 0},
      {"bit list 1", bitList(true, bitList(true, bitList(true, CellRef("K")))), true, 3},
      {"kind o is no integer", CellRef("003"), false, 0},
      {"real", cells::makeReal(1.0), false, 0},
      {"text", cells::makeText("5"), false, 0},
      {"name", CellRef("x"), false, 0},
      {"digits with another byte", CellRef("12a"), false, 0},
      {"malformed bit list", bitList(true, CellRef("X")), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::int64_t out = 12345;
    ASSERT_EQ(readInteger(c.value.get(), out), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(out, c.expected);
    }
  }
}

TEST(Readers, NaturalUncheckedRealTruth) {
  std::int64_t n = 0;
  EXPECT_TRUE(readNatural(CellRef("7").get(), n));
  EXPECT_EQ(n, 7);
  EXPECT_FALSE(readNatural(CellRef("07").get(), n));
  EXPECT_FALSE(readNatural(CellRef("x").get(), n));

  EXPECT_EQ(readUncheckedInteger(CellRef("07").get()), -7);
  EXPECT_EQ(readUncheckedInteger(CellRef("x").get()), 0);
  EXPECT_EQ(readUncheckedInteger(makePair(CellRef("a"), CellRef("b")).get()), 0);

  double d = 0;
  EXPECT_TRUE(readReal(cells::makeReal(-2.5).get(), d));
  EXPECT_EQ(d, -2.5);
  EXPECT_FALSE(readReal(CellRef("5").get(), d));
  EXPECT_FALSE(readReal(makePair(CellRef(" "), CellRef("x")).get(), d));

  bool t = false;
  EXPECT_TRUE(readTruth(CellRef("K").get(), t));
  EXPECT_TRUE(t);
  EXPECT_TRUE(readTruth(CellRef("H").get(), t));
  EXPECT_FALSE(t);
  EXPECT_FALSE(readTruth(CellRef("KH").get(), t));
  EXPECT_FALSE(readTruth(CellRef("I").get(), t));
  EXPECT_FALSE(readTruth(makePair(CellRef("K"), CellRef("K")).get(), t));
}

TEST(Readers, AddressOrText) {
  {
    PointerView view;
    ASSERT_TRUE(readAddressOrText(CellRef("4096").get(), view));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(view.get()), 4096);
  }
  {
    // A blob passes its first payload byte; the payload is zero-terminated like every Atom.
    CellRef blob = cells::makeBlob(std::string(64, 'p'));
    PointerView view;
    ASSERT_TRUE(readAddressOrText(blob.get(), view));
    EXPECT_EQ(view.get(), cells::blobPayload(blob.get()).data());
    EXPECT_EQ(std::strlen(view.get()), 64u);
  }
  {
    // A text Atom passes its own bytes, opening bracket included.
    CellRef text = cells::makeText("abc");
    PointerView view;
    ASSERT_TRUE(readAddressOrText(text.get(), view));
    EXPECT_EQ(view.get(), cells::atomData(text.get()));
    EXPECT_STREQ(view.get(), "[abc]");
  }
  {
    // A text Pair is joined into the view's own buffer for the call.
    CellRef pair = makePair(cells::makeText("ab"), cells::makeText("cd"));
    std::string joined(cells::atomBytes(cells::flattenText(pair)));
    PointerView view;
    ASSERT_TRUE(readAddressOrText(pair.get(), view));
    EXPECT_EQ(std::string(view.get()), joined);
    EXPECT_EQ(joined.front(), '[');
  }
  for (CellRef wrong : {CellRef("x"), cells::makeReal(1.0), CellRef("003")}) {
    PointerView view;
    EXPECT_FALSE(readAddressOrText(wrong.get(), view));
    EXPECT_EQ(view.get(), nullptr);
  }
}

TEST(Makers, ResultAtoms) {
  EXPECT_EQ(cells::atomBytes(signedResult(-5)), "05");
  EXPECT_EQ(cells::atomBytes(signedResult(INT64_MIN)), "09223372036854775808");
  EXPECT_EQ(cells::atomBytes(unsignedResult(UINT64_MAX)), "18446744073709551615");
  EXPECT_EQ(cells::atomBytes(addressResult(nullptr)), "0");
  EXPECT_EQ(cells::atomBytes(addressResult(reinterpret_cast<void*>(4096))), "4096");
  EXPECT_TRUE(std::signbit(cells::realValue(realResult(-0.0))));
  EXPECT_EQ(cells::atomBytes(truthResult(true)), "K");
  EXPECT_EQ(cells::atomBytes(truthResult(false)), "H");
  EXPECT_EQ(cells::atomBytes(doneResult()), "I");
  EXPECT_EQ(cells::atomBytes(wrongType()), "Z");
}

// A C int parameter gets the low 32 bits, whatever the high ones hold.
TEST(CConversions, LowIntKeepsTheLow32Bits) {
  EXPECT_EQ(lowInt((std::int64_t{1} << 32) + 5), 5);
  EXPECT_EQ(lowInt(0xFFFFFFFF), -1);
  EXPECT_EQ(lowInt(-1), -1);
  EXPECT_EQ(lowInt(std::int64_t{0x7FFFFFFF}), 0x7FFFFFFF);
  EXPECT_EQ(lowInt(std::int64_t{0x80000000}), INT32_MIN);
}

// An address round-trips through the address maker's integer, and a negative integer is the
// address with the same 64-bit pattern.
TEST(CConversions, AddressesFromIntegers) {
  char byte = 'x';
  auto value = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&byte));
  EXPECT_EQ(asAddress(value), &byte);
  EXPECT_EQ(pointerAt<const char>(value), &byte);
  EXPECT_EQ(pointerAt(0), nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(asAddress(-8)), ~std::uintptr_t{7});
}

// Loads and stores at any byte offset, in the machine's byte order.
TEST(CConversions, UnalignedGetAndPut) {
  unsigned char bytes[16] = {};
  put<std::uint32_t>(bytes + 3, 0x11223344u);
  EXPECT_EQ(bytes[3], 0x44);
  EXPECT_EQ(bytes[6], 0x11);
  EXPECT_EQ(get<std::uint32_t>(bytes + 3), 0x11223344u);
  put<std::int64_t>(bytes + 7, -2);
  EXPECT_EQ(get<std::int64_t>(bytes + 7), -2);
  EXPECT_EQ(get<std::uint16_t>(bytes + 3), 0x3344);
}

}  // namespace
}  // namespace vorn::builtins
