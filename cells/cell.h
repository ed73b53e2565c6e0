// Cells: every datum and every piece of program text at run time. A Cell is an Atom (a byte
// string) or a Pair (two child Cells), shared freely and freed by reference counting. CellRef
// owns one reference; a raw Cell* is a borrow that must not outlive the call that lent it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "cells/allocator.h"
#include "support/assert.h"

namespace vorn::cells {

// The header word, bit by bit:
//
//   63   62   61 ........ 56   55 .................. 30   29 ................... 0
//  atom redex  arity + 52 (6)   extent (26)                reference count (30)
//
// Bits 56..62 together are the analysis byte: 0 means "not analysed yet", exactly 0x40 (redex
// set, arity field 0) means "text class", any other value means analysed. The extent holds the
// byte length of digit and '[' Atoms (0 when 2^26 or more); for other Cells the term analysis
// stores the free-letter set there, or the summed length for text-class Pairs.
struct Cell {
  std::uint64_t header;
};

// A Pair is the header and two owned children; 24 bytes.
struct PairCell {
  std::uint64_t header;
  Cell* left;
  Cell* right;
};

inline constexpr std::uint64_t kCountMask = (std::uint64_t{1} << 30) - 1;
inline constexpr int kExtentShift = 30;
inline constexpr std::uint64_t kExtentLimit = std::uint64_t{1} << 26;
inline constexpr std::uint64_t kExtentMask = (kExtentLimit - 1) << kExtentShift;
inline constexpr int kArityShift = 56;
inline constexpr std::uint64_t kArityMask = std::uint64_t{63} << kArityShift;
inline constexpr std::uint64_t kRedexBit = std::uint64_t{1} << 62;
inline constexpr std::uint64_t kAtomBit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t kAnalysisMask = kArityMask | kRedexBit;
inline constexpr std::uint64_t kTextClassByte = kRedexBit;  // analysis byte 0x40

// The 64 digits of blob lengths and position codes, values 0..63 in order.
inline constexpr std::string_view kDigits64 =
    "_abcdefghijklmnopqrustvwzxy0123456789ABCDEFGHIJKLMNOPQRUSTVWZXY~";

// ---- Header tests and fields ---------------------------------------------------------------

inline bool isAtomCell(const Cell* c) { return (c->header & kAtomBit) != 0; }
inline std::uint64_t refCount(const Cell* c) { return c->header & kCountMask; }
inline std::uint64_t extentField(const Cell* c) { return (c->header & kExtentMask) >> kExtentShift; }
inline int arityField(const Cell* c) { return static_cast<int>((c->header & kArityMask) >> kArityShift) - 52; }
inline bool redexFlag(const Cell* c) { return (c->header & kRedexBit) != 0; }
inline std::uint64_t analysisByte(const Cell* c) { return (c->header & kAnalysisMask) >> kArityShift; }
inline bool isAnalysed(const Cell* c) { return (c->header & kAnalysisMask) != 0; }
inline bool isTextClassCell(const Cell* c) { return (c->header & kAnalysisMask) == kTextClassByte; }

// Stores v + 52 in the arity field; the atom and redex flags stay. Requires -52 <= v <= 11.
inline void setArity(Cell* c, int v) {
  CORE_ASSERT(v <= 11);
  CORE_ASSERT(v >= -52);
  c->header = (c->header & ~kArityMask) | (static_cast<std::uint64_t>(v + 52) << kArityShift);
}
inline void setRedex(Cell* c, bool on) { c->header = on ? (c->header | kRedexBit) : (c->header & ~kRedexBit); }
// Stores n in the extent field. Requires n < 2^26.
inline void setExtent(Cell* c, std::uint64_t n) {
  CORE_ASSERT(n < kExtentLimit);
  c->header = (c->header & ~kExtentMask) | (n << kExtentShift);
}
// The whole analysis of a Pair at once: arity field, redex flag and letter set.
inline void setPairAnalysis(Cell* c, int v, bool redex, std::uint64_t letters) {
  CORE_ASSERT(v <= 11 && v >= -52);
  CORE_ASSERT(letters < kExtentLimit);
  c->header = (c->header & (kCountMask | kAtomBit)) | (letters << kExtentShift) |
              (static_cast<std::uint64_t>(v + 52) << kArityShift) | (redex ? kRedexBit : 0);
}
inline void markTextClass(Cell* c) { c->header = (c->header & ~kAnalysisMask) | kTextClassByte; }

// ---- Counting -------------------------------------------------------------------------------

inline void retain(Cell* c) {
  std::uint64_t count = (c->header + 1) & kCountMask;
  CORE_ASSERT(count != 0);
  c->header = (c->header & ~kCountMask) | count;
}

// Frees the Cell and every child whose count thereby reaches zero, without recursion.
void freeCell(Cell* c);

inline void release(Cell* c) {
  std::uint64_t count = c->header & kCountMask;
  CORE_ASSERT(count != 0);
  if (count != 1) {
    c->header -= 1;
    return;
  }
  // The common end of a Pair: both children live on. Freed here without the general walk.
  if (!isAtomCell(c)) {
    Cell* l = reinterpret_cast<PairCell*>(c)->left;
    Cell* r = reinterpret_cast<PairCell*>(c)->right;
    CORE_ASSERT(l != nullptr && r != nullptr);
    if ((l->header & kCountMask) > 1 && (r->header & kCountMask) > 1 && l != r) {
      l->header -= 1;
      r->header -= 1;
      cellFree(c, sizeof(PairCell));
      return;
    }
  }
  freeCell(c);
}

// ---- Atoms (borrowed access) ----------------------------------------------------------------

inline const char* atomData(const Cell* c) { return reinterpret_cast<const char*>(c) + sizeof(Cell); }
inline char* atomDataMutable(Cell* c) { return reinterpret_cast<char*>(c) + sizeof(Cell); }
inline unsigned char firstByteOf(const Cell* c) {
  return isAtomCell(c) ? static_cast<unsigned char>(atomData(c)[0]) : 0;
}
std::size_t atomSizeOf(const Cell* c);
// The Atom's full byte string (by kind); empty for a Pair. Valid while the Cell lives.
std::string_view atomBytesOf(const Cell* c);
// True when the Atom's full byte string is exactly the one byte b.
inline bool isOneByteAtom(const Cell* c, char b) {
  return isAtomCell(c) && atomData(c)[0] == b && atomData(c)[1] == '\0';
}

// A new Atom of the n bytes (count 0). Digit and '[' Atoms get their length in the extent.
Cell* makeAtomCell(const char* bytes, std::size_t n);

// ---- Pairs (borrowed access) ----------------------------------------------------------------

inline PairCell* asPair(Cell* c) { return reinterpret_cast<PairCell*>(c); }
inline const PairCell* asPair(const Cell* c) { return reinterpret_cast<const PairCell*>(c); }
inline Cell* leftOf(const Cell* c) {
  CORE_ASSERT(!isAtomCell(c));
  return asPair(c)->left;
}
inline Cell* rightOf(const Cell* c) {
  CORE_ASSERT(!isAtomCell(c));
  return asPair(c)->right;
}

// A new Pair holding one reference to each child (count 0). Neither child may be null.
Cell* makePairCell(Cell* left, Cell* right);

// ---- CellRef --------------------------------------------------------------------------------

// Holds exactly one reference. Copy retains, move transfers (leaving the source empty, which
// only destruction or assignment may follow), destruction releases.
class CellRef {
 public:
  CellRef() = default;
  explicit CellRef(const char* text);
  explicit CellRef(std::string_view bytes);
  explicit CellRef(const std::string& bytes) : CellRef(std::string_view(bytes)) {}
  // Takes a new reference to a borrowed Cell.
  static CellRef borrow(Cell* c) {
    CORE_ASSERT(c != nullptr);
    retain(c);
    return CellRef(c, Adopt{});
  }
  // Takes over a Cell whose count the caller has already raised for this handle.
  static CellRef adopt(Cell* c) { return CellRef(c, Adopt{}); }

  CellRef(const CellRef& other) : cell_(other.cell_) {
    CORE_ASSERT(cell_ != nullptr);
    retain(cell_);
  }
  CellRef(CellRef&& other) noexcept : cell_(std::exchange(other.cell_, nullptr)) {}
  CellRef& operator=(const CellRef& other) {
    CORE_ASSERT(other.cell_ != nullptr);
    if (cell_ != other.cell_) {
      retain(other.cell_);
      Cell* old = std::exchange(cell_, other.cell_);
      if (old != nullptr) release(old);
    }
    return *this;
  }
  CellRef& operator=(CellRef&& other) noexcept {
    if (this != &other) {
      Cell* old = std::exchange(cell_, std::exchange(other.cell_, nullptr));
      if (old != nullptr) release(old);
    }
    return *this;
  }
  ~CellRef() {
    if (cell_ != nullptr) release(cell_);
  }

  Cell* get() const { return cell_; }
  bool empty() const { return cell_ == nullptr; }
  // Gives up the reference without releasing it; the caller now owns it.
  Cell* detach() { return std::exchange(cell_, nullptr); }

 private:
  struct Adopt {};
  CellRef(Cell* c, Adopt) : cell_(c) {}
  Cell* cell_ = nullptr;
};

// ---- CellRef operations ---------------------------------------------------------------------

inline bool isPair(const CellRef& c) { return !isAtomCell(c.get()); }
inline unsigned char firstByte(const CellRef& c) { return firstByteOf(c.get()); }
inline CellRef left(const CellRef& c) { return CellRef::borrow(leftOf(c.get())); }
inline CellRef right(const CellRef& c) { return CellRef::borrow(rightOf(c.get())); }
inline std::string_view atomBytes(const CellRef& c) { return atomBytesOf(c.get()); }
inline std::size_t atomSize(const CellRef& c) { return atomSizeOf(c.get()); }

// Pair(left, right); both are consumed. Inline: every rewrite makes Pairs.
inline CellRef makePair(CellRef left, CellRef right) {
  // The new Pair takes over both references instead of retaining and releasing them.
  CORE_ASSERT(!left.empty());
  CORE_ASSERT(!right.empty());
  auto* p = static_cast<PairCell*>(cellAllocate(sizeof(PairCell)));
  p->header = 1;
  p->left = left.detach();
  p->right = right.detach();
  return CellRef::adopt(reinterpret_cast<Cell*>(p));
}
// A new Atom of n bytes (n >= 1) for digits, count 1, extent set, its bytes not yet written: the
// caller writes all n at once through atomDataMutable, each a decimal digit, before anything else
// reads the Atom. Integer results are written straight into their Atom this way, with no buffer
// to copy from.
inline CellRef makeDigitAtom(std::size_t n) {
  CORE_ASSERT(n != 0);
  auto* c = static_cast<Cell*>(cellAllocate(sizeof(Cell) + n + 1));
  // A length of 2^26 or more leaves the extent 0 and is found by scanning, as for any Atom.
  c->header = kAtomBit | 1 | (n < kExtentLimit ? n << kExtentShift : 0);
  atomDataMutable(c)[n] = '\0';
  return CellRef::adopt(c);
}
// The one-byte Atom of b, count 1: the same Atom as CellRef(std::string_view(&b, 1)), made
// without measuring anything. b may not be a zero byte, a space (a real) or '(' (a blob).
inline CellRef makeOneByteAtom(char b) {
  CORE_ASSERT(b != '\0' && b != ' ' && b != '(');
  auto* c = static_cast<Cell*>(cellAllocate(sizeof(Cell) + 2));
  bool measured = (b >= '0' && b <= '9') || b == '[';
  c->header = kAtomBit | 1 | (measured ? std::uint64_t{1} << kExtentShift : 0);
  atomDataMutable(c)[0] = b;
  atomDataMutable(c)[1] = '\0';
  return CellRef::adopt(c);
}
// Pair(Pair(a, b), c) and Pair(Pair(Pair(a, b), c), d): a applied to its arguments in order.
CellRef nest3(CellRef a, CellRef b, CellRef c);
CellRef nest4(CellRef a, CellRef b, CellRef c, CellRef d);

// The blob Atom "(" + base-64 length + ")" + payload.
CellRef makeBlob(std::string_view payload);
// Whether the Cell is a blob: an Atom whose first byte is '(' and whose header is well formed
// (base-64 digits up to a ')', stating a length an Atom can have). Bytes from data can start
// with '(' and still be no blob; such an Atom is made and read to its first zero byte, as a name
// is, and is of kind 'w'.
bool isBlobCell(const Cell* c);
// The payload length written in a blob's prefix (the Cell must be a blob).
std::size_t blobPayloadLength(const Cell* blob);
// The payload bytes of a blob Atom.
std::string_view blobPayload(const Cell* blob);

}  // namespace vorn::cells
