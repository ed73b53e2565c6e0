// Indexed access to blobs, reals, numbers and texts as sequences: look reads one element, into
// takes a slice, cork replaces one element; rows turns a value into text. Negative indices count
// from the end; anything out of range gives Z.
#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "builtins/convention.h"
#include "builtins/table.h"
#include "builtins/tree_forms.h"
#include "cells/bits.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {

namespace {

// Applies the negative-index rule; false when the index is still below 0.
bool fromEnd(std::int64_t& index, std::int64_t length) {
  if (index < 0) index += length;
  return index >= 0;
}

std::uint64_t realPattern(Cell* real) { return get<std::uint64_t>(cells::atomData(real) + 1); }

CellRef realFromPattern(std::uint64_t pattern) { return cells::makeReal(std::bit_cast<double>(pattern)); }

cells::Bits numberBits(Cell* number) {
  auto bits = cells::toBits(CellRef::borrow(number));
  LIB_ASSERT(bits.has_value());
  return *bits;
}

// The number of bits below the end marker.
std::int64_t bitLength(const cells::Bits& bits) {
  std::size_t top = cells::highestBit(bits);
  return top == cells::kNoBit ? 0 : static_cast<std::int64_t>(top);
}

std::string flatText(Cell* text) { return cells::textBytes(CellRef::borrow(text)); }

// The one element a text e becomes inside another text, placed as a text joins its right part: a
// code-map name (the one-character text that look gives for a byte) is that byte again, any other
// text is one bracketed group. So cork takes back exactly what look gives.
std::string placedElement(Cell* e) {
  CellRef flat = cells::flattenText(CellRef::borrow(e));
  std::string joined = cells::joinText("[]", cells::atomBytes(flat));
  return joined.substr(1, joined.size() - 2);
}

// The byte a text gives as one element, read as lord reads it.
std::optional<unsigned char> byteOfText(Cell* e) {
  CellRef flat = cells::flattenText(CellRef::borrow(e));
  const auto& map = cells::codeMap();
  auto it = map.find(cells::atomBytes(flat));
  if (it != map.end()) return static_cast<unsigned char>(it->second[0]);
  return cells::elementByte(cells::textBytes(CellRef::borrow(e)));
}

bool readBit(Cell* e, bool& on) {
  if (cells::isOneByteAtom(e, 'K')) on = true;
  else if (cells::isOneByteAtom(e, 'H')) on = false;
  else return false;
  return true;
}

}  // namespace

CellRef indexLook(CellRef node) {
  Args args(node, 2);
  std::int64_t i;
  if (!readInteger(args[0], i)) return wrongType();
  Cell* x = args[1];
  switch (cells::valueKind(x)) {
    case 'a': {
      std::string_view payload = cells::blobPayload(x);
      auto length = static_cast<std::int64_t>(payload.size());
      if (!fromEnd(i, length) || i >= length) return wrongType();
      return signedResult(static_cast<signed char>(payload[static_cast<std::size_t>(i)]));
    }
    case 'e':
      if (!fromEnd(i, 64) || i > 64) return wrongType();
      if (i == 64) return truthResult(false);
      return truthResult(((realPattern(x) >> i) & 1) != 0);
    case 'i':
    case 'o': {
      cells::Bits bits = numberBits(x);
      if (!fromEnd(i, bitLength(bits))) return wrongType();
      return truthResult(cells::bitAt(bits, static_cast<std::size_t>(i)));
    }
    case 'u': {
      std::string content = flatText(x);
      auto elements = cells::textElements(content);
      auto count = static_cast<std::int64_t>(elements.size());
      if (!fromEnd(i, count) || i >= count) return wrongType();
      cells::ElementRange e = elements[static_cast<std::size_t>(i)];
      return cells::elementAtom(std::string_view(content).substr(e.start, e.length));
    }
    default: return wrongType();
  }
}

CellRef indexInto(CellRef node) {
  Args args(node, 3);
  std::int64_t start, count;
  if (!readInteger(args[0], start) || !readNatural(args[1], count)) return wrongType();
  Cell* x = args[2];
  switch (cells::valueKind(x)) {
    case 'a': {
      std::string_view payload = cells::blobPayload(x);
      auto length = static_cast<std::int64_t>(payload.size());
      // start + count >= length, written so that no sum of two large numbers overflows.
      if (!fromEnd(start, length) || count >= length - start) return wrongType();
      return cells::makeBlob(payload.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
    }
    case 'e': {
      if (!fromEnd(start, 64) || count >= 64 - start) return wrongType();
      std::uint64_t bits = realPattern(x) >> start;
      if (count < 64) bits &= (std::uint64_t{1} << count) - 1;
      return unsignedResult(bits);
    }
    case 'i':
    case 'o': {
      cells::Bits bits = numberBits(x);
      if (!fromEnd(start, bitLength(bits))) return wrongType();
      // Bits past the stored ones are zeros and add nothing: the walk ends with them, however
      // large the count.
      auto stored = static_cast<std::int64_t>(bits.size() * 8);
      std::int64_t end = start < stored ? std::min(count, stored - start) : 0;
      cells::Bits slice;
      for (std::int64_t k = 0; k < end; ++k) {
        if (cells::bitAt(bits, static_cast<std::size_t>(start + k))) cells::setBitTo(slice, static_cast<std::size_t>(k), true);
      }
      return cells::fromBits(slice);
    }
    case 'u': {
      std::string content = flatText(x);
      auto elements = cells::textElements(content);
      auto length = static_cast<std::int64_t>(elements.size());
      if (!fromEnd(start, length) || count >= length - start) return wrongType();
      std::string text;
      for (std::int64_t k = start; k < start + count; ++k) {
        cells::ElementRange e = elements[static_cast<std::size_t>(k)];
        text.append(content, e.start, e.length);
      }
      return cells::makeText(text);
    }
    default: return wrongType();
  }
}

CellRef indexCork(CellRef node) {
  Args args(node, 3);
  std::int64_t i;
  if (!readInteger(args[0], i)) return wrongType();
  Cell* e = args[1];
  Cell* x = args[2];
  switch (cells::valueKind(x)) {
    case 'a': {
      if (!cells::isTextClass(e)) return wrongType();
      auto byte = byteOfText(e);
      std::string_view payload = cells::blobPayload(x);
      auto length = static_cast<std::int64_t>(payload.size());
      if (!byte || !fromEnd(i, length) || i >= length) return wrongType();
      auto at = static_cast<std::size_t>(i);
      // Nobody but this call holds the blob: change it in place.
      if (cells::refCount(node.get()) == 1 && cells::refCount(x) == 1) {
        const_cast<char*>(payload.data())[at] = static_cast<char>(*byte);
        return CellRef::borrow(x);
      }
      std::string copy(payload);
      copy[at] = static_cast<char>(*byte);
      return cells::makeBlob(copy);
    }
    case 'e': {
      bool on;
      if (i < -64 || i > 63 || !readBit(e, on)) return wrongType();
      if (i < 0) i += 64;
      std::uint64_t mask = std::uint64_t{1} << i;
      std::uint64_t pattern = realPattern(x);
      return realFromPattern(on ? (pattern | mask) : (pattern & ~mask));
    }
    case 'i':
    case 'o': {
      bool on;
      if (!readBit(e, on)) return wrongType();
      cells::Bits bits = numberBits(x);
      if (!fromEnd(i, bitLength(bits))) return wrongType();
      cells::setBitTo(bits, static_cast<std::size_t>(i), on);
      return cells::fromBits(bits);
    }
    case 'u': {
      if (!cells::isTextClass(e)) return wrongType();
      std::string content = flatText(x);
      auto elements = cells::textElements(content);
      auto count = static_cast<std::int64_t>(elements.size());
      if (!fromEnd(i, count) || i >= count) return wrongType();
      cells::ElementRange at = elements[static_cast<std::size_t>(i)];
      std::string text = content.substr(0, at.start);
      text += placedElement(e);
      text.append(content, at.start + at.length);
      return cells::makeText(text);
    }
    default: return wrongType();
  }
}

namespace {

// The nested text of a boxed tree's payload: K is [], J p q is p's text with q's appended as
// its last element. So a list J (J (J K q1) q2) q3 is "[" + the texts of q1, q2, q3 + "]"; each
// list's elements are laid on a work list (nullptr standing for its closing bracket) and written
// out in order into one string.
std::optional<std::string> treeText(Cell* payload) {
  std::string text;
  std::vector<Cell*> pending{payload};
  while (!pending.empty()) {
    Cell* list = pending.back();
    pending.pop_back();
    if (list == nullptr) {
      text += ']';
      continue;
    }
    text += '[';
    pending.push_back(nullptr);
    Cell *init, *last;
    for (; splitJ(list, init, last); list = init) pending.push_back(last);
    if (!cells::isOneByteAtom(list, 'K')) return std::nullopt;
  }
  return text;
}

}  // namespace

CellRef indexRows(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'a': return cells::makeText(cells::escapeGroups(cells::blobPayload(x)));
    case 'e': return cells::makeText(cells::realText(CellRef::borrow(x)));
    case 'i': {
      std::int64_t value;
      LIB_ASSERT(readInteger(x, value));
      char byte = static_cast<char>(value & 0xFF);
      return cells::makeText(cells::escapeGroups(std::string_view(&byte, 1)));
    }
    case 'u': return cells::flattenText(CellRef::borrow(x));
    case 'o': return wrongType();
    default: break;
  }
  Cell* payload = boxedPayload(x);
  if (payload == nullptr) return wrongType();
  auto text = treeText(payload);
  if (!text) return wrongType();
  return CellRef(*text);
}

}  // namespace vorn::builtins
