// Reading and building the encoded forms of trees, bits and bytes.
#include "builtins/tree_forms.h"

#include <vector>

#include "cells/bits.h"

namespace vorn::builtins {

namespace {

bool isAtom(const Cell* c, char letter) { return cells::isOneByteAtom(c, letter); }

// When the value is the application L l r for the one-letter Atom L: l and r (borrowed).
bool splitApplication(Cell* value, char letter, Cell*& l, Cell*& r) {
  if (cells::isAtomCell(value)) return false;
  Cell* head = cells::leftOf(value);
  if (cells::isAtomCell(head) || !isAtom(cells::leftOf(head), letter)) return false;
  l = cells::rightOf(head);
  r = cells::rightOf(value);
  return true;
}

bool isXJ(const Cell* c) {
  return !cells::isAtomCell(c) && isAtom(cells::leftOf(c), 'X') && isAtom(cells::rightOf(c), 'J');
}

// Bits of a complete tree of depth `depth` built with `letter`, leaves weighted 1, 2, 4, ...
// from left to right; `one` is the leaf for a set bit, H for a clear one.
std::optional<unsigned> treeBits(Cell* value, char letter, char one, int depth) {
  if (depth == 0) {
    if (isAtom(value, one)) return 1u;
    if (isAtom(value, 'H')) return 0u;
    return std::nullopt;
  }
  Cell *l, *r;
  if (!splitApplication(value, letter, l, r)) return std::nullopt;
  auto low = treeBits(l, letter, one, depth - 1);
  auto high = treeBits(r, letter, one, depth - 1);
  if (!low || !high) return std::nullopt;
  return *low | (*high << (1u << (depth - 1)));
}

}  // namespace

Cell* boxedPayload(Cell* value) {
  Cell *tag, *payload;
  if (!splitApplication(value, 'V', tag, payload) || !isXJ(tag)) return nullptr;
  return payload;
}

CellRef makeBoxed(CellRef payload) {
  CellRef tag = cells::makePair(CellRef("X"), CellRef("J"));
  return cells::nest3(CellRef("V"), std::move(tag), std::move(payload));
}

bool splitJ(Cell* value, Cell*& p, Cell*& q) { return splitApplication(value, 'J', p, q); }

CellRef bitList(const std::string& bits, std::size_t count) {
  CellRef list("K");
  CellRef one("K"), zero("H"), j("J");
  for (std::size_t i = count; i-- > 0;) {
    list = cells::nest3(j, cells::bitAt(bits, i) ? one : zero, std::move(list));
  }
  return list;
}

std::optional<unsigned char> byteTreeValue(Cell* value) {
  auto bits = treeBits(value, 'J', 'I', 3);
  if (!bits) return std::nullopt;
  return static_cast<unsigned char>(*bits);
}

std::optional<std::string> byteListBytes(Cell* value) {
  std::string bytes;
  std::vector<Cell*> pending{value};  // walked in order: left parts before right parts
  while (!pending.empty()) {
    Cell* c = pending.back();
    pending.pop_back();
    if (isAtom(c, 'K')) continue;
    if (auto byte = byteTreeValue(c)) {
      bytes += static_cast<char>(*byte);
      continue;
    }
    Cell *p, *q;
    if (!splitJ(c, p, q)) return std::nullopt;
    pending.push_back(q);
    pending.push_back(p);
  }
  return bytes;
}

std::optional<std::string> realByteForm(Cell* value) {
  std::string bytes;
  // The eight V-bytes are the leaves of a depth-three V tree, byte 0 leftmost.
  std::vector<Cell*> pending{value};
  std::vector<int> depths{3};
  while (!pending.empty()) {
    Cell* c = pending.back();
    int depth = depths.back();
    pending.pop_back();
    depths.pop_back();
    if (depth == 0) {
      auto byte = treeBits(c, 'V', 'K', 3);
      if (!byte) return std::nullopt;
      bytes += static_cast<char>(*byte);
      continue;
    }
    Cell *l, *r;
    if (!splitApplication(c, 'V', l, r)) return std::nullopt;
    pending.push_back(r);
    depths.push_back(depth - 1);
    pending.push_back(l);
    depths.push_back(depth - 1);
  }
  return bytes;
}

}  // namespace vorn::builtins
