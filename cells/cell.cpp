// Making, measuring and freeing Cells.
#include "cells/cell.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "cells/allocator.h"

namespace vorn::cells {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Value of one blob length digit; a byte outside the alphabet is an internal error.
std::size_t digitValue(char c) {
  std::size_t at = kDigits64.find(c);
  CORE_ASSERT(at != std::string_view::npos);
  return at;
}

std::size_t allocationSize(const Cell* c) {
  if (!isAtomCell(c)) return sizeof(PairCell);
  return sizeof(Cell) + atomBytesOf(c).size() + 1;
}

// Lowers a child's count; returns true when the child must be freed as well.
bool dropChild(Cell* child) {
  CORE_ASSERT(child != nullptr);
  std::uint64_t count = child->header & kCountMask;
  CORE_ASSERT(count != 0);
  if (count == 1) return true;
  child->header -= 1;
  return false;
}

}  // namespace

void freeCell(Cell* c) {
  // A work list instead of recursion: a list of millions of Pairs frees in constant stack.
  static auto* pending = new std::vector<Cell*>();
  std::size_t base = pending->size();
  Cell* current = c;
  for (;;) {
    Cell* next = nullptr;
    if (!isAtomCell(current)) {
      Cell* l = asPair(current)->left;
      Cell* r = asPair(current)->right;
      bool freeLeft = dropChild(l);
      bool freeRight = dropChild(r);
      if (freeLeft && freeRight) {
        pending->push_back(l);
        next = r;
      } else if (freeLeft) {
        next = l;
      } else if (freeRight) {
        next = r;
      }
    }
    cellFree(current, allocationSize(current));
    if (next == nullptr) {
      if (pending->size() == base) return;
      next = pending->back();
      pending->pop_back();
    }
    current = next;
  }
}

namespace {

// The whole length a blob's header states (header and payload), when the header is well formed;
// nothing otherwise. A stated payload past the limit of any Atom counts as malformed.
std::optional<std::size_t> statedBlobLength(const char* bytes, std::size_t n) {
  std::size_t length = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (bytes[i] == ')') return i + 1 + length;
    std::size_t digit = kDigits64.find(bytes[i]);
    if (digit == std::string_view::npos || length > (kExtentLimit >> 6)) return std::nullopt;
    length = length * 64 + digit;
  }
  return std::nullopt;
}

// How many of the bytes the Atom will be read as holding: the length atomBytesOf reports for
// them. Reals are always nine bytes and most other Atoms end at their first zero byte, so bytes
// from data can say more or less than they are. The Atom is made exactly this long (cut, or
// padded with zero bytes), so that reading it never runs past its block and freeing it returns
// the block to the size class it came from.
std::size_t readLength(const char* bytes, std::size_t n) {
  if (n == 0) return 0;
  auto first = static_cast<unsigned char>(bytes[0]);
  if (first == ' ') return 9;
  if (isDigit(first) || first == '[') return n < kExtentLimit ? n : strnlen(bytes, n);
  if (first == '(') {
    if (std::optional<std::size_t> stated = statedBlobLength(bytes, n)) return *stated;
    return n;
  }
  return strnlen(bytes, n);
}

}  // namespace

Cell* makeAtomCell(const char* bytes, std::size_t given) {
  std::size_t n = readLength(bytes, given);
  auto* c = static_cast<Cell*>(cellAllocate(sizeof(Cell) + n + 1));
  c->header = kAtomBit;
  char* data = atomDataMutable(c);
  std::size_t copied = std::min(n, given);
  if (copied != 0) std::memcpy(data, bytes, copied);
  std::memset(data + copied, 0, n - copied + 1);
  auto first = static_cast<unsigned char>(data[0]);
  if (n != 0 && (isDigit(first) || first == '[') && n < kExtentLimit) setExtent(c, n);
  return c;
}

Cell* makePairCell(Cell* left, Cell* right) {
  CORE_ASSERT(left != nullptr);
  CORE_ASSERT(right != nullptr);
  auto* p = static_cast<PairCell*>(cellAllocate(sizeof(PairCell)));
  p->header = 0;
  p->left = left;
  p->right = right;
  retain(left);
  retain(right);
  return reinterpret_cast<Cell*>(p);
}

std::size_t blobPayloadLength(const Cell* blob) {
  const char* p = atomData(blob) + 1;
  std::size_t length = 0;
  for (; *p != ')'; ++p) length = length * 64 + digitValue(*p);
  return length;
}

std::string_view blobPayload(const Cell* blob) {
  const char* data = atomData(blob);
  const char* close = std::strchr(data, ')');
  CORE_ASSERT(close != nullptr);
  return {close + 1, blobPayloadLength(blob)};
}

std::size_t atomSizeOf(const Cell* c) {
  if (!isAtomCell(c)) return 0;
  const char* data = atomData(c);
  auto first = static_cast<unsigned char>(data[0]);
  if (first == ' ') return 9;
  if (isDigit(first) || first == '[') {
    std::uint64_t extent = extentField(c);
    if (extent != 0) return extent;
  } else if (first == '(') {
    return blobPayloadLength(c);
  }
  return std::strlen(data);
}

std::string_view atomBytesOf(const Cell* c) {
  if (!isAtomCell(c)) return {};
  const char* data = atomData(c);
  auto first = static_cast<unsigned char>(data[0]);
  if (first == ' ') return {data, 9};
  if (isDigit(first) || first == '[') {
    std::uint64_t extent = extentField(c);
    if (extent != 0) return {data, extent};
    std::size_t n = std::strlen(data);
    CORE_ASSERT(n >= kExtentLimit);
    return {data, n};
  }
  if (first == '(') {
    const char* close = std::strchr(data, ')');
    CORE_ASSERT(close != nullptr);
    std::size_t digits = static_cast<std::size_t>(close - data) - 1;
    return {data, 1 + digits + 1 + blobPayloadLength(c)};
  }
  return {data, std::strlen(data)};
}

CellRef::CellRef(const char* text) : CellRef(std::string_view(text)) {}

CellRef::CellRef(std::string_view bytes) : cell_(makeAtomCell(bytes.data(), bytes.size())) {
  retain(cell_);
}

CellRef nest3(CellRef a, CellRef b, CellRef c) {
  return makePair(makePair(std::move(a), std::move(b)), std::move(c));
}

CellRef nest4(CellRef a, CellRef b, CellRef c, CellRef d) {
  return makePair(nest3(std::move(a), std::move(b), std::move(c)), std::move(d));
}

CellRef makeBlob(std::string_view payload) {
  std::string digits;
  for (std::size_t n = payload.size(); n != 0; n /= 64) digits.insert(digits.begin(), kDigits64[n % 64]);
  std::string bytes;
  bytes.reserve(payload.size() + digits.size() + 2);
  bytes += '(';
  bytes += digits;
  bytes += ')';
  bytes.append(payload);
  return CellRef(std::string_view(bytes));
}

}  // namespace vorn::cells
