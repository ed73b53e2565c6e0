// Raw memory access: getu gets gett getv getw getz getx gety (readers) and setu sett setw setx
// (writers). Programs hold machine addresses as integers; these twelve builtins load and store
// 8, 16, 32 and 64 bits there, little-endian and without any alignment requirement.
//
// Last letter of the name: u/s 32 bits, t/v 16 bits, w/z 64 bits, x/y 8 bits; the first of each
// pair zero-extends, the second sign-extends. A store keeps only the low bits of the value, so
// one writer per width serves both signednesses.
#include <bit>
#include <cstdint>
#include <cstring>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"

namespace vorn::builtins {

static_assert(std::endian::native == std::endian::little, "loads and stores are little-endian");

namespace {

// Loads a T from the address in the node's one argument. A value that is not an integer is
// refused rather than converted, so that a mistyped argument cannot become a wild read.
template <typename T>
bool load(const CellRef& node, const char* name, T& out) {
  Args args(node, 1);
  std::int64_t address = 0;
  if (!readInteger(args[0], address)) return false;
  out = guardedGet<T>(name, address);
  return true;
}

// T decides the width and the extension (an unsigned T zero-extends, a signed one sign-extends).
template <typename T>
CellRef loadSigned(const CellRef& node, const char* name) {
  T value{};
  if (!load(node, name, value)) return wrongType();
  return signedResult(static_cast<std::int64_t>(value));
}

CellRef loadUnsigned64(const CellRef& node, const char* name) {
  std::uint64_t value = 0;
  if (!load(node, name, value)) return wrongType();
  return unsignedResult(value);
}

// Stores the low bits of the value (second argument) at the address (first argument). Both are
// tested before anything is written.
template <typename T>
CellRef store(const CellRef& node, const char* name) {
  Args args(node, 2);
  std::int64_t address = 0;
  std::int64_t value = 0;
  if (!readIntegers(args, address, value)) return wrongType();
  auto low = static_cast<T>(static_cast<std::uint64_t>(value));
  guardedPut(name, address, low);
  return doneResult();
}

}  // namespace

CellRef memGetu(CellRef node) { return loadSigned<std::uint32_t>(node, "getu"); }
CellRef memGets(CellRef node) { return loadSigned<std::int32_t>(node, "gets"); }
CellRef memGett(CellRef node) { return loadSigned<std::uint16_t>(node, "gett"); }
CellRef memGetv(CellRef node) { return loadSigned<std::int16_t>(node, "getv"); }
CellRef memGetw(CellRef node) { return loadUnsigned64(node, "getw"); }
CellRef memGetz(CellRef node) { return loadSigned<std::int64_t>(node, "getz"); }
CellRef memGetx(CellRef node) { return loadSigned<std::uint8_t>(node, "getx"); }
CellRef memGety(CellRef node) { return loadSigned<std::int8_t>(node, "gety"); }

CellRef memSetu(CellRef node) { return store<std::uint32_t>(node, "setu"); }
CellRef memSett(CellRef node) { return store<std::uint16_t>(node, "sett"); }
CellRef memSetw(CellRef node) { return store<std::uint64_t>(node, "setw"); }
CellRef memSetx(CellRef node) { return store<std::uint8_t>(node, "setx"); }

}  // namespace vorn::builtins
