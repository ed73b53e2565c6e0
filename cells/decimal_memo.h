// The values of the few long integer Atoms made or read most recently, so that a number that one
// builtin writes and the next one reads is converted once, not twice. An entry holds a reference
// to its Atom: while it is held the Atom cannot be freed, and the bytes of a digit Atom never
// change, so the Atom's address alone finds its entry and no entry can be stale.
#pragma once

#include <cstddef>

#include "cells/bignum.h"
#include "cells/cell.h"

namespace vorn::cells {

// Shorter Atoms are read faster than an entry is kept; longer ones would make the memo hold too
// much memory alive.
inline constexpr std::size_t kMemoMinDigits = 64;
inline constexpr std::size_t kMemoMaxDigits = std::size_t{1} << 20;

// The magnitude of the integer Atom's value when it is remembered, else nullptr. The pointer
// stays valid until the next rememberInteger or forgetIntegers.
const BigInt* recallInteger(const Cell* atom);

// Remembers that the integer Atom (kind 'i', its sign a leading zero) has this magnitude, in
// place of the oldest entry. Atoms whose length is outside kMemoMinDigits..kMemoMaxDigits are not
// remembered.
void rememberInteger(const CellRef& atom, const BigInt& magnitude);

// Lets go of every entry and its Atom.
void forgetIntegers();

}  // namespace vorn::cells
