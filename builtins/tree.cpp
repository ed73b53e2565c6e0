// Tree and atom primitives: type, tern, raws, leak, lisp, rank, real, left, rght, leaf, copy,
// init, lord, lots. They look at values as data: kinds, identity, parts of texts and boxed
// trees, sizes, and conversions between the Atom forms and the combinator-encoded forms.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"
#include "builtins/table.h"
#include "builtins/tree_forms.h"
#include "cells/bits.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "front/printer.h"
#include "program/tables.h"

namespace vorn::builtins {

namespace {

const char* kindName(char kind) {
  switch (kind) {
    case 'a': return "[post]";
    case 'e': return "[real]";
    case 'i': return "[hint]";
    case 'o': return "[numb]";
    case 'u': return "[zits]";
    default: return "[void]";
  }
}

// The bytes of a text value between its outer brackets, pieces joined.
std::string textContent(Cell* text) { return cells::textBytes(CellRef::borrow(text)); }

// The decimal text of a number of either kind, as integerText writes it.
std::string numberText(Cell* number) {
  auto text = cells::integerText(CellRef::borrow(number));
  LIB_ASSERT(text.has_value());
  return *text;
}

// The value of a kind 'o' number read as an integer of the same sign and magnitude.
std::string signedDecimalOfNumber(Cell* number) {
  auto bits = cells::toBits(CellRef::borrow(number));
  LIB_ASSERT(bits.has_value());
  cells::setBitTo(*bits, 0, true);  // the same sign and magnitude as kind 'i'
  return std::string(cells::atomBytes(cells::fromBits(*bits)));
}

// "0..." (negative) becomes "-..." for strtod.
std::string withMinus(std::string text) {
  if (text.size() > 1 && text[0] == '0') text[0] = '-';
  return text;
}

}  // namespace

CellRef treeType(CellRef node) {
  Args args(node, 1);
  return program::intern(CellRef(kindName(cells::valueKind(args[0]))));
}

CellRef treeTern(CellRef node) {
  Args args(node, 1);
  return program::intern(CellRef::borrow(args[0]));
}

CellRef treeRaws(CellRef node) {
  Args args(node, 2);
  return truthResult(args[0] == args[1]);
}

CellRef treeLeak(CellRef node) {
  Args args(node, 1);
  // The reference is kept for the rest of the run, so the address stays valid.
  static auto* leaked = new std::vector<CellRef>();
  leaked->push_back(CellRef::borrow(args[0]));
  return addressResult(args[0]);
}

CellRef treeLisp(CellRef node) {
  Args args(node, 1);
  return cells::makeText(front::showSource(CellRef::borrow(args[0])));
}

CellRef treeRank(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'a': return unsignedResult(cells::blobPayloadLength(x));
    case 'e': return signedResult(8);
    case 'i':
    case 'o': return unsignedResult(numberText(x).size());
    case 'u': return unsignedResult(textContent(x).size());
    default: return wrongType();
  }
}

CellRef treeReal(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'a': return realResult(std::strtod(cells::blobPayload(x).data(), nullptr));
    case 'e': return CellRef::borrow(x);
    case 'i': return realResult(std::strtod(withMinus(numberText(x)).c_str(), nullptr));
    case 'o': return realResult(std::strtod(withMinus(signedDecimalOfNumber(x)).c_str(), nullptr));
    case 'u': return realResult(std::atof(textContent(x).c_str()));
    default: break;
  }
  auto bytes = realByteForm(x);
  if (!bytes) return wrongType();
  return realResult(get<double>(bytes->data()));
}

namespace {

// left and rght: the parts of a text or of a boxed tree.
CellRef textOrTreePart(Cell* x, bool last) {
  if (cells::isTextClass(x)) {
    // The empty text has no parts; a program asking for them gets Z, not a crash.
    if (cells::isAtomCell(x) && cells::atomBytesOf(x) == "[]") return wrongType();
    cells::TextSplit split = cells::splitLastElement(x);
    return last ? std::move(split.last) : std::move(split.init);
  }
  Cell* payload = boxedPayload(x);
  Cell *p, *q;
  if (payload == nullptr || !splitJ(payload, p, q)) return wrongType();
  return makeBoxed(CellRef::borrow(last ? q : p));
}

}  // namespace

CellRef treeLeft(CellRef node) { return textOrTreePart(Args(node, 1)[0], false); }
CellRef treeRght(CellRef node) { return textOrTreePart(Args(node, 1)[0], true); }

CellRef treeLeaf(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  if (cells::isTextClass(x)) return truthResult(cells::isAtomCell(x) && cells::atomBytesOf(x) == "[]");
  Cell* payload = boxedPayload(x);
  if (payload == nullptr) return wrongType();
  return truthResult(cells::isOneByteAtom(payload, 'K'));
}

CellRef treeCopy(CellRef node) {
  Args args(node, 2);
  Cell* v = args[0];
  std::int64_t address;
  if (!readInteger(args[1], address)) return wrongType();
  std::string bytes;
  switch (cells::valueKind(v)) {
    case 'a': bytes = std::string(cells::blobPayload(v)); break;
    case 'e': bytes = std::string(cells::atomData(v) + 1, 8); break;
    case 'u': bytes = textContent(v); break;
    case 'i':
    case 'o': bytes = numberText(v); break;
    default: return wrongType();
  }
  // The bytes are ready before the program's memory is touched; only the copy is guarded.
  void* to = pointerAt(address);
  const char* from = bytes.data();
  std::size_t count = bytes.size();
  if (count != 0) guardMemory("copy", [to, from, count] { std::memcpy(to, from, count); });
  return doneResult();
}

CellRef treeInit(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'a': return CellRef::borrow(x);
    case 'e': return cells::makeBlob(std::string_view(cells::atomData(x) + 1, 8));
    case 'i': {
      std::int64_t value;
      LIB_ASSERT(readInteger(x, value));
      char byte = static_cast<char>(value & 0xFF);
      return cells::makeBlob(std::string_view(&byte, 1));
    }
    case 'o': return wrongType();
    case 'u': {
      std::string content = textContent(x), bytes;
      for (cells::ElementRange e : cells::textElements(content)) {
        std::string_view element(content.data() + e.start, e.length);
        if (element.size() == 1 && element[0] != '[' && element[0] != ']') {
          bytes += element[0];
          continue;
        }
        auto byte = cells::elementByte(element);
        if (!byte || element.size() == 1) return wrongType();
        bytes += static_cast<char>(*byte);
      }
      return cells::makeBlob(bytes);
    }
    default: break;
  }
  auto bytes = byteListBytes(x);
  if (!bytes) return wrongType();
  return cells::makeBlob(*bytes);
}

namespace {

// The exact value of a double as a number of the second kind, when it has one: integral finite
// values are written as the integer of the same sign and magnitude with bit 0 clear. Positive zero
// is "000" and the values without an exact integer (negative zero, infinities, NaNs) are "00".
// A finite value with a fraction has no such number and gives Z.
CellRef realAsBinaryNumber(double value) {
  if (value == 0 && !std::signbit(value)) return CellRef("000");
  if (!std::isfinite(value) || value == 0) return CellRef("00");
  if (std::trunc(value) != value) return wrongType();
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.0f", std::fabs(value));
  std::string text(value < 0 ? "0" : "");
  text += digits;
  auto bits = cells::toBits(CellRef(text));
  LIB_ASSERT(bits.has_value());
  cells::setBitTo(*bits, 0, false);
  return cells::fromBits(*bits);
}

}  // namespace

CellRef treeLord(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'u': {
      auto byte = cells::elementByte(textContent(x));
      return byte ? signedResult(*byte) : wrongType();
    }
    case 'a': {
      std::string_view payload = cells::blobPayload(x);
      if (payload.size() != 1) return wrongType();
      return signedResult(static_cast<unsigned char>(payload[0]));
    }
    case 'e': return realAsBinaryNumber(cells::realValue(x));
    case 'i':
    case 'o': {
      // A number in list form becomes its canonical Atom; an Atom is already canonical.
      auto bits = cells::toBits(CellRef::borrow(x));
      LIB_ASSERT(bits.has_value());
      return cells::fromBits(*bits);
    }
    default: return wrongType();
  }
}

CellRef treeLots(CellRef node) {
  Args args(node, 1);
  Cell* x = args[0];
  switch (cells::valueKind(x)) {
    case 'e': {
      std::string bits(cells::atomData(x) + 1, 8);
      return bitList(bits, 64);
    }
    case 'a':
    case 'u': {
      // The bytes, trailing zero bytes removed, read as a bit string: its highest set bit ends it.
      std::string bits = cells::valueKind(x) == 'a' ? std::string(cells::blobPayload(x)) : textContent(x);
      std::size_t top = cells::highestBit(bits);
      return bitList(bits, top == cells::kNoBit ? 0 : top);
    }
    case 'i':
    case 'o': {
      auto bits = cells::toBits(CellRef::borrow(x));
      LIB_ASSERT(bits.has_value());
      std::size_t top = cells::highestBit(*bits);
      return bitList(*bits, top == cells::kNoBit ? 0 : top);
    }
    default: break;
  }
  if (cells::isOneByteAtom(x, 'K')) return CellRef::borrow(x);
  return wrongType();
}

}  // namespace vorn::builtins
