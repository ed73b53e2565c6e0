// Joining onto a text that only the join holds: plus extends such a text where it lies instead of
// copying it. The result must be the same text as a fresh join would make, and a text that anyone
// else still holds must never change.
#include <gtest/gtest.h>

#include <string>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/text.h"

namespace vorn::builtins {
namespace {

CellRef plus(CellRef a, CellRef b) {
  return builtinTable().at("plus").entry(cells::nest3(CellRef("plus"), std::move(a), std::move(b)));
}

std::string bytesOf(const CellRef& c) { return std::string(cells::atomBytes(c)); }

TEST(TextJoin, GrowingAnUnsharedTextGivesTheJoinedBytes) {
  // Pieces of several lengths, so the text passes every small size class and then grows as a
  // large block many times; numbers join as their written form.
  CellRef text = cells::makeText("");
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    std::string piece(static_cast<std::size_t>(i % 7), static_cast<char>('a' + i % 26));
    if (i % 5 == 0) {
      text = plus(std::move(text), CellRef(std::to_string(i)));
      expected += std::to_string(i);
    } else {
      text = plus(std::move(text), cells::makeText(piece));
      expected += piece;
    }
    ASSERT_EQ(bytesOf(text), "[" + expected + "]") << "after join " << i;
    ASSERT_EQ(cells::atomSize(text), expected.size() + 2);
  }
  EXPECT_EQ(cells::refCount(text.get()), 1u);
}

TEST(TextJoin, ASharedTextIsNeverChanged) {
  CellRef kept = cells::makeText("abc");
  CellRef joined = plus(kept, cells::makeText("de"));  // kept is held here as well
  EXPECT_EQ(bytesOf(joined), "[abcde]");
  EXPECT_EQ(bytesOf(kept), "[abc]");
  EXPECT_NE(joined.get(), kept.get());
}

TEST(TextJoin, ATextHeldThroughASharedNodeIsNeverChanged) {
  CellRef text = cells::makeText("abc");
  cells::Cell* atom = text.get();
  // The function part (plus text) is held twice: once by the node, once here.
  CellRef function = cells::makePair(CellRef("plus"), std::move(text));
  CellRef node = cells::makePair(function, cells::makeText("x"));
  CellRef joined = builtinTable().at("plus").entry(std::move(node));
  EXPECT_EQ(bytesOf(joined), "[abcx]");
  EXPECT_EQ(cells::atomBytesOf(cells::rightOf(function.get())), "[abc]");
  EXPECT_EQ(cells::rightOf(function.get()), atom);
}

}  // namespace
}  // namespace vorn::builtins
