// The Cell store: header layout, counting, freeing without recursion, Atom kinds and blobs.
#include "cells/cell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cells/allocator.h"
#include "cells/integer.h"

namespace vorn::cells {
namespace {

// Makes and frees an Atom of each case's bytes, round after round, among ordinary Atoms that stay:
// if a block were handed out twice, a kept Atom would read wrong.
template <typename Cases>
void churnAmongOrdinaryAtoms(const Cases& cases) {
  constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz";
  std::vector<CellRef> kept;
  for (int round = 0; round < 1000; ++round) {
    for (const auto& c : cases) CellRef dropped{std::string_view(c.bytes)};
    kept.emplace_back(kLetters.substr(0, 1 + round % 26));
  }
  for (int round = 0; round < 1000; ++round) {
    EXPECT_EQ(atomBytes(kept[round]), kLetters.substr(0, 1 + round % 26));
  }
}

TEST(Cell, NewAtomStartsAtZeroAndCellRefsCountIt) {
  Cell* raw = makeAtomCell("abc", 3);
  EXPECT_EQ(refCount(raw), 0u);
  std::int64_t before = liveCellBlocks();
  {
    CellRef first = CellRef::borrow(raw);
    EXPECT_EQ(refCount(raw), 1u);
    {
      CellRef second = first;
      EXPECT_EQ(refCount(raw), 2u);
    }
    EXPECT_EQ(refCount(raw), 1u);
    first = first;  // self-assignment keeps the count
    EXPECT_EQ(refCount(raw), 1u);
  }
  EXPECT_EQ(liveCellBlocks(), before - 1);
}

TEST(Cell, ReleasingAPairWithSharedChildrenOnlyLowersTheirCounts) {
  CellRef a("a"), b("b");
  {
    CellRef pair = makePair(a, b);
    EXPECT_EQ(refCount(a.get()), 2u);
  }
  EXPECT_EQ(refCount(a.get()), 1u);
  EXPECT_EQ(refCount(b.get()), 1u);
}

TEST(Cell, HeaderFieldsStayInTheirBits) {
  CellRef x("x9");
  Cell* c = x.get();
  EXPECT_TRUE(isAtomCell(c));
  EXPECT_EQ(extentField(c), 0u);  // a name gets no extent until analysed
  EXPECT_FALSE(isAnalysed(c));
  setArity(c, -51);
  setExtent(c, kExtentLimit - 1);
  setRedex(c, true);
  EXPECT_EQ(arityField(c), -51);
  EXPECT_EQ(extentField(c), kExtentLimit - 1);
  EXPECT_TRUE(redexFlag(c));
  EXPECT_EQ(refCount(c), 1u);
  EXPECT_TRUE(isAtomCell(c));
  EXPECT_EQ(c->header >> 63, 1u);
  markTextClass(c);
  EXPECT_TRUE(isTextClassCell(c));
  EXPECT_EQ(analysisByte(c), 0x40u);
  setArity(c, 11);
  EXPECT_EQ((c->header >> 56) & 63, 63u);
}

TEST(Cell, DigitAndTextAtomsCarryTheirLength) {
  EXPECT_EQ(extentField(CellRef("42").get()), 2u);
  EXPECT_EQ(extentField(CellRef("[ab]").get()), 4u);
  EXPECT_EQ(extentField(CellRef("").get()), 0u);
}

// Bytes from data may say more or less than they are: a lone " " reads as a nine-byte real, a
// name ends at its first zero byte, a blob is as long as its header says. Each Atom is made as
// long as it reads, so reading stays inside its block and freeing returns the block to the size
// class it came from (a mismatch once handed out overlapping blocks in the pooled build).
TEST(Cell, AtomsAreMadeAsLongAsTheyRead) {
  struct Case {
    std::string bytes;
    std::string reads;
  };
  const Case cases[] = {
      {" ", std::string(" ") + std::string(8, '\0')},
      {std::string("ab\0cd", 5), "ab"},
      {"(b)xyz", "(b)xy"},                          // the header says two bytes of payload
      {"(c)x", std::string("(c)x\0\0", 6)},         // and here three
  };
  for (const Case& c : cases) {
    CellRef atom(std::string_view(c.bytes));
    EXPECT_EQ(atomBytes(atom), c.reads) << c.bytes;
  }
  // Many rounds of making and freeing such Atoms among ordinary ones: no block is handed out twice.
  churnAmongOrdinaryAtoms(cases);
}

// Bytes from data that start with '(' but whose header is malformed (a byte that is no base-64
// digit, no closing ')', a stated length past any Atom's) make no blob: the Atom is made and read
// to its first zero byte, as a name is, and never trips an assertion on the way.
TEST(Cell, AMalformedBlobHeaderMakesNoBlob) {
  struct Case {
    std::string bytes;
    std::string reads;
  };
  const Case cases[] = {
      {"(", "("},
      {"(!)", "(!)"},
      {"(ab", "(ab"},
      {std::string("(a\0b)xy", 7), "(a"},
      {"(~~~~~~)x", "(~~~~~~)x"},
      {"(b!)xy", "(b!)xy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reads);
    CellRef atom(std::string_view(c.bytes));
    EXPECT_FALSE(isBlobCell(atom.get()));
    EXPECT_EQ(valueKind(atom.get()), 'w');  // so every builtin given it answers Z
    EXPECT_EQ(atomBytes(atom), c.reads);
    EXPECT_EQ(atomSize(atom), c.reads.size());
  }
  EXPECT_TRUE(isBlobCell(makeBlob("xy").get()));
  EXPECT_TRUE(isBlobCell(CellRef("()").get()));
  EXPECT_FALSE(isBlobCell(CellRef("[()]").get()));
  // Made and freed among ordinary Atoms, round after round: each goes back to its own size class.
  churnAmongOrdinaryAtoms(cases);
}

TEST(Cell, DigitAtomKeepsAnInnerZeroByte) {
  CellRef c(std::string_view("1\0" "2", 3));
  EXPECT_EQ(atomSize(c), 3u);
  EXPECT_EQ(atomBytes(c), std::string_view("1\0" "2", 3));
}

TEST(Cell, LongTextAtomHasNoExtentAndIsMeasuredByScanning) {
  std::string text(kExtentLimit, 'x');
  text.front() = '[';
  text.back() = ']';
  CellRef c(text);
  EXPECT_EQ(extentField(c.get()), 0u);
  EXPECT_EQ(atomSize(c), kExtentLimit);
  EXPECT_EQ(atomBytes(c).size(), kExtentLimit);
}

TEST(Cell, SizesAndBytesByKind) {
  struct Case {
    std::string bytes;
    std::size_t size;
    std::size_t full;
  };
  std::string real(" \0\0\0\0\0\0\0\0", 9);
  const Case cases[] = {
      {real, 9, 9},           // a real: always 9, whatever its bytes
      {"123", 3, 3},          // integer
      {"[a b]", 5, 5},        // text
      {"plus", 4, 4},         // name
      {"(c)abc", 3, 6},       // blob of 3 bytes
      {"()", 0, 2},           // empty blob
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    CellRef atom(c.bytes);
    EXPECT_EQ(atomSize(atom), c.size);
    EXPECT_EQ(atomBytes(atom).size(), c.full);
  }
  CellRef pair = makePair(CellRef("a"), CellRef("b"));
  EXPECT_EQ(firstByte(pair), 0u);
  EXPECT_EQ(atomSize(pair), 0u);
  EXPECT_TRUE(atomBytes(pair).empty());
}

TEST(Cell, BlobLengthDigits) {
  struct Case {
    std::size_t length;
    std::string prefix;
  };
  const Case cases[] = {{0, "()"}, {63, "(~)"}, {64, "(a_)"}, {65, "(aa)"}, {4096, "(a__)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string payload(c.length, '\0');
    CellRef blob = makeBlob(payload);
    EXPECT_EQ(atomBytes(blob).substr(0, c.prefix.size()), c.prefix);
    EXPECT_EQ(atomSize(blob), c.length);
    EXPECT_EQ(atomBytes(blob).size(), c.prefix.size() + c.length);
    EXPECT_EQ(blobPayload(blob.get()), payload);
  }
}

TEST(Cell, NestBuildsLeftSpines) {
  CellRef n = nest4(CellRef("f"), CellRef("a"), CellRef("b"), CellRef("c"));
  EXPECT_EQ(atomBytes(right(n)), "c");
  EXPECT_EQ(atomBytes(right(left(n))), "b");
  EXPECT_EQ(atomBytes(right(left(left(n)))), "a");
  EXPECT_EQ(atomBytes(left(left(left(n)))), "f");
}

TEST(Cell, FreesTenMillionPairListWithoutDeepRecursion) {
  // Runs on the test's ordinary stack: a recursive free would overflow it.
  std::int64_t before = liveCellBlocks();
  {
    CellRef list("K");
    for (int i = 0; i < 10'000'000; ++i) list = makePair(CellRef("J"), std::move(list));
    CellRef tree = makePair(list, list);  // shared halves
  }
  EXPECT_EQ(liveCellBlocks(), before);
}

TEST(CellDeath, ReleasingAFreeCellIsAnAssertion) {
  EXPECT_DEATH(
      {
        Cell* c = makeAtomCell("a", 1);
        release(c);
      },
      "ASSERTION FAILED:b:");
}

TEST(CellDeath, LeftOfAnAtomIsAnAssertion) {
  EXPECT_DEATH(left(CellRef("a")), "ASSERTION FAILED:b:");
}

TEST(CellDeath, ArityOutOfRangeIsAnAssertion) {
  CellRef a("a");
  EXPECT_DEATH(setArity(a.get(), 12), "ASSERTION FAILED:b:");
  EXPECT_DEATH(setExtent(a.get(), kExtentLimit), "ASSERTION FAILED:b:");
}

// Only code that has not asked isBlobCell first can ask a non-blob for its payload.
TEST(CellDeath, ThePayloadOfANonBlobIsAnAssertion) {
  EXPECT_DEATH(blobPayloadLength(CellRef("(!)").get()), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::cells
