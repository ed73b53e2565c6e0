// Mathematics, character classes and number conversion: thin bindings of the C library's
// mathematical functions, ctype predicates and number parsers, plus vorn's own small random
// generator. Each entry reads its arguments in order, calls one function, and makes the result.
//
// Builtins defined here:
//   acos asin atan ceil cos cosh erf erfc exp fabs floor log sin sinh sqrt tan tanh
//   fmod hypot nextafter pow frexp ldexp modf abs labs
//   isalnum isalpha isascii isblank isdigit isgraph islower isprint ispunct isspace isupper
//   toascii tolower toupper
//   atof atoi atol strtod strtol strtoul rand rand_max srand
//
// The parsers read strings and store end pointers at program addresses, and frexp and modf store
// a result at one: those touches are guarded, so a wild address ends the run with a "Fault" report.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"

namespace vorn::builtins {

namespace {

// ---- Shapes shared by many entries -----------------------------------------------------------

CellRef realToReal(const CellRef& node, double (*function)(double)) {
  Args args(node, 1);
  double x = 0;
  if (!readReal(args[0], x)) return wrongType();
  return realResult(function(x));
}

CellRef realsToReal(const CellRef& node, double (*function)(double, double)) {
  Args args(node, 2);
  double x = 0;
  double y = 0;
  if (!readReal(args[0], x) || !readReal(args[1], y)) return wrongType();
  return realResult(function(x, y));
}

// The ctype tables cover EOF and -128..255 only; any other int would index past them, so such
// a value belongs to no class (and tolower/toupper leave it as it is).
bool inCharacterRange(int c) { return c >= -128 && c <= 255; }

CellRef characterClass(const CellRef& node, int (*predicate)(int)) {
  Args args(node, 1);
  std::int64_t c = 0;
  if (!readInteger(args[0], c)) return wrongType();
  auto narrow = static_cast<int>(c);
  return truthResult(inCharacterRange(narrow) && predicate(narrow) != 0);
}

CellRef characterMap(const CellRef& node, int (*map)(int)) {
  Args args(node, 1);
  std::int64_t c = 0;
  if (!readInteger(args[0], c)) return wrongType();
  auto narrow = static_cast<int>(c);
  return signedResult(inCharacterRange(narrow) ? map(narrow) : narrow);
}

// Stores a value at a program-given address, which need not be aligned. Address 0 means there
// is nowhere to store, as a null out-pointer does for time(): the value is dropped.
template <typename T>
void storeAt(const char* builtin, std::int64_t address, T value) {
  if (address != 0) guardedPut(builtin, address, value);
}

// A string and an end-pointer slot, read and written under the guard before the parser (which
// keeps no state and takes no lock, but is the library's) is handed them.
void probeParse(const char* builtin, const char* text, char** end) {
  if (text != nullptr) probeString(builtin, text);
  if (end != nullptr) probeBytes(builtin, end, sizeof *end, true);
}

// ---- Number parsing with a 32-bit long ----------------------------------------------------------

// strtol as a C library with 32-bit long performs it: the same digits are consumed and the end
// pointer is set the same way, but a value outside the 32-bit range saturates with ERANGE. errno
// is otherwise left alone, as strtol leaves it. A null string parses as an empty one.
std::int32_t parseLong32(const char* builtin, const char* text, char** end, int base) {
  probeParse(builtin, text, end);
  if (text == nullptr) {
    if (end != nullptr) *end = nullptr;
    return 0;
  }
  long wide = std::strtol(text, end, base);
  if (wide > INT32_MAX) {
    errno = ERANGE;
    return INT32_MAX;
  }
  if (wide < INT32_MIN) {
    errno = ERANGE;
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(wide);
}

char** endSlot(std::int64_t address) { return pointerAt<char*>(address); }

CellRef parseToInt32(const CellRef& node, const char* builtin) {
  Args args(node, 1);
  PointerView text;
  if (!readAddressOrText(args[0], text)) return wrongType();
  return signedResult(parseLong32(builtin, text.get(), nullptr, 10));
}

// Reads (string, end-pointer address, base) and parses as strtol with a 32-bit long.
bool parseWithEnd(const CellRef& node, const char* builtin, std::int32_t& out) {
  Args args(node, 3);
  PointerView text;
  std::int64_t end = 0;
  std::int64_t base = 0;
  if (!readAddressOrText(args[0], text) || !readInteger(args[1], end) ||
      !readInteger(args[2], base)) {
    return false;
  }
  out = parseLong32(builtin, text.get(), endSlot(end), static_cast<int>(base));
  return true;
}

// ---- The random generator -------------------------------------------------------------------

// A linear congruential generator with 15-bit results, so that rand stays within 0..32767 and
// rand_max can be the constant 32767 whatever the C library's own range. Seed 1 until srand.
constexpr std::int64_t kRandMax = 32767;

std::uint32_t& randState() {
  static std::uint32_t state = 1;
  return state;
}

std::int64_t nextRandom() {
  std::uint32_t& state = randState();
  state = state * 214013u + 2531011u;
  return (state >> 16) & kRandMax;
}

}  // namespace

// ---- Real functions ---------------------------------------------------------------------------

#define VORN_REAL_1(entry, call) \
  CellRef entry(CellRef node) { return realToReal(node, [](double x) { return call(x); }); }
#define VORN_REAL_2(entry, call)                                              \
  CellRef entry(CellRef node) {                                               \
    return realsToReal(node, [](double x, double y) { return call(x, y); }); \
  }

VORN_REAL_1(mathAcos, std::acos)
VORN_REAL_1(mathAsin, std::asin)
VORN_REAL_1(mathAtan, std::atan)
VORN_REAL_1(mathCeil, std::ceil)
VORN_REAL_1(mathCos, std::cos)
VORN_REAL_1(mathCosh, std::cosh)
VORN_REAL_1(mathErf, std::erf)
VORN_REAL_1(mathErfc, std::erfc)
VORN_REAL_1(mathExp, std::exp)
VORN_REAL_1(mathFabs, std::fabs)
VORN_REAL_1(mathFloor, std::floor)
VORN_REAL_1(mathLog, std::log)
VORN_REAL_1(mathSin, std::sin)
VORN_REAL_1(mathSinh, std::sinh)
VORN_REAL_1(mathSqrt, std::sqrt)
VORN_REAL_1(mathTan, std::tan)
VORN_REAL_1(mathTanh, std::tanh)
VORN_REAL_2(mathFmod, std::fmod)
VORN_REAL_2(mathHypot, std::hypot)
VORN_REAL_2(mathNextafter, std::nextafter)
VORN_REAL_2(mathPow, std::pow)

#undef VORN_REAL_1
#undef VORN_REAL_2

// frexp x p: the mantissa; the exponent goes to p as a 32-bit int.
CellRef mathFrexp(CellRef node) {
  Args args(node, 2);
  double x = 0;
  std::int64_t slot = 0;
  if (!readReal(args[0], x) || !readInteger(args[1], slot)) return wrongType();
  int exponent = 0;
  double mantissa = std::frexp(x, &exponent);
  storeAt("frexp", slot, static_cast<std::int32_t>(exponent));
  return realResult(mantissa);
}

CellRef mathLdexp(CellRef node) {
  Args args(node, 2);
  double x = 0;
  std::int64_t n = 0;
  if (!readReal(args[0], x) || !readInteger(args[1], n)) return wrongType();
  return realResult(std::ldexp(x, static_cast<int>(n)));
}

// modf x p: the fractional part; the integral part goes to p as a double.
CellRef mathModf(CellRef node) {
  Args args(node, 2);
  double x = 0;
  std::int64_t slot = 0;
  if (!readReal(args[0], x) || !readInteger(args[1], slot)) return wrongType();
  double integral = 0;
  double fraction = std::modf(x, &integral);
  storeAt("modf", slot, integral);
  return realResult(fraction);
}

// The absolute value of the 64-bit value; the most negative value is its own, as in two's
// complement.
CellRef mathAbs(CellRef node) {
  Args args(node, 1);
  std::int64_t v = 0;
  if (!readInteger(args[0], v)) return wrongType();
  auto bits = static_cast<std::uint64_t>(v);
  return signedResult(static_cast<std::int64_t>(v < 0 ? 0 - bits : bits));
}

// The absolute value of a 32-bit long: the low 32 bits, sign-extended, wrapping like abs.
CellRef mathLabs(CellRef node) {
  Args args(node, 1);
  std::int64_t v = 0;
  if (!readInteger(args[0], v)) return wrongType();
  auto narrow = static_cast<std::int32_t>(v);
  auto bits = static_cast<std::uint32_t>(narrow);
  return signedResult(static_cast<std::int32_t>(narrow < 0 ? 0u - bits : bits));
}

// ---- Character classes --------------------------------------------------------------------------

#define VORN_CLASS(entry, call) \
  CellRef entry(CellRef node) { return characterClass(node, [](int c) { return call(c); }); }

VORN_CLASS(mathIsalnum, std::isalnum)
VORN_CLASS(mathIsalpha, std::isalpha)
VORN_CLASS(mathIsblank, std::isblank)
VORN_CLASS(mathIsdigit, std::isdigit)
VORN_CLASS(mathIsgraph, std::isgraph)
VORN_CLASS(mathIslower, std::islower)
VORN_CLASS(mathIsprint, std::isprint)
VORN_CLASS(mathIspunct, std::ispunct)
VORN_CLASS(mathIsspace, std::isspace)
VORN_CLASS(mathIsupper, std::isupper)

#undef VORN_CLASS

CellRef mathTolower(CellRef node) {
  return characterMap(node, [](int c) { return std::tolower(c); });
}
CellRef mathToupper(CellRef node) {
  return characterMap(node, [](int c) { return std::toupper(c); });
}

// The low 32 bits, taken unsigned, below 128.
CellRef mathIsascii(CellRef node) {
  Args args(node, 1);
  std::int64_t c = 0;
  if (!readInteger(args[0], c)) return wrongType();
  return truthResult(static_cast<std::uint32_t>(c) < 128);
}

CellRef mathToascii(CellRef node) {
  Args args(node, 1);
  std::int64_t c = 0;
  if (!readInteger(args[0], c)) return wrongType();
  return signedResult(c & 0x7F);
}

// ---- Number conversion ------------------------------------------------------------------------

CellRef mathAtof(CellRef node) {
  Args args(node, 1);
  PointerView text;
  if (!readAddressOrText(args[0], text)) return wrongType();
  if (text.get() == nullptr) return realResult(0.0);
  probeString("atof", text.get());
  return realResult(std::atof(text.get()));
}

// With int and long both 32 bits wide, atoi and atol are the same decimal parse; out-of-range
// values saturate rather than wrap.
CellRef mathAtoi(CellRef node) { return parseToInt32(node, "atoi"); }
CellRef mathAtol(CellRef node) { return parseToInt32(node, "atol"); }

CellRef mathStrtod(CellRef node) {
  Args args(node, 2);
  PointerView text;
  std::int64_t end = 0;
  if (!readAddressOrText(args[0], text) || !readInteger(args[1], end)) return wrongType();
  if (text.get() == nullptr) {
    storeAt("strtod", end, static_cast<char*>(nullptr));
    return realResult(0.0);
  }
  probeParse("strtod", text.get(), endSlot(end));
  return realResult(std::strtod(text.get(), endSlot(end)));
}

CellRef mathStrtol(CellRef node) {
  std::int32_t value = 0;
  if (!parseWithEnd(node, "strtol", value)) return wrongType();
  return signedResult(value);
}

// The same signed parse as strtol; the 32-bit result is sign-extended and shown unsigned, so
// "-1" gives 18446744073709551615.
CellRef mathStrtoul(CellRef node) {
  std::int32_t value = 0;
  if (!parseWithEnd(node, "strtoul", value)) return wrongType();
  return unsignedResult(static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
}

// ---- Random numbers ---------------------------------------------------------------------------

CellRef mathRand(CellRef) { return signedResult(nextRandom()); }
CellRef mathRandMax(CellRef) { return signedResult(kRandMax); }

CellRef mathSrand(CellRef node) {
  Args args(node, 1);
  std::int64_t seed = 0;
  if (!readInteger(args[0], seed)) return wrongType();
  randState() = static_cast<std::uint32_t>(seed);
  return doneResult();
}

}  // namespace vorn::builtins
