// A handful of entries, replaced in turn: enough for the operands and result of one operation and
// the one before it, as in a loop that keeps feeding a result back in.
#include "cells/decimal_memo.h"

#include <array>
#include <cstring>
#include <string>

namespace vorn::cells {

namespace {

struct Entry {
  std::string digits;
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

bool remembered(std::size_t size) { return size >= kMemoMinDigits && size <= kMemoMaxDigits; }

}  // namespace

const BigInt* recallDecimal(std::string_view digits) {
  if (!remembered(digits.size())) return nullptr;
  for (const Entry& entry : memo().entries) {
    if (entry.digits.size() == digits.size() &&
        std::memcmp(entry.digits.data(), digits.data(), digits.size()) == 0) {
      return &entry.magnitude;
    }
  }
  return nullptr;
}

void rememberDecimal(std::string_view digits, const BigInt& magnitude) {
  if (!remembered(digits.size()) || recallDecimal(digits) != nullptr) return;
  Memo& m = memo();
  Entry& entry = m.entries[m.next];
  m.next = (m.next + 1) % kEntries;
  entry.digits.assign(digits);
  entry.magnitude = magnitude.abs();
}

void forgetDecimals() {
  for (Entry& entry : memo().entries) {
    entry.digits.clear();
    entry.magnitude = BigInt();
  }
}

}  // namespace vorn::cells
