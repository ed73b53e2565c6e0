// Text: bytes between square brackets in one Atom, or a Pair of two text-class values standing
// for their joined bytes. Also the character code: the fixed correspondence between the 256 byte
// values and their visible keys, the code map between number names and one-byte strings, and the
// bracket names of the numbers 0 to 676.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "cells/cell.h"

namespace vorn::cells {

// True for a text Atom and for a Pair of two text-class values. Uses the analysis byte when the
// Cell is analysed; otherwise works it out (marking text-class Pairs as the analysis would).
bool isTextClass(Cell* value);

CellRef makeText(std::string_view bytes);
// The text's bytes without the outer brackets (a Pair is flattened first).
std::string textBytes(const CellRef& text);
// One text Atom with the same text; linear in the total length.
CellRef flattenText(const CellRef& text);
// The text Atom, which the caller holds as its only owner, with `inner` added before its closing
// bracket. The Atom is extended where it lies (it may move) instead of copied.
CellRef extendText(CellRef text, std::string_view inner);
// The text a (brackets included) with b appended; b is first replaced by what the code map maps
// it to when it is a key there.
std::string joinText(std::string_view a, std::string_view b);

// The byte of the key (class 1, 2 or 3; a printable character). A class-2 character without a
// byte is the fatal error "nopqchar"; a class other than 1, 2 or 3 is a core assertion.
unsigned char charCode(int keyClass, char character);

// A key of the character code: class 1 (red), 2 (green) or 3 (plain), and its character.
struct CodeKey {
  int keyClass;
  char character;
};
// Entry 0..255 of the code table: the key that belongs to the name of the number entry + 145.
CodeKey codeTableEntry(unsigned entry);
// The one key that stands for the byte (its display class and character).
CodeKey keyOfByte(unsigned char byte);

// Names of the numbers 145..400 to their one-byte strings, and back (one map, both directions;
// a name is always two bytes or more). The entries whose byte is a newline, '[' or ']' are left
// out. Built on first use and never destroyed.
const std::map<std::string, std::string, std::less<>>& codeMap();

// The bracket name of n, 0 <= n <= 676 (core assertion above).
std::string numberName(unsigned n);

}  // namespace vorn::cells
