// Integers in both forms, their bit strings, and the kind letter of every value.
//
// How numbers are read. A bit string's highest set bit is its end marker; the bits below it are
// the elements of the bit list, lowest first. Both number kinds share one reading:
//   bit 0        the kind: 1 for 'i', 0 for 'o';
//   bit 1        the sign: set for a non-negative number;
//   bits 2..end  the magnitude, lowest bit first, the end marker being its highest 1 bit (zero
//                when the end marker is bit 1 itself).
// So a kind 'o' number is the integer of the same sign and magnitude, written with bit 0 clear:
// "00" is zero, "00" followed by a positive decimal D is D, and the numbers written "000..." are
// negative ("000" is -1). Setting bit 1 gives the magnitude, for both kinds and both forms. The
// empty list (the name K, bit string 0x01) has neither flag and counts as zero.
//
// A bit list that ends in a decimal Atom goes on with that Atom's whole bit string: the Atom's own
// flag bits and end marker become ordinary bits of the list at their positions, exactly as if the
// Atom had been written out as list elements.
#include "cells/integer.h"

#include <bit>
#include <string_view>
#include <vector>

#include "cells/bignum.h"
#include "cells/digits.h"
#include "cells/words.h"
#include "cells/text.h"

namespace vorn::cells {

namespace {

// ---- Bit strings ----------------------------------------------------------------------------

constexpr std::size_t kNoBit = static_cast<std::size_t>(-1);

bool bitAt(const Bits& bits, std::size_t i) {
  return i / 8 < bits.size() && ((static_cast<unsigned char>(bits[i / 8]) >> (i % 8)) & 1) != 0;
}

void setBit(Bits& bits, std::size_t i) {
  if (i / 8 >= bits.size()) bits.resize(i / 8 + 1, '\0');
  bits[i / 8] = static_cast<char>(bits[i / 8] | (1 << (i % 8)));
}

// ORs the byte into the bit string with its lowest bit at position `at`. Zero bytes change
// nothing and never lengthen the string, so no zero bytes pile up above the end marker.
void orByteAt(Bits& bits, std::size_t at, unsigned char byte) {
  if (byte == 0) return;
  std::size_t index = at / 8;
  unsigned shift = at % 8;
  unsigned wide = static_cast<unsigned>(byte) << shift;
  std::size_t needed = index + ((wide >> 8) != 0 ? 2 : 1);
  if (bits.size() < needed) bits.resize(needed, '\0');
  bits[index] = static_cast<char>(static_cast<unsigned char>(bits[index]) | (wide & 0xFF));
  if ((wide >> 8) != 0) {
    bits[index + 1] = static_cast<char>(static_cast<unsigned char>(bits[index + 1]) | (wide >> 8));
  }
}

void orBitsAt(Bits& bits, const Bits& source, std::size_t at) {
  for (std::size_t i = 0; i < source.size(); ++i) {
    orByteAt(bits, at + 8 * i, static_cast<unsigned char>(source[i]));
  }
}

// Index of the highest set bit, or kNoBit when no bit is set.
std::size_t highestBit(const Bits& bits) {
  for (std::size_t i = bits.size(); i-- > 0;) {
    auto byte = static_cast<unsigned char>(bits[i]);
    if (byte != 0) return 8 * i + static_cast<std::size_t>(std::bit_width(byte)) - 1;
  }
  return kNoBit;
}

// Index of the lowest set bit at or above `from`, or kNoBit.
std::size_t lowestBitFrom(const Bits& bits, std::size_t from) {
  for (std::size_t i = from; i / 8 < bits.size(); ++i) {
    if (bitAt(bits, i)) return i;
  }
  return kNoBit;
}

// The 64 bits starting at bit `at`, bit `at` lowest; bits past the end read as 0.
std::uint64_t wordAt(const Bits& bits, std::size_t at) {
  std::size_t index = at / 8;
  unsigned shift = at % 8;
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < 8 && index + i < bits.size(); ++i) {
    word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bits[index + i])) << (8 * i);
  }
  if (shift != 0) {
    word >>= shift;
    if (index + 8 < bits.size()) {
      word |= static_cast<std::uint64_t>(static_cast<unsigned char>(bits[index + 8])) << (64 - shift);
    }
  }
  return word;
}

// ---- Natural numbers on machine words -------------------------------------------------------

// The number written by a string of decimal digits (leading zeros allowed, digits only). Up to 19
// digits fit one word; longer texts go through the limbs, whose conversion to words splits long
// numbers in halves.
Words decimalWords(std::string_view digits) {
  std::size_t first = 0;
  while (first + 1 < digits.size() && digits[first] == '0') ++first;
  digits.remove_prefix(first);
  if (digits.size() <= 19) {
    std::uint64_t v = digitsValue(digits.data(), digits.size());
    return v == 0 ? Words() : Words{v};
  }
  std::optional<BigInt> n = BigInt::fromDigits(digits, false);
  CORE_ASSERT(n.has_value());
  return n->toWords();
}

// The decimal digits of a natural number, without leading zeros ("0" for zero).
std::string wordsDecimal(const Words& n) {
  if (n.size() <= 1) {
    std::uint64_t v = n.empty() ? 0 : n[0];
    std::string text(decimalLength(v), '0');
    writeDecimal(text.data(), v);
    return text;
  }
  return BigInt::fromWords(n).digits();
}

// The bits from `from` to `to` (both included) as a number, bit `from` lowest.
Words bitRange(const Bits& bits, std::size_t from, std::size_t to) {
  std::size_t count = to - from + 1;
  Words words((count + 63) / 64);
  for (std::size_t k = 0; k < words.size(); ++k) words[k] = wordAt(bits, from + 64 * k);
  if (count % 64 != 0) words.back() &= (std::uint64_t{1} << (count % 64)) - 1;
  trimWords(words);
  return words;
}

// ORs the number into the bit string with its lowest bit at position `at`.
void orWordsAt(Bits& bits, const Words& n, std::size_t at) {
  for (std::size_t k = 0; k < n.size(); ++k) {
    for (unsigned b = 0; b < 8; ++b) {
      orByteAt(bits, at + 64 * k + 8 * b, static_cast<unsigned char>(n[k] >> (8 * b)));
    }
  }
}

// ---- Decimal Atoms ------------------------------------------------------------------------

bool isDigitByte(char c) { return c >= '0' && c <= '9'; }

// A number in decimal form: a non-empty Atom of digits only. A digit Atom holding any other byte
// is no number at all: reading its bytes as digits would only make up a value.
bool isDecimalAtom(const Cell* c) {
  if (!isAtomCell(c) || !isDigitByte(atomData(c)[0])) return false;
  std::string_view bytes = atomBytesOf(c);
  return allDigits(bytes.data(), bytes.size());
}

bool startsWithTwoZeros(std::string_view s) { return s.size() >= 2 && s[0] == '0' && s[1] == '0'; }

// The bit string of a decimal text (digits only).
Bits decimalBits(std::string_view s) {
  Bits bits;
  if (s == "0") return Bits("\x03", 1);
  if (!startsWithTwoZeros(s)) {
    bool negative = s[0] == '0';
    setBit(bits, 0);
    if (!negative) setBit(bits, 1);
    orWordsAt(bits, decimalWords(negative ? s.substr(1) : s), 2);
    return bits;
  }
  // "00", z more zeros, then optionally D: bits 0..z clear, bit z + 1 set, D from bit z + 2.
  std::size_t zeros = 0;
  while (2 + zeros < s.size() && s[2 + zeros] == '0') ++zeros;
  setBit(bits, zeros + 1);
  std::string_view rest = s.substr(2 + zeros);
  if (!rest.empty()) orWordsAt(bits, decimalWords(rest), zeros + 2);
  return bits;
}

// The canonical text of a bit string (see fromBits).
std::string bitsText(const Bits& bits) {
  std::size_t end = highestBit(bits);
  if (end == kNoBit || end == 0) return "K";
  if (bitAt(bits, 0)) {
    if (end == 1) return "0";
    std::string digits = wordsDecimal(bitRange(bits, 2, end));
    return bitAt(bits, 1) ? digits : "0" + digits;
  }
  std::size_t first = lowestBitFrom(bits, 1);
  std::string text = "00" + std::string(first - 1, '0');
  if (end > first) text += wordsDecimal(bitRange(bits, first + 1, end));
  return text;
}

// ---- Bit lists ------------------------------------------------------------------------------

// Walks the right spine of a bit list J b0 (J b1 (... end)) in a loop, so lists of any length
// cost no stack. Calls onBit for every element and returns the Cell that ends the list, or
// nullptr when some element is not J applied to the Atom K or H.
template <class OnBit>
const Cell* walkBitList(const Cell* list, OnBit onBit) {
  const Cell* c = list;
  while (!isAtomCell(c)) {
    const Cell* element = leftOf(c);
    if (isAtomCell(element) || !isOneByteAtom(leftOf(element), 'J')) return nullptr;
    const Cell* bit = rightOf(element);
    bool one = isOneByteAtom(bit, 'K');
    if (!one && !isOneByteAtom(bit, 'H')) return nullptr;
    onBit(one);
    c = rightOf(c);
  }
  return c;
}

bool isListEnd(const Cell* end) { return end != nullptr && (isOneByteAtom(end, 'K') || isDecimalAtom(end)); }

// True for a Pair that is a complete bit list; `firstBit` receives its first element.
bool isBitList(const Cell* pair, bool* firstBit) {
  bool first = false;
  std::size_t count = 0;
  const Cell* end = walkBitList(pair, [&](bool one) {
    if (count++ == 0) first = one;
  });
  if (firstBit != nullptr) *firstBit = first;
  return isListEnd(end);
}

std::optional<Bits> listBits(const Cell* pair) {
  Bits bits;
  std::size_t n = 0;
  const Cell* end = walkBitList(pair, [&](bool one) {
    if (one) setBit(bits, n);
    ++n;
  });
  if (!isListEnd(end)) return std::nullopt;
  if (isOneByteAtom(end, 'K')) {
    setBit(bits, n);
  } else {
    orBitsAt(bits, decimalBits(atomBytesOf(end)), n);
  }
  return bits;
}

// The low 64 bits of a decimal digit string, read modulo 2^64.
std::uint64_t wrappedDecimal(std::string_view digits) {
  std::uint64_t value = 0;
  for (char d : digits) value = value * 10 + static_cast<unsigned>(d - '0');
  return value;
}

}  // namespace

// ---- Kinds ----------------------------------------------------------------------------------

char valueKind(const Cell* value) {
  // The text-class test may fill in the analysis cache, which is mutable in every Cell.
  Cell* c = const_cast<Cell*>(value);
  if (isAtomCell(c)) {
    unsigned char first = firstByteOf(c);
    if (first == ' ') return 'e';
    if (first == '(') return isBlobCell(c) ? 'a' : 'w';
    if (isTextClass(c)) return 'u';
    if (isDecimalAtom(c)) return startsWithTwoZeros(atomBytesOf(c)) ? 'o' : 'i';
    return 'w';
  }
  if (isTextClass(c)) return 'u';
  bool firstBit = false;
  if (isBitList(c, &firstBit)) return firstBit ? 'i' : 'o';
  return 'w';
}

bool isInteger(const CellRef& value) {
  const Cell* c = value.get();
  if (isAtomCell(c)) {
    if (isOneByteAtom(c, 'K')) return true;
    return isDecimalAtom(c) && !startsWithTwoZeros(atomBytesOf(c));
  }
  bool firstBit = false;
  return isBitList(c, &firstBit) && firstBit;
}

void requireInteger(const CellRef& value) { CORE_ASSERT(isInteger(value)); }

bool isNatural(const CellRef& value) { return isInteger(value) && isNonNegative(value); }

// ---- Making integers ------------------------------------------------------------------------

CellRef makeUnsignedInteger(std::uint64_t value) {
  std::size_t n = decimalLength(value);
  CellRef atom = makeDigitAtom(n);
  writeDigitsPadded(atomDataMutable(atom.get()), n, value);
  return atom;
}

CellRef makeInteger(std::int64_t value) {
  if (value >= 0) return makeUnsignedInteger(static_cast<std::uint64_t>(value));
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t size = ~static_cast<std::uint64_t>(value) + 1;
  std::size_t n = decimalLength(size);
  CellRef atom = makeDigitAtom(n + 1);
  char* out = atomDataMutable(atom.get());
  out[0] = '0';
  writeDigitsPadded(out + 1, n, size);
  return atom;
}

// ---- Sign and magnitude ---------------------------------------------------------------------

bool isNonNegative(const CellRef& value) {
  const Cell* c = value.get();
  if (isAtomCell(c)) {
    // A leading zero marks a negative 'i' number; after "00" a further zero clears bit 1.
    std::string_view s = atomBytesOf(c);
    if (s.size() < 2 || s[0] != '0') return true;
    if (s[1] != '0') return false;
    return s.size() == 2 || s[2] != '0';
  }
  // Bit 1 of a list: its second element, or else the first bit of what ends it (the end marker
  // for K, the kind flag for a decimal Atom). Only the list's shape is walked, not its value.
  std::size_t count = 0;
  bool second = false;
  const Cell* end = walkBitList(c, [&](bool one) {
    if (count++ == 1) second = one;
  });
  if (!isListEnd(end)) return true;
  if (count >= 2) return second;
  return isOneByteAtom(end, 'K') || !startsWithTwoZeros(atomBytesOf(end));
}

CellRef magnitude(const CellRef& value) {
  const Cell* c = value.get();
  if (isAtomCell(c)) {
    if (!isDecimalAtom(c) || isNonNegative(value)) return value;
    std::string_view s = atomBytesOf(c);
    if (!startsWithTwoZeros(s)) return CellRef(s.substr(1));
  }
  std::optional<Bits> bits = toBits(value);
  if (!bits) return value;
  setBit(*bits, 1);
  return fromBits(*bits);
}

std::int64_t integerToInt64(const CellRef& value) {
  const Cell* c = value.get();
  std::uint64_t size = 0;
  bool negative = false;
  std::string_view s = atomBytesOf(c);
  if (isDecimalAtom(c) && !startsWithTwoZeros(s)) {
    // The common case reads the digits directly: the low 64 bits of the magnitude are the
    // digits taken modulo 2^64.
    negative = s.size() > 1 && s[0] == '0';
    size = wrappedDecimal(negative ? s.substr(1) : s);
  } else {
    std::optional<Bits> bits = toBits(value);
    if (!bits) return 0;
    negative = highestBit(*bits) >= 2 && !bitAt(*bits, 1);
    size = wordAt(*bits, 2);
  }
  return static_cast<std::int64_t>(negative ? ~size + 1 : size);
}

// ---- Bit strings ----------------------------------------------------------------------------

std::optional<Bits> toBits(const CellRef& value) {
  const Cell* c = value.get();
  if (!isAtomCell(c)) return listBits(c);
  if (isOneByteAtom(c, 'K')) return Bits("\x01", 1);
  if (isDecimalAtom(c)) return decimalBits(atomBytesOf(c));
  return std::nullopt;
}

CellRef fromBits(const Bits& bits) { return CellRef(bitsText(bits)); }

std::optional<std::string> integerText(const CellRef& value) {
  const Cell* c = value.get();
  if (isAtomCell(c)) {
    // Every decimal Atom is already in the canonical form that fromBits writes.
    if (isOneByteAtom(c, 'K') || isDecimalAtom(c)) return std::string(atomBytesOf(c));
    return std::nullopt;
  }
  std::optional<Bits> bits = listBits(c);
  if (!bits) return std::nullopt;
  return bitsText(*bits);
}

bool smallDecimal(const Cell* c, std::int64_t& out) {
  if (!isAtomCell(c)) return false;
  std::uint64_t n = extentField(c);
  const char* d = atomData(c);
  if (n == 0 || n > 19 || d[0] < '0' || d[0] > '9') return false;
  std::size_t i = 0;
  bool negative = false;
  if (d[0] == '0') {
    if (n == 1) {
      out = 0;
      return true;
    }
    if (d[1] == '0') return false;  // the other number kind
    negative = true;
    i = 1;
  }
  if (n - i > 18) return false;
  std::int64_t v = 0;
  for (; i < n; ++i) {
    if (d[i] < '0' || d[i] > '9') return false;
    v = v * 10 + (d[i] - '0');
  }
  out = negative ? -v : v;
  return true;
}

}  // namespace vorn::cells
