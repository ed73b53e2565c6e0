// Mathematics, character classes and number conversion, called through the builtin table on
// hand-built application nodes: kinds refused with Z, 32-bit long behaviour, stores through
// program addresses, and the random generator's range and repeatability.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {
namespace {

using cells::CellRef;

// Applies the named builtin to the arguments, checking that their number is its arity.
CellRef call(const std::string& name, std::vector<CellRef> args = {}) {
  auto found = builtinTable().find(name);
  EXPECT_NE(found, builtinTable().end()) << name;
  EXPECT_EQ(found->second.arity, args.size()) << name;
  CellRef node(name);
  for (CellRef& arg : args) node = cells::makePair(std::move(node), std::move(arg));
  return found->second.entry(std::move(node));
}

CellRef integer(std::int64_t v) { return cells::makeInteger(v); }
CellRef real(double v) { return cells::makeReal(v); }
CellRef text(const char* bytes) { return cells::makeText(bytes); }
CellRef blob(const char* bytes) { return cells::makeBlob(bytes); }
CellRef address(const void* p) { return integer(reinterpret_cast<std::intptr_t>(p)); }

std::string bytesOf(const CellRef& c) { return std::string(cells::atomBytes(c)); }
double realOf(const CellRef& c) {
  EXPECT_TRUE(cells::isRealCell(c.get())) << bytesOf(c);
  return cells::isRealCell(c.get()) ? cells::realValue(c) : std::nan("");
}

// ---- Real functions -----------------------------------------------------------------------------

TEST(MathBuiltins, RealFunctionsGiveTheLibraryResult) {
  struct Case {
    const char* name;
    std::vector<double> args;
    double expected;
  };
  const Case cases[] = {
      {"acos", {1.0}, 0.0},          {"cos", {0.0}, 1.0},
      {"sqrt", {2.25}, 1.5},         {"floor", {-1.5}, -2.0},
      {"ceil", {-1.5}, -1.0},        {"exp", {0.0}, 1.0},
      {"log", {1.0}, 0.0},           {"tanh", {0.0}, 0.0},
      {"erfc", {0.0}, 1.0},          {"fabs", {-3.5}, 3.5},
      {"pow", {2.0, 10.0}, 1024.0},  {"fmod", {7.5, 2.0}, 1.5},
      {"hypot", {3.0, 4.0}, 5.0},    {"nextafter", {1.0, 2.0}, 1.0 + std::numeric_limits<double>::epsilon()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<CellRef> args;
    for (double a : c.args) args.push_back(real(a));
    EXPECT_EQ(realOf(call(c.name, std::move(args))), c.expected);
  }
}

TEST(MathBuiltins, DomainErrorsPassTheLibraryValueThrough) {
  EXPECT_TRUE(std::isnan(realOf(call("acos", {real(2.0)}))));
  EXPECT_TRUE(std::isinf(realOf(call("log", {real(0.0)}))));
  // fabs clears the sign bit, also of a negative zero.
  EXPECT_FALSE(std::signbit(realOf(call("fabs", {real(-0.0)}))));
}

TEST(MathBuiltins, ArgumentsOfTheWrongKindGiveZ) {
  struct Case {
    const char* trace;
    std::string name;
    std::vector<CellRef> args;
  };
  std::vector<Case> cases;
  cases.push_back({"acos of an integer", "acos", {integer(1)}});
  cases.push_back({"sqrt of a text", "sqrt", {text("4")}});
  cases.push_back({"pow with an integer second", "pow", {real(2.0), integer(3)}});
  cases.push_back({"ldexp with a real exponent", "ldexp", {real(1.0), real(3.0)}});
  cases.push_back({"frexp of an integer", "frexp", {integer(8), integer(0)}});
  cases.push_back({"abs of a text", "abs", {text("5")}});
  cases.push_back({"labs of a real", "labs", {real(5.0)}});
  cases.push_back({"isalpha of a real", "isalpha", {real(65.0)}});
  cases.push_back({"toupper of a blob", "toupper", {blob("a")}});
  cases.push_back({"atoi of a real", "atoi", {real(1.0)}});
  cases.push_back({"atof of a name", "atof", {CellRef("name")}});
  cases.push_back({"strtol with a real base", "strtol", {blob("12"), integer(0), real(10.0)}});
  cases.push_back({"strtod with a text end", "strtod", {blob("1"), text("0")}});
  cases.push_back({"srand of a text", "srand", {text("1")}});
  for (Case& c : cases) {
    SCOPED_TRACE(c.trace);
    errno = 77;
    EXPECT_EQ(bytesOf(call(c.name, std::move(c.args))), "Z");
    EXPECT_EQ(errno, 77);  // nothing was called
  }
}

TEST(MathBuiltins, LdexpTakesTheLowBitsOfItsExponent) {
  EXPECT_EQ(realOf(call("ldexp", {real(1.0), integer(10)})), 1024.0);
  EXPECT_EQ(realOf(call("ldexp", {real(1.0), integer((std::int64_t{1} << 32) - 2)})), 0.25);
}

// ---- Stores through program addresses -----------------------------------------------------------

TEST(MathBuiltins, FrexpStoresTheExponentAsFourBytes) {
  auto slot = std::make_unique<unsigned char[]>(4);  // exactly the int, so a wider store is seen
  EXPECT_EQ(realOf(call("frexp", {real(8.0), address(slot.get())})), 0.5);
  std::int32_t exponent = 0;
  std::memcpy(&exponent, slot.get(), 4);
  EXPECT_EQ(exponent, 4);
}

TEST(MathBuiltins, ModfStoresTheIntegralPartAtAnUnalignedAddress) {
  auto buffer = std::make_unique<unsigned char[]>(9);
  EXPECT_EQ(realOf(call("modf", {real(-3.25), address(buffer.get() + 1)})), -0.25);
  double integral = 0;
  std::memcpy(&integral, buffer.get() + 1, 8);
  EXPECT_EQ(integral, -3.0);
}

TEST(MathBuiltins, AZeroAddressIsNowhereToStore) {
  EXPECT_EQ(realOf(call("frexp", {real(8.0), integer(0)})), 0.5);
  EXPECT_EQ(realOf(call("modf", {real(2.5), integer(0)})), 0.5);
}

// ---- Absolute values ------------------------------------------------------------------------------

TEST(MathBuiltins, AbsWorksOnSixtyFourBitsAndLabsOnThirtyTwo) {
  struct Case {
    const char* name;
    const char* arg;
    const char* expected;
  };
  const Case cases[] = {
      {"abs", "09223372036854775807", "9223372036854775807"},
      {"abs", "09223372036854775808", "09223372036854775808"},  // the most negative is its own
      {"abs", "18446744073709551615", "1"},                     // taken modulo 2^64: -1
      {"abs", "0", "0"},
      {"labs", "4294967295", "1"},    // low 32 bits all ones: -1
      {"labs", "4294967301", "5"},    // 2^32 + 5
      {"labs", "05", "5"},
      {"labs", "2147483648", "02147483648"},  // the most negative 32-bit long is its own
      {"labs", "2147483647", "2147483647"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.arg);
    EXPECT_EQ(bytesOf(call(c.name, {CellRef(c.arg)})), c.expected);
  }
}

// ---- Character classes ------------------------------------------------------------------------------

TEST(MathBuiltins, CharacterClassesTakeTheLowBitsAsAnInt) {
  struct Case {
    const char* name;
    std::int64_t arg;
    const char* expected;
  };
  const Case cases[] = {
      {"isascii", 127, "K"},
      {"isascii", 128, "H"},
      {"isascii", -1, "H"},  // compared unsigned
      {"isascii", (std::int64_t{1} << 32) + 65, "K"},
      {"toascii", 200, "72"},
      {"toascii", -1, "127"},
      {"isalpha", 'A', "K"},
      {"isalpha", '1', "H"},
      {"isalnum", '1', "K"},
      {"isdigit", '7', "K"},
      {"isdigit", (std::int64_t{1} << 32) + '7', "K"},
      {"isblank", '\t', "K"},
      {"isspace", '\n', "K"},
      {"isgraph", ' ', "H"},
      {"isprint", ' ', "K"},
      {"ispunct", '!', "K"},
      {"isupper", 'a', "H"},
      {"islower", 'a', "K"},
      {"isalpha", -1, "H"},  // EOF
      {"tolower", 'Q', "113"},
      {"toupper", 'q', "81"},
      {"toupper", -1, "01"},
      // Far outside the ctype tables: no class, and the case maps leave the value alone.
      {"isalpha", 1000000, "H"},
      {"isprint", -100000, "H"},
      {"tolower", 1000000, "1000000"},
      {"toupper", -100000, "0100000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.arg));
    EXPECT_EQ(bytesOf(call(c.name, {integer(c.arg)})), c.expected);
  }
}

// ---- Number conversion ------------------------------------------------------------------------------

TEST(MathBuiltins, ParsersReadTheBytesTheLibrarySees) {
  const char digits[] = "123";
  struct Case {
    const char* trace;
    std::string name;
    CellRef arg;
    const char* expected;
  };
  Case cases[] = {
      {"a text Atom starts with its bracket", "atoi", text("42"), "0"},
      {"a text Atom for atol too", "atol", text("42"), "0"},
      {"a blob passes its payload", "atoi", blob("42"), "42"},
      {"leading blanks and trailing bytes", "atoi", blob("  -17x"), "017"},
      {"an address of a C string", "atol", address(digits), "123"},
      {"address zero reads as nothing", "atoi", integer(0), "0"},
      {"atoi saturates like a 32-bit long", "atoi", blob("99999999999"), "2147483647"},
      {"atol saturates below", "atol", blob("-99999999999"), "02147483648"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.trace);
    EXPECT_EQ(bytesOf(call(c.name, {std::move(c.arg)})), c.expected);
  }
  EXPECT_EQ(realOf(call("atof", {blob("2.5e1")})), 25.0);
  EXPECT_EQ(realOf(call("atof", {text("2.5")})), 0.0);
  EXPECT_EQ(realOf(call("atof", {integer(0)})), 0.0);
}

// strtol and strtoul with their end pointer: the pointer is stored at the given address and
// points into the bytes the library read.
class Strtol : public ::testing::Test {
 protected:
  struct Parse {
    std::string result;
    std::ptrdiff_t consumed;  // end pointer minus payload start
    int error;
  };
  Parse parse(const std::string& name, const char* payload, std::int64_t base) {
    CellRef source = blob(payload);
    const char* start = cells::blobPayload(source.get()).data();
    char* end = nullptr;
    errno = 0;
    CellRef result = call(name, {source, address(&end), integer(base)});
    return {bytesOf(result), end - start, errno};
  }
};

TEST_F(Strtol, ParsesLikeAThirtyTwoBitLong) {
  struct Case {
    const char* name;
    const char* payload;
    std::int64_t base;
    const char* result;
    std::ptrdiff_t consumed;
    int error;
  };
  const Case cases[] = {
      {"strtol", " 0x1Fz", 16, "31", 5, 0},
      {"strtol", "010", 0, "8", 3, 0},
      {"strtol", "-2147483648", 10, "02147483648", 11, 0},
      {"strtol", "2147483648", 10, "2147483647", 10, ERANGE},
      {"strtol", "-4294967295", 10, "02147483648", 11, ERANGE},
      {"strtol", "99999999999999999999999", 10, "2147483647", 23, ERANGE},
      {"strtol", "junk", 10, "0", 0, 0},
      {"strtoul", "123", 10, "123", 3, 0},
      {"strtoul", "4294967295", 10, "2147483647", 10, ERANGE},
      {"strtoul", "-1", 10, "18446744073709551615", 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.payload);
    Parse got = parse(c.name, c.payload, c.base);
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.consumed, c.consumed);
    EXPECT_EQ(got.error, c.error);
  }
}

TEST_F(Strtol, AnInvalidBaseIsTheLibrarysToReport) {
  CellRef result = call("strtol", {blob("12"), integer(0), integer(1)});
  EXPECT_EQ(bytesOf(result), "0");
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(Strtol, EndAddressZeroStoresNothing) {
  EXPECT_EQ(bytesOf(call("strtoul", {blob("-1"), integer(0), integer(10)})), "18446744073709551615");
}

TEST(MathBuiltins, StrtodStoresItsEndPointer) {
  CellRef source = blob("1.5e3rest");
  const char* start = cells::blobPayload(source.get()).data();
  char* end = nullptr;
  EXPECT_EQ(realOf(call("strtod", {source, address(&end)})), 1500.0);
  EXPECT_EQ(end - start, 5);
  EXPECT_EQ(realOf(call("strtod", {blob("-0.5"), integer(0)})), -0.5);
  end = const_cast<char*>(start);  // a null string stores a null end
  EXPECT_EQ(realOf(call("strtod", {integer(0), address(&end)})), 0.0);
  EXPECT_EQ(end, nullptr);
}

// ---- Random numbers ---------------------------------------------------------------------------------

std::vector<std::string> draws(int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(bytesOf(call("rand")));
  return out;
}

TEST(MathBuiltins, RandStaysWithinRandMax) {
  EXPECT_EQ(bytesOf(call("rand_max")), "32767");
  std::int64_t lowest = 32767;
  std::int64_t highest = 0;
  for (const std::string& d : draws(20000)) {
    std::int64_t v = cells::integerToInt64(CellRef(d));
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 32767);
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  // The whole range is reached, not a corner of it.
  EXPECT_LT(lowest, 100);
  EXPECT_GT(highest, 32667);
}

TEST(MathBuiltins, SrandMakesTheSequenceRepeat) {
  EXPECT_EQ(bytesOf(call("srand", {integer(7)})), "I");
  std::vector<std::string> first = draws(50);
  call("srand", {integer(7)});
  EXPECT_EQ(draws(50), first);
  // The seed is an unsigned int: only its low 32 bits count.
  call("srand", {integer((std::int64_t{1} << 32) + 7)});
  EXPECT_EQ(draws(50), first);
  call("srand", {integer(8)});
  EXPECT_NE(draws(50), first);
}

}  // namespace
}  // namespace vorn::builtins
