// A handful of entries, replaced in turn: enough for the operands and result of one operation and
// the one before it, as in a loop that keeps feeding a result back in.
#include "cells/decimal_memo.h"

#include <array>

namespace vorn::cells {

namespace {

struct Entry {
  CellRef atom;  // empty when the entry is unused
  BigInt magnitude;
};

constexpr std::size_t kEntries = 4;

struct Memo {
  std::array<Entry, kEntries> entries;
  std::size_t next = 0;  // the entry replaced next: the oldest
};

Memo& memo() {
  static auto* instance = new Memo();  // lives until the process ends
  return *instance;
}

bool kept(const Cell* atom) {
  std::size_t size = atomSizeOf(atom);
  return size >= kMemoMinDigits && size <= kMemoMaxDigits;
}

}  // namespace

const BigInt* recallInteger(const Cell* atom) {
  for (const Entry& entry : memo().entries) {
    if (entry.atom.get() == atom) return &entry.magnitude;
  }
  return nullptr;
}

void rememberInteger(const CellRef& atom, const BigInt& magnitude) {
  if (!kept(atom.get()) || recallInteger(atom.get()) != nullptr) return;
  Memo& m = memo();
  Entry& entry = m.entries[m.next];
  m.next = (m.next + 1) % kEntries;
  entry.atom = atom;
  entry.magnitude = magnitude;  // into the entry's own limbs where they have room
  if (entry.magnitude.isNegative()) entry.magnitude = magnitude.abs();
}

void forgetIntegers() {
  for (Entry& entry : memo().entries) {
    entry.atom = CellRef();
    entry.magnitude = BigInt();
  }
}

}  // namespace vorn::cells
