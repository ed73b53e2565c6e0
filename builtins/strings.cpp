// Zero-terminated strings, memory blocks and the heap, bound to the C library:
//   strings: strlen strnlen strcmp strncmp strcasecmp strncasecmp strcpy strncpy strcat strncat
//            strchr strrchr strstr strpbrk strspn strtok strtok_r strdup
//   memory:  memchr memcmp memcpy memmove memset bzero malloc calloc realloc free
// A string argument may be a blob (its payload), a text (its bytes, brackets included) or an
// integer address; destinations are integer addresses only. Pointers come back as integers.
// Every touch of the strings and blocks runs under guardMemory, so a wild address ends the run
// with a "Fault" report. strdup, realloc and free only reach the allocator once the string or the
// block's size word has been read under the guard: the allocator is never left half-way.
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
#include "builtins/fault_guard.h"
#include "cells/integer.h"
#include "cells/text.h"

namespace vorn::builtins {

namespace {

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
CellRef compareTwo(const CellRef& node, const char* name) {
  Args args(node, 2);
  PointerView a, b;
  if (!readAddressOrText(args[0], a) || !readAddressOrText(args[1], b)) return wrongType();
  const char* x = a.get();
  const char* y = b.get();
  return signedResult(guardMemory(name, [x, y] { return compare(x, y); }));
}

// (string, string, n) -> int, as the C function returns it.
template <int (*compare)(const char*, const char*, std::size_t)>
CellRef compareTwoBounded(const CellRef& node, const char* name) {
  Args args(node, 3);
  PointerView a, b;
  std::int64_t n = 0;
  if (!readAddressOrText(args[0], a) || !readAddressOrText(args[1], b) || !readInteger(args[2], n)) {
    return wrongType();
  }
  const char* x = a.get();
  const char* y = b.get();
  std::size_t count = byteCount(n);
  return signedResult(guardMemory(name, [x, y, count] { return compare(x, y, count); }));
}

// (block, block, n) -> the C function's pointer result, for memcpy and memmove.
template <void* (*transfer)(void*, const void*, std::size_t)>
CellRef transferBlock(const CellRef& node, const char* name) {
  Args args(node, 3);
  std::int64_t destination = 0, source = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  char* to = asAddress(destination);
  const char* from = asAddress(source);
  std::size_t count = byteCount(n);
  // With nothing to move the library is not called: its pointers may then be anything, null too.
  if (count == 0) return addressResult(to);
  return addressResult(guardMemory(name, [to, from, count] { return transfer(to, from, count); }));
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
  const char* p = s.get();
  return signedResult(guardMemory("strlen", [p] { return stringLength(p); }));
}

CellRef strStrnlen(CellRef node) {
  Args args(node, 2);
  PointerView s;
  std::int64_t n = 0;
  if (!readAddressOrText(args[0], s) || !readInteger(args[1], n)) return wrongType();
  const char* p = s.get();
  std::size_t limit = byteCount(n);
  return signedResult(static_cast<std::int64_t>(guardMemory("strnlen", [p, limit] { return strnlen(p, limit); })));
}

CellRef strStrcmp(CellRef node) { return compareTwo<compareStrings>(node, "strcmp"); }
CellRef strStrncmp(CellRef node) { return compareTwoBounded<libraryStrncmp>(node, "strncmp"); }
CellRef strStrcasecmp(CellRef node) { return compareTwo<libraryStrcasecmp>(node, "strcasecmp"); }
CellRef strStrncasecmp(CellRef node) { return compareTwoBounded<libraryStrncasecmp>(node, "strncasecmp"); }

CellRef strStrcpy(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source)) return wrongType();
  char* to = asAddress(destination);
  const char* from = source.get();
  guardMemory("strcpy", [to, from] { copyString(to, from); });
  return addressResult(to);
}

CellRef strStrncpy(CellRef node) {
  Args args(node, 3);
  std::int64_t destination = 0, source = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  char* to = asAddress(destination);
  const char* from = asAddress(source);
  std::size_t count = byteCount(n);
  return addressResult(guardMemory("strncpy", [to, from, count] { return std::strncpy(to, from, count); }));
}

CellRef strStrcat(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source)) return wrongType();
  char* to = asAddress(destination);
  const char* from = source.get();
  guardMemory("strcat", [to, from] { copyString(to + stringLength(to), from); });
  return addressResult(to);
}

CellRef strStrncat(CellRef node) {
  Args args(node, 3);
  std::int64_t destination = 0, n = 0;
  PointerView source;
  if (!readInteger(args[0], destination) || !readAddressOrText(args[1], source) || !readInteger(args[2], n)) {
    return wrongType();
  }
  char* to = asAddress(destination);
  const char* from = source.get();
  std::size_t count = byteCount(n);
  return addressResult(guardMemory("strncat", [to, from, count] { return std::strncat(to, from, count); }));
}

CellRef strStrchr(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  std::int64_t c = 0;
  if (!s.read(args[0]) || !readInteger(args[1], c)) return wrongType();
  const char* p = s.get();
  auto byte = static_cast<int>(c);
  return s.found(guardMemory("strchr", [p, byte] { return std::strchr(p, byte); }));
}

CellRef strStrrchr(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  std::int64_t c = 0;
  if (!s.read(args[0]) || !readInteger(args[1], c)) return wrongType();
  const char* p = s.get();
  auto byte = static_cast<int>(c);
  return s.found(guardMemory("strrchr", [p, byte] { return std::strrchr(p, byte); }));
}

CellRef strStrstr(CellRef node) {
  Args args(node, 2);
  SearchedString haystack;
  PointerView needle;
  if (!haystack.read(args[0]) || !readAddressOrText(args[1], needle)) return wrongType();
  const char* h = haystack.get();
  const char* n = needle.get();
  return haystack.found(guardMemory("strstr", [h, n] { return std::strstr(h, n); }));
}

CellRef strStrpbrk(CellRef node) {
  Args args(node, 2);
  SearchedString s;
  PointerView set;
  if (!s.read(args[0]) || !readAddressOrText(args[1], set)) return wrongType();
  const char* p = s.get();
  const char* bytes = set.get();
  return s.found(guardMemory("strpbrk", [p, bytes] { return std::strpbrk(p, bytes); }));
}

CellRef strStrspn(CellRef node) {
  Args args(node, 2);
  PointerView s, set;
  if (!readAddressOrText(args[0], s) || !readAddressOrText(args[1], set)) return wrongType();
  const char* p = s.get();
  const char* bytes = set.get();
  return signedResult(static_cast<std::int64_t>(guardMemory("strspn", [p, bytes] { return std::strspn(p, bytes); })));
}

// strtok keeps its position in this file rather than in the C library, so that continuing (s = 0)
// before any tokenisation has started gives 0 instead of a null dereference inside the library.
CellRef strStrtok(CellRef node) {
  Args args(node, 2);
  std::int64_t s = 0;
  PointerView delimiters;
  if (!readInteger(args[0], s) || !readAddressOrText(args[1], delimiters)) return wrongType();
  if (s == 0 && strtokPosition == nullptr) return addressResult(nullptr);
  char* from = asAddress(s);
  const char* bytes = delimiters.get();
  return addressResult(guardMemory("strtok", [from, bytes] { return strtok_r(from, bytes, &strtokPosition); }));
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
  auto* position = pointerAt<char*>(slot);
  if (position == nullptr) {
    errno = EINVAL;
    return addressResult(nullptr);
  }
  // The slot need not be aligned: it is read bytewise.
  auto continuesFromNothing = [position] { return get<char*>(position) == nullptr; };
  if (s == 0 && guardMemory("strtok_r", continuesFromNothing)) {
    errno = EINVAL;
    return addressResult(nullptr);
  }
  char* from = asAddress(s);
  const char* bytes = delimiters.get();
  return addressResult(guardMemory("strtok_r", [from, bytes, position] { return strtok_r(from, bytes, position); }));
}

CellRef strStrdup(CellRef node) {
  Args args(node, 1);
  PointerView s;
  if (!readAddressOrText(args[0], s)) return wrongType();
  probeString("strdup", s.get());
  return addressResult(strdup(s.get()));
}

// ---- Memory blocks and the heap -------------------------------------------------------------

CellRef strMemchr(CellRef node) {
  Args args(node, 3);
  std::int64_t block = 0, byte = 0, n = 0;
  if (!readInteger(args[0], block) || !readInteger(args[1], byte) || !readInteger(args[2], n)) {
    return wrongType();
  }
  const char* from = asAddress(block);
  auto value = static_cast<int>(byte);
  std::size_t count = byteCount(n);
  if (count == 0) return addressResult(nullptr);  // no byte to find, and no pointer to read
  return addressResult(guardMemory("memchr", [from, value, count] { return std::memchr(from, value, count); }));
}

CellRef strMemcmp(CellRef node) {
  Args args(node, 3);
  std::int64_t a = 0, b = 0, n = 0;
  if (!readInteger(args[0], a) || !readInteger(args[1], b) || !readInteger(args[2], n)) return wrongType();
  const char* x = asAddress(a);
  const char* y = asAddress(b);
  std::size_t count = byteCount(n);
  if (count == 0) return signedResult(0);  // empty blocks are equal, whatever the pointers
  return signedResult(guardMemory("memcmp", [x, y, count] { return std::memcmp(x, y, count); }));
}

CellRef strMemcpy(CellRef node) { return transferBlock<libraryMemcpy>(node, "memcpy"); }
CellRef strMemmove(CellRef node) { return transferBlock<libraryMemmove>(node, "memmove"); }

// memset tests nothing: all three arguments are taken as integers.
CellRef strMemset(CellRef node) {
  Args args(node, 3);
  char* destination = asAddress(readUncheckedInteger(args[0]));
  auto byte = static_cast<int>(readUncheckedInteger(args[1]));
  std::size_t n = byteCount(readUncheckedInteger(args[2]));
  if (n == 0) return addressResult(destination);  // nothing to fill: the library is not called
  return addressResult(guardMemory("memset", [destination, byte, n] { return std::memset(destination, byte, n); }));
}

CellRef strBzero(CellRef node) {
  Args args(node, 2);
  std::int64_t destination = 0, n = 0;
  if (!readInteger(args[0], destination) || !readInteger(args[1], n) || n < 0) return wrongType();
  char* to = asAddress(destination);
  std::size_t count = byteCount(n);
  if (n > 0) guardMemory("bzero", [to, count] { std::memset(to, 0, count); });
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
  probeHeapBlock("realloc", asAddress(block));
  return addressResult(std::realloc(asAddress(block), byteCount(size)));
}

// free tests nothing: its argument is taken as an integer.
CellRef strFree(CellRef node) {
  Args args(node, 1);
  char* block = asAddress(readUncheckedInteger(args[0]));
  probeHeapBlock("free", block);
  std::free(block);
  return doneResult();
}

}  // namespace vorn::builtins
