// Integers: unbounded decimal Atoms whose sign is a leading zero ("042" is -42, "0" is zero), and
// lazy bit lists built with J (J b rest, b being K for 1 and H for 0, lowest bit first, ending in
// K or a decimal Atom). Both forms convert through one internal bit string; this header also
// decides the kind letter of every value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cells/cell.h"

namespace vorn::cells {

// The internal bit string: bit i is bit (i mod 8) of byte (i div 8); the highest set bit is the
// end marker. For kind 'i', bit 0 is set, bit 1 is set for a non-negative value, and the
// magnitude stands from bit 2 upward with the end marker as its highest 1 bit. Kind 'o' is read
// the same way with bit 0 clear: "00" is zero, "00" + D is D, "000" is -1 (integer.cpp says more).
using Bits = std::string;

// One letter per value: 'e' real, 'a' blob, 'u' text class, 'i' integer, 'o' binary number,
// 'w' anything else. A bit list whose rest is not a bit list is 'w', and so is a digit Atom that
// holds a byte other than a digit. Deep bit lists are walked in a loop.
char valueKind(const Cell* value);
inline char valueKind(const CellRef& value) { return valueKind(value.get()); }

// The decimal Atom of a signed or unsigned 64-bit value.
CellRef makeInteger(std::int64_t value);
CellRef makeUnsignedInteger(std::uint64_t value);

// The signed 64-bit value of an integer of kind 'i' (either form), modulo 2^64.
std::int64_t integerToInt64(const CellRef& value);
// The sign test used by integerToInt64: bit 1 of the bit string, for both kinds. True for K and
// for every value that is no number.
bool isNonNegative(const CellRef& value);
// The absolute value, in the form integerToInt64 reads: the canonical Atom with bit 1 set (a
// non-negative Atom is returned as it is; a value that is no number too).
CellRef magnitude(const CellRef& value);

// The bit string of a number in either form; nothing for a malformed bit list or a non-number.
std::optional<Bits> toBits(const CellRef& value);
// The canonical Atom of a bit string: decimal form, "00..." for kind 'o', or K for the empty list
// (and for a string without any set bit, which has no end marker). fromBits(toBits(x)) gives back
// every decimal Atom x.
CellRef fromBits(const Bits& bits);
// The canonical decimal text of a number in either form (for the empty list K, "K"); nothing
// when it is not a number.
std::optional<std::string> integerText(const CellRef& value);

// True for the integer shapes: the Atoms K, "0", a text starting 1..9, a text starting "0" then a
// byte other than '0'; and well-formed bit lists of kind 'i'.
bool isInteger(const CellRef& value);
// A decimal Atom of at most 18 digits (after the sign digit), read straight into out; false for
// anything else, which the general readers then handle. Numbers a program handles are mostly these.
bool smallDecimal(const Cell* c, std::int64_t& out);
// Asserts isInteger (core assertion).
void requireInteger(const CellRef& value);
// isInteger and non-negative.
bool isNatural(const CellRef& value);

}  // namespace vorn::cells
