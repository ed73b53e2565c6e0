// Making, measuring and freeing Cells.
#include "cells/cell.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "cells/allocator.h"

namespace vorn::cells {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A blob's header: the number of its base-64 digits and the payload length they state.
struct BlobHeader {
  std::size_t digits;
  std::size_t payload;
};

// The header of the Atom bytes at `data` (whose first byte is '('), read up to its ')'; nothing
// when a byte before the ')' is no digit (the terminating zero included) or the stated length is
// past the limit of any Atom. The same test decides how the bytes are made into an Atom.
std::optional<BlobHeader> readBlobHeader(const char* data, std::size_t n = SIZE_MAX) {
  std::size_t length = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (data[i] == ')') return BlobHeader{i - 1, length};
    std::size_t digit = kDigits64.find(data[i]);
    if (digit == std::string_view::npos || length > (kExtentLimit >> 6)) return std::nullopt;
    length = length * 64 + digit;
  }
  return std::nullopt;
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

// How many of the bytes the Atom will be read as holding: the length atomBytesOf reports for
// them. Reals are always nine bytes, a blob is as long as its header says, and most other Atoms
// end at their first zero byte (a '(' whose header is malformed among them), so bytes from data
// can say more or less than they are. The Atom is made exactly this long (cut, or padded with
// zero bytes), so that reading it never runs past its block and freeing it returns the block to
// the size class it came from.
std::size_t readLength(const char* bytes, std::size_t n) {
  if (n == 0) return 0;
  auto first = static_cast<unsigned char>(bytes[0]);
  if (first == ' ') return 9;
  if (isDigit(first) || first == '[') return n < kExtentLimit ? n : strnlen(bytes, n);
  if (first == '(') {
    std::optional<BlobHeader> header = readBlobHeader(bytes, n);
    if (header) return 1 + header->digits + 1 + header->payload;
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

bool isBlobCell(const Cell* c) {
  return isAtomCell(c) && firstByteOf(c) == '(' && readBlobHeader(atomData(c)).has_value();
}

std::size_t blobPayloadLength(const Cell* blob) {
  std::optional<BlobHeader> header = readBlobHeader(atomData(blob));
  CORE_ASSERT(header.has_value());
  return header->payload;
}

std::string_view blobPayload(const Cell* blob) {
  const char* data = atomData(blob);
  std::optional<BlobHeader> header = readBlobHeader(data);
  CORE_ASSERT(header.has_value());
  return {data + 1 + header->digits + 1, header->payload};
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
    if (std::optional<BlobHeader> header = readBlobHeader(data)) return header->payload;
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
    std::optional<BlobHeader> header = readBlobHeader(data);
    if (header) return {data, 1 + header->digits + 1 + header->payload};
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
