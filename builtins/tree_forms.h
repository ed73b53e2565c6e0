// The encoded forms the tree and indexed primitives read and build: boxed trees V (X J) t, bit
// lists J b rest, byte trees and byte lists of J, and the real byte form of V trees.
#pragma once

#include <optional>
#include <string_view>
#include <string>

#include "cells/cell.h"

namespace vorn::builtins {

using cells::Cell;
using cells::CellRef;

// The payload t of a boxed tree V (X J) t, or nullptr when the value is no boxed tree.
Cell* boxedPayload(Cell* value);
// V (X J) t, built from fresh Atoms.
CellRef makeBoxed(CellRef payload);
// When the value is J p q: p and q (borrowed). Otherwise false.
bool splitJ(Cell* value, Cell*& p, Cell*& q);

// The bit list of the bits below the end marker of a bit string, lowest first, ending in K.
CellRef bitList(const std::string& bits, std::size_t count);

// The byte of a byte tree J (J (J b1 b2) (J b3 b4)) (J (J b5 b6) (J b7 b8)) of H and I leaves.
std::optional<unsigned char> byteTreeValue(Cell* value);
// The bytes of a byte list: K, a byte tree, or J p q of byte lists.
std::optional<std::string> byteListBytes(Cell* value);
// The eight bytes of a real byte form (a depth-three V tree of V-bytes of K and H leaves).
std::optional<std::string> realByteForm(Cell* value);

}  // namespace vorn::builtins
