// Data applied as functions: numbers, texts, blobs and reals wait for one argument, and applying
// one takes it apart like a Scott-encoded list. Each function gives the term the application
// rewrites to. Also the text element split that the tree primitives share.
#pragma once

#include <string_view>

#include "cells/cell.h"

namespace vorn::eval {

using cells::Cell;
using cells::CellRef;

// n a: 0 gives (K a); any other n gives (V b m), b telling the sign and m the rest of the bits.
CellRef applyNumber(Cell* number, const CellRef& argument);
// t a: the empty text gives (a (X J)) K; a G-Atom argument gives (V init last); otherwise
// (a (X J)) L with L the list form of the text.
CellRef applyText(Cell* text, const CellRef& argument);
// A blob of p bytes: Z for none, the byte tree of one byte, else (V first-half rest). An Atom
// that only starts like a blob (its header is malformed) gives Z as well.
CellRef applyBlob(Cell* blob);
// r a: (q a), q being the bit tree of the real's 64-bit pattern.
CellRef applyReal(Cell* real, const CellRef& argument);

// The byte tree of one byte, bits lowest first, I for 1 and H for 0.
CellRef byteTree(unsigned char byte);

// A non-empty text split into everything before its last element and that element. A single-byte
// element comes back as its name in the code map; a byte without a name there (newline and lone
// brackets) as the escape group "[p]", "[q]" or "[r]".
struct TextSplit {
  CellRef init;
  CellRef last;
};
TextSplit splitLastElement(Cell* text);

// The Atom for one text element given as bytes: a bracketed group stays itself, a single byte
// becomes its code-map name (or its escape group).
CellRef elementAtom(std::string_view element);

}  // namespace vorn::eval
