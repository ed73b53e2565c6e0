// Text: bytes between square brackets in one Atom, or a Pair of two text-class values standing
// for their joined bytes; the elements a text is read as, and the escaped forms in which bytes
// that a text cannot hold as themselves are written. Also the character code: the fixed
// correspondence between the 256 byte values and their visible keys, the code map between number
// names and one-byte strings, and the bracket names of the numbers 0 to 676.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// ---- Text elements ----
// A text's content (its bytes inside the outer brackets) is read as a sequence of elements: a
// balanced bracketed group "[...]" is one element, and any other byte, a lone bracket too, is one.

// The escape group written for a byte that cannot stand in a text as itself: "[p]" for a
// newline, "[q]" for '[' and "[r]" for ']'; empty for every other byte.
std::string_view escapeGroup(char byte);
// The bytes with every newline and bracket written as its escape group.
std::string escapeGroups(std::string_view bytes);
// The bytes with every byte outside 32..126, and both brackets, written as "[" + two upper-case
// hex digits + "]": a form that shows any bytes on one line.
std::string hexEscapes(std::string_view bytes);

// The elements of a flat text's content, in order, as [start, length) ranges of `content`.
struct ElementRange {
  std::size_t start;
  std::size_t length;
};
std::vector<ElementRange> textElements(std::string_view content);

// The same reading from the end: for every "]" of `bytes`, the index of the "[" that balances it
// when the bytes are read back from that "]" (kUnbalanced when none does); other bytes get
// kUnbalanced. Within any span, the group that ends at a "]" starts at this "[" if the span holds
// it, and is no group otherwise.
constexpr std::size_t kUnbalanced = static_cast<std::size_t>(-1);
std::vector<std::size_t> groupStarts(std::string_view bytes);
// The start of the element of bytes[first..] that ends at `end`.
std::size_t elementStart(std::string_view bytes, const std::vector<std::size_t>& starts, std::size_t first,
                         std::size_t end);

// The Atom for one element given as bytes: a bracketed group stays itself, a single byte becomes
// its code-map name, or its escape group when it has no name there (newline and lone brackets).
CellRef elementAtom(std::string_view element);

// A non-empty text split into everything before its last element and that element's Atom. A
// text Pair splits into its two parts.
struct TextSplit {
  CellRef init;
  CellRef last;
};
TextSplit splitLastElement(Cell* text);

// The byte a one-element text content stands for: a plain byte (with zero and newline exchanged,
// as everywhere text becomes codes) or one of the escape groups; nothing otherwise.
std::optional<unsigned char> elementByte(std::string_view content);

// ---- The character code ----

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
