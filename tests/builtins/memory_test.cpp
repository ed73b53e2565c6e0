// Raw memory access: widths, extension on reading, low bits on writing, and the argument tests
// that keep a mistyped address from reaching memory. Every address used is a buffer of the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "builtins/convention.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {

CellRef memGetu(CellRef node);
CellRef memGets(CellRef node);
CellRef memGett(CellRef node);
CellRef memGetv(CellRef node);
CellRef memGetw(CellRef node);
CellRef memGetz(CellRef node);
CellRef memGetx(CellRef node);
CellRef memGety(CellRef node);
CellRef memSetu(CellRef node);
CellRef memSett(CellRef node);
CellRef memSetw(CellRef node);
CellRef memSetx(CellRef node);

namespace {

using Entry = CellRef (*)(CellRef);

CellRef address(const void* p) {
  return cells::makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(p)));
}

std::string bytes(const CellRef& value) { return std::string(cells::atomBytes(value)); }

std::string read(Entry reader, const CellRef& argument) {
  return bytes(reader(cells::makePair(CellRef("getx"), argument)));
}

std::string write(Entry writer, const CellRef& where, const CellRef& value) {
  return bytes(writer(cells::nest3(CellRef("setx"), where, value)));
}

TEST(MemoryAccess, ByteStoreKeepsTheLowBitsAndReadsBackWithAndWithoutSign) {
  unsigned char cell[1] = {0};
  EXPECT_EQ(write(memSetx, address(cell), CellRef("300")), "I");
  EXPECT_EQ(cell[0], 44);
  EXPECT_EQ(read(memGetx, address(cell)), "44");
  EXPECT_EQ(read(memGety, address(cell)), "44");
  EXPECT_EQ(write(memSetx, address(cell), CellRef("200")), "I");
  EXPECT_EQ(read(memGetx, address(cell)), "200");
  EXPECT_EQ(read(memGety, address(cell)), "056");
}

TEST(MemoryAccess, AllOnesWordIsHugeUnsignedAndMinusOneSigned) {
  std::uint64_t word = ~std::uint64_t{0};
  EXPECT_EQ(read(memGetw, address(&word)), "18446744073709551615");
  EXPECT_EQ(read(memGetz, address(&word)), "01");
}

// Reads at odd offsets of one pattern: the widths take exactly their bytes, little-endian.
TEST(MemoryAccess, ReadersTakeTheirWidthAtAnyAlignment) {
  const unsigned char pattern[16] = {0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0x80,
                                     0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x77};
  struct Case {
    const char* name;
    Entry reader;
    int offset;
    const char* expected;
  } cases[] = {
      {"getu", memGetu, 1, "4294967294"},
      {"gets", memGets, 1, "02"},
      {"gets positive", memGets, 3, "305463295"},  // 0x1234FFFF
      {"gett", memGett, 1, "65534"},
      {"getv", memGetv, 1, "02"},
      {"getv positive", memGetv, 5, "4660"},
      {"gett high", memGett, 6, "32786"},  // 0x8012
      {"getv high", memGetv, 6, "032750"},
      {"getx", memGetx, 7, "128"},
      {"gety", memGety, 7, "0128"},
      {"getw", memGetw, 1, "36048815861530622"},  // 0x00801234FFFFFFFE
      {"getz", memGetz, 1, "36048815861530622"},
      {"getw top", memGetw, 8, "8576548055162159360"},  // 0x7706050403020100
      {"getw high bit", memGetw, 0, "9228496860551839232"},  // 0x801234FFFFFFFE00
      {"getz negative", memGetz, 0, "09218247213157712384"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(read(c.reader, address(pattern + c.offset)), c.expected);
  }
}

// Every store writes its width and not one byte more, whatever the value's size.
TEST(MemoryAccess, WritersStoreExactlyTheirWidth) {
  struct Case {
    const char* name;
    Entry writer;
    const char* value;
    std::uint64_t expected;  // the 8 bytes from the store address on, guard 0xAA elsewhere
  } cases[] = {
      {"setx", memSetx, "511", 0xAAAAAAAAAAAAAAFFull},
      {"sett", memSett, "65537", 0xAAAAAAAAAAAA0001ull},
      {"sett negative", memSett, "02", 0xAAAAAAAAAAAAFFFEull},
      {"setu", memSetu, "4294967298", 0xAAAAAAAA00000002ull},
      {"setu negative", memSetu, "01", 0xAAAAAAAAFFFFFFFFull},
      {"setw", memSetw, "18446744073709551615", 0xFFFFFFFFFFFFFFFFull},
      {"setw beyond 64 bits", memSetw, "18446744073709551621", 5},
      {"setw negative", memSetw, "0256", 0xFFFFFFFFFFFFFF00ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unsigned char buffer[11];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(write(c.writer, address(buffer + 1), CellRef(c.value)), "I");
    std::uint64_t stored = 0;
    std::memcpy(&stored, buffer + 1, 8);
    EXPECT_EQ(stored, c.expected);
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[9], 0xAA);
  }
}

TEST(MemoryAccess, WritersTestAddressThenValueAndWriteNothingOnAWrongKind) {
  unsigned char buffer[8];
  std::memset(buffer, 0xAA, sizeof buffer);
  CellRef good = address(buffer);
  struct Case {
    const char* name;
    CellRef where;
    CellRef value;
  } cases[] = {
      {"real address", cells::makeReal(1.0), CellRef("7")},
      {"text address", cells::makeText("1"), CellRef("7")},
      {"name address", CellRef("abc"), CellRef("7")},
      {"pair address", cells::makePair(CellRef("1"), CellRef("2")), CellRef("7")},
      {"real value", good, cells::makeReal(7.0)},
      {"text value", good, cells::makeText("7")},
      {"blob value", good, cells::makeBlob("7")},
  };
  for (Entry writer : {memSetu, memSett, memSetw, memSetx}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(write(writer, c.where, c.value), "Z");
    }
  }
  for (unsigned char b : buffer) EXPECT_EQ(b, 0xAA);
}

TEST(MemoryAccess, ReadersRefuseAnythingButAnInteger) {
  CellRef notIntegers[] = {cells::makeReal(8.0), cells::makeText("8"), cells::makeBlob("8"),
                           CellRef("abc"), cells::makePair(CellRef("1"), CellRef("2"))};
  for (Entry reader : {memGetu, memGets, memGett, memGetv, memGetw, memGetz, memGetx, memGety}) {
    for (const CellRef& value : notIntegers) EXPECT_EQ(read(reader, value), "Z");
  }
}

}  // namespace
}  // namespace vorn::builtins
