// Element update of texts: cork puts the new element in as one element, so that it takes back
// exactly what look gives, for texts of bytes, groups and nested groups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtins/convention.h"
#include "cells/integer.h"
#include "cells/text.h"

namespace vorn::builtins {

CellRef indexLook(CellRef node);
CellRef indexCork(CellRef node);

namespace {

CellRef look(std::int64_t i, const CellRef& t) {
  return indexLook(cells::nest3(CellRef("look"), cells::makeInteger(i), t));
}

CellRef cork(std::int64_t i, const CellRef& e, const CellRef& t) {
  return indexCork(cells::nest4(CellRef("cork"), cells::makeInteger(i), e, t));
}

// A text's bytes, pieces joined.
std::string flat(const CellRef& t) { return std::string(cells::atomBytes(cells::flattenText(t))); }

std::int64_t elementCount(const CellRef& t) {
  std::int64_t n = 0;
  while (!cells::isOneByteAtom(look(n, t).get(), 'Z')) ++n;
  return n;
}

TEST(Cork, PutsBackWhatLookTookOutAtEveryIndex) {
  std::vector<CellRef> texts = {
      CellRef("[a[bc]d]"),
      CellRef("[abc]"),
      CellRef("[[x]]"),
      CellRef("[[]a[]]"),
      CellRef("[a[b[c[d]]e]f]"),
      CellRef("[[p]x[q][r]]"),
      CellRef("[0~ \xC8\x01]"),
      cells::makeText(std::string("z\0y", 3)),
      // A text made of pieces: [ab] joined with [c] is "[ab[c]]".
      cells::makePair(CellRef("[ab]"), CellRef("[c]")),
  };
  for (const CellRef& t : texts) {
    std::int64_t n = elementCount(t);
    ASSERT_GT(n, 0) << flat(t);
    for (std::int64_t i = -n; i < n; ++i) {
      SCOPED_TRACE(flat(t) + " at " + std::to_string(i));
      EXPECT_EQ(flat(cork(i, look(i, t), t)), flat(t));
    }
  }
}

TEST(Cork, ANameIsItsByteAndAnyOtherTextOneGroup) {
  CellRef abc("[abc]");
  struct Case {
    CellRef e;
    const char* result;
  };
  const Case cases[] = {
      {look(0, CellRef("[x]")), "[axc]"},  // the name look gives for the byte x
      {CellRef("[x]"), "[a[x]c]"},
      {CellRef("[xy]"), "[a[xy]c]"},
      {CellRef("[]"), "[a[]c]"},
      {CellRef("[x[y]]"), "[a[x[y]]c]"},
      {cells::makePair(CellRef("[x]"), CellRef("[y]")), "[a[x[y]]c]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    EXPECT_EQ(flat(cork(1, c.e, abc)), c.result);
  }
}

}  // namespace
}  // namespace vorn::builtins
