// Zero-terminated strings, memory blocks and the heap, bound to the C library:
//   strings: strlen strnlen strcmp strncmp strcasecmp strncasecmp strcpy strncpy strcat strncat
//            strchr strrchr strstr strpbrk strspn strtok strtok_r strdup
//   memory:  memchr memcmp memcpy memmove memset bzero malloc calloc realloc free
// A string argument may be a blob (its payload), a text (its bytes, brackets included) or an
// integer address; destinations are integer addresses only. Pointers come back as integers.
//
// Addresses found inside a blob or text (strchr, strrchr, strstr, strpbrk) point into the bytes
// of an Atom. Such an Atom is kept alive for the rest of the process once an address into it has
// been handed out, so the address can never dangle; a text made of several pieces is first
// flattened into one Atom, which is kept instead. The cost is that those Atoms are never freed:
// one reference per distinct Atom, however often it is searched.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unordered_set>

#include "builtins/convention.h"
#include "cells/integer.h"
#include "cells/text.h"

namespace vorn::builtins {

namespace {

char* machineAddress(std::int64_t address) {
  return reinterpret_cast<char*>(static_cast<std::uintptr_t>(address));
}

// Sizes and counts are passed as the 64-bit pattern of the integer.
std::size_t byteCount(std::int64_t n) { return static_cast<std::size_t>(n); }

// ---- Atoms that outlive the call ------------------------------------------------------------

// Holds one reference to the Atom for the rest of the process (once, however often it is asked).
void keepAlive(const CellRef& atom) {
  static auto* kept = new std::unordered_set<Cell*>();
  if (kept->insert(atom.get()).second) cells::retain(atom.get());
}

// A string argument into whose bytes the result may point. Blobs and texts are held as one Atom
// (an Atom as itself, a text Pair flattened into a new one) so that the result can keep those
// bytes alive.
class SearchedString {
 public:
  bool read(Cell* value) {
    char kind = cells::valueKind(value);
    if (kind == 'a' || kind == 'u') atom_ = cells::flattenText(CellRef::borrow(value));
    return readAddressOrText(atom_.empty() ? value : atom_.get(), view_);
  }
  char* get() const { return view_.get(); }
  // The address result for a pointer the search returned (null or inside these bytes).
  CellRef found(const char* address) const {
    if (address != nullptr && !atom_.empty()) keepAlive(atom_);
    return addressResult(address);
  }

 private:
  PointerView view_;
  CellRef atom_;  // empty for an integer address
};

// ---- The plain loops ------------------------------------------------------------------------

std::int64_t stringLength(const char* s) {
  std::int64_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

// Bytes compare as unsigned values; the result is -1, 0 or 1.
int compareStrings(const char* a, const char* b) {
  for (;; ++a, ++b) {
    auto x = static_cast<unsigned char>(*a);
    auto y = static_cast<unsigned char>(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

// Copies the source's bytes and its NUL to the destination.
void copyString(char* destination, const char* source) {
  do {
    *destination++ = *source;
  } while (*source++ != '\0');
}

// ---- Shapes shared by several bindings ------------------------------------------------------

// (string, string) -> int, as the C function returns it.
template <int (*compare)(const char*, const char*)>
CellRef compareTwo(const CellRef& node) {
  Args args(node, 2);
  PointerView a, b;
  if (!readAddressOrText(args[0], a) || !readAddressOrText(args[1], b)) return wrongType();
  return signedResult(compare(a.get(), b.get()));
}

// (string, string, n) -> int, as the C function returns it.
template <int (*compare)(const char*, const char*, std::size_t)>
CellRef compareTwoBounded(const CellRef& node) {
  Args args(node, 3);
  PointerView a, b;
  std::int64_t n = 0;
  if (!readAddressOrText(args[0], a) || !readAddressOrText(args[1], b) || !readInteger(args[2], n)) {
    return wrongType();
  }
  return signedResult(compare(a.get(), b.get(), byteCount(n)));
}

// (block, block, n) -> the C function's pointer result, for memcpy and memmove.
template <void* (*transfer)(void*, const void*, std::size_t)>
CellRef transferBlock(const CellRef& node) {
  Args args(node, 3);
  std::int64_t destination = 0, source = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  return addressResult(transfer(machineAddress(destination), machineAddress(source), byteCount(n)));
}

// The wrappers below give the overloaded or attributed library functions one plain type.
int libraryStrcasecmp(const char* a, const char* b) { return strcasecmp(a, b); }
int libraryStrncmp(const char* a, const char* b, std::size_t n) { return std::strncmp(a, b, n); }
int libraryStrncasecmp(const char* a, const char* b, std::size_t n) { return strncasecmp(a, b, n); }
void* libraryMemcpy(void* d, const void* s, std::size_t n) { return std::memcpy(d, s, n); }
void* libraryMemmove(void* d, const void* s, std::size_t n) { return std::memmove(d, s, n); }

// The position strtok continues from; null until a tokenisation has started.
char* strtokPosition = nullptr;

}  // namespace

// ---- Strings --------------------------------------------------------------------------------

CellRef strStrlen(CellRef node) {
  Args args(node, 1);
  PointerView s;
  if (!readAddressOrText(args[0], s)) return wrongType();
  return signedResult(stringLength(s.get()));
}

CellRef strStrnlen(CellRef node) {
  Args args(node, 2);
  PointerView s;
  std::int64_t n = 0;
  if (!readAddressOrText(args[0], s) || !readInteger(args[1], n)) return wrongType();
  return signedResult(static_cast<std::int64_t>(strnlen(s.get(), byteCount(n))));
}

CellRef strStrcmp(CellRef node) { return compareTwo<compareStrings>(node); }
CellRef strStrncmp(CellRef node) { return compareTwoBounded<libraryStrncmp>(node); }
CellRef strStrcasecmp(CellRef node) { return compareTwo<libraryStrcasecmp>(node); }
CellRef strStrncasecmp(CellRef node) { return compareTwoBounded<libraryStrncasecmp>(node); }

CellRef strStrcpy(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source)) return wrongType();
  copyString(machineAddress(destination), source.get());
  return addressResult(machineAddress(destination));
}

CellRef strStrncpy(CellRef node) {
  Args args(node, 3);
  std::int64_t destination = 0, source = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  return addressResult(std::strncpy(machineAddress(destination), machineAddress(source), byteCount(n)));
}

CellRef strStrcat(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source)) return wrongType();
  char* end = machineAddress(destination);
  end += stringLength(end);
  copyString(end, source.get());
  return addressResult(machineAddress(destination));
}

CellRef strStrncat(CellRef node) {
  Args args(node, 3);
  std::int64_t destination = 0, n = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  return addressResult(std::strncat(machineAddress(destination), source.get(), byteCount(n)));
}

CellRef strStrchr(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  std::int64_t c = 0;
  if (!s.read(args[0]) || !readInteger(args[1], c)) return wrongType();
  return s.found(std::strchr(s.get(), static_cast<int>(c)));
}

CellRef strStrrchr(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  std::int64_t c = 0;
  if (!s.read(args[0]) || !readInteger(args[1], c)) return wrongType();
  return s.found(std::strrchr(s.get(), static_cast<int>(c)));
}

CellRef strStrstr(CellRef node) {
  Args args(node, 2);
  SearchedString haystack;
  PointerView needle;
  if (!haystack.read(args[0]) || !readAddressOrText(args[1], needle)) return wrongType();
  return haystack.found(std::strstr(haystack.get(), needle.get()));
}

CellRef strStrpbrk(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  PointerView set;
  if (!s.read(args[0]) || !readAddressOrText(args[1], set)) return wrongType();
  return s.found(std::strpbrk(s.get(), set.get()));
}

CellRef strStrspn(CellRef node) {
  Args args(node, 2);
  PointerView s, set;
  if (!readAddressOrText(args[0], s) || !readAddressOrText(args[1], set)) return wrongType();
  return signedResult(static_cast<std::int64_t>(std::strspn(s.get(), set.get())));
}

// strtok keeps its position in this file rather than in the C library, so that continuing (s = 0)
// before any tokenisation has started gives 0 instead of a null dereference inside the library.
CellRef strStrtok(CellRef node) {
  Args args(node, 2);
  std::int64_t s = 0;
  PointerView delimiters;
  if (!readInteger(args[0], s) || !readAddressOrText(args[1], delimiters)) return wrongType();
  if (s == 0 && strtokPosition == nullptr) return addressResult(nullptr);
  return addressResult(strtok_r(machineAddress(s), delimiters.get(), &strtokPosition));
}

// The position lives in the program's pointer-sized slot. A null slot, or continuing from a slot
// that holds null, gives 0 with errno EINVAL, as the reentrant tokeniser's checked form does.
CellRef strStrtokR(CellRef node) {
  Args args(node, 3);
  std::int64_t s = 0, slot = 0;
  PointerView delimiters;
  if (!readInteger(args[0], s) || !readAddressOrText(args[1], delimiters) || !readInteger(args[2], slot)) {
    return wrongType();
  }
  auto* position = reinterpret_cast<char**>(machineAddress(slot));
  if (position == nullptr || (s == 0 && *position == nullptr)) {
    errno = EINVAL;
    return addressResult(nullptr);
  }
  return addressResult(strtok_r(machineAddress(s), delimiters.get(), position));
}

CellRef strStrdup(CellRef node) {
  Args args(node, 1);
  PointerView s;
  if (!readAddressOrText(args[0], s)) return wrongType();
  return addressResult(strdup(s.get()));
}

// ---- Memory blocks and the heap -------------------------------------------------------------

CellRef strMemchr(CellRef node) {
  Args args(node, 3);
  std::int64_t block = 0, byte = 0, n = 0;
  if (!readInteger(args[0], block) || !readInteger(args[1], byte) || !readInteger(args[2], n)) {
    return wrongType();
  }
  return addressResult(std::memchr(machineAddress(block), static_cast<int>(byte), byteCount(n)));
}

CellRef strMemcmp(CellRef node) {
  Args args(node, 3);
  std::int64_t a = 0, b = 0, n = 0;
  if (!readInteger(args[0], a) || !readInteger(args[1], b) || !readInteger(args[2], n)) return wrongType();
  return signedResult(std::memcmp(machineAddress(a), machineAddress(b), byteCount(n)));
}

CellRef strMemcpy(CellRef node) { return transferBlock<libraryMemcpy>(node); }
CellRef strMemmove(CellRef node) { return transferBlock<libraryMemmove>(node); }

// memset tests nothing: all three arguments are taken as integers.
CellRef strMemset(CellRef node) {
  Args args(node, 3);
  char* destination = machineAddress(readUncheckedInteger(args[0]));
  auto byte = static_cast<int>(readUncheckedInteger(args[1]));
  std::size_t n = byteCount(readUncheckedInteger(args[2]));
  return addressResult(std::memset(destination, byte, n));
}

CellRef strBzero(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], n) || n < 0) return wrongType();
  if (n > 0) std::memset(machineAddress(destination), 0, byteCount(n));
  return doneResult();
}

CellRef strMalloc(CellRef node) {
  Args args(node, 1);
  std::int64_t size = 0;
  if (!readInteger(args[0], size)) return wrongType();
  return addressResult(std::malloc(byteCount(size)));
}

CellRef strCalloc(CellRef node) {
  Args args(node, 2);
  std::int64_t count = 0, size = 0;
  if (!readInteger(args[0], count) || !readInteger(args[1], size)) return wrongType();
  return addressResult(std::calloc(byteCount(count), byteCount(size)));
}

CellRef strRealloc(CellRef node) {
  Args args(node, 2);
  std::int64_t block = 0, size = 0;
  if (!readInteger(args[0], block) || !readInteger(args[1], size)) return wrongType();
  return addressResult(std::realloc(machineAddress(block), byteCount(size)));
}

// free tests nothing: its argument is taken as an integer.
CellRef strFree(CellRef node) {
  Args args(node, 1);
  std::free(machineAddress(readUncheckedInteger(args[0])));
  return doneResult();
}

}  // namespace vorn::builtins
