// Data applied as functions: numbers, texts, blobs and reals wait for one argument, and applying
// one takes it apart like a Scott-encoded list. Each function gives the term the application
// rewrites to; texts are taken apart by their elements (cells/text.h).
#pragma once

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

}  // namespace vorn::eval
