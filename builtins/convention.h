// The calling convention every builtin entry shares: reading the arguments out of the application
// node, the argument readers with their kind tests, the result makers, and the conversions
// between the language's integers and the C library's pointers and narrow parameters. An entry tests its
// arguments first to last and returns wrongType() at the first that fails its reader's test.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "cells/cell.h"

namespace vorn::builtins {

using cells::Cell;
using cells::CellRef;

// The arguments of a node that applies a builtin to exactly `arity` arguments, first to last.
// The Cells are borrowed from the node, which the entry holds for the whole call. An `arity`
// other than the one of the builtin's table row (the node's depth) is an internal error.
class Args {
 public:
  Args(const CellRef& node, int arity);
  Cell* operator[](int index) const { return args_[index]; }

 private:
  Cell* args_[8] = {};
};

// ---- Argument readers: each returns false when the argument fails its test -------------------

// An integer (either form), reduced modulo 2^64.
bool readInteger(Cell* value, std::int64_t& out);
// The first arguments, one for each `out`, each with the integer reader, first to last; false at
// the first that is not an integer (the later ones are then not read).
template <typename... Out>
bool readIntegers(const Args& args, Out&... out) {
  int index = 0;
  return (readInteger(args[index++], out) && ...);
}
// A non-negative integer.
bool readNatural(Cell* value, std::int64_t& out);
// Any value taken as an integer without a test (only for the few bindings that do no check).
// A value that is no integer at all reads as 0, the null address.
std::int64_t readUncheckedInteger(Cell* value);
// A real Atom.
bool readReal(Cell* value, double& out);
// The one-byte Atom K (true) or H (false).
bool readTruth(Cell* value, bool& out);

// The address a C library function receives for an address-or-text argument: an integer's value,
// a text Atom's first byte (its opening bracket), or a blob's first payload byte. A text Pair is
// joined, brackets included and zero-terminated, into a buffer owned by the view, alive until the
// view is destroyed; the view can be neither copied nor moved, so the address stays valid.
class PointerView {
 public:
  PointerView() = default;
  PointerView(const PointerView&) = delete;
  PointerView& operator=(const PointerView&) = delete;

  char* get() const { return address_; }

 private:
  friend bool readAddressOrText(Cell* value, PointerView& out);
  char* address_ = nullptr;
  std::string joined_;
};
// Kinds 'a', 'i' and 'u'; false (and the view untouched) for any other kind.
bool readAddressOrText(Cell* value, PointerView& out);

// ---- Result makers --------------------------------------------------------------------------

CellRef signedResult(std::int64_t value);
CellRef unsignedResult(std::uint64_t value);
CellRef addressResult(const void* address);
CellRef realResult(double value);
CellRef truthResult(bool value);  // K or H
CellRef doneResult();             // I
CellRef wrongType();              // Z

// ---- C conversions --------------------------------------------------------------------------

// The machine address of an integer's value taken modulo 2^64: a negative integer stands for the
// same address as the unsigned pattern the address maker wrote it from.
template <typename T = void>
T* pointerAt(std::int64_t address) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}
// The same address as bytes.
inline char* asAddress(std::int64_t address) { return pointerAt<char>(address); }

// A C parameter of type int receives the low 32 bits of the value.
inline int lowInt(std::int64_t value) { return static_cast<int>(static_cast<std::uint32_t>(value)); }

// A T loaded from or stored at memory that need not be aligned for it (program memory, C records
// read by offset): copied bytewise, in the machine's byte order.
template <typename T>
T get(const void* from) {
  T value;
  std::memcpy(&value, from, sizeof value);
  return value;
}
template <typename T>
void put(void* to, T value) {
  std::memcpy(to, &value, sizeof value);
}

}  // namespace vorn::builtins
