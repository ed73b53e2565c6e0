// Element update of texts: cork puts the new element in as one element, so that it takes back
// exactly what look gives, for texts of bytes, groups and nested groups.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "builtins/convention.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {

CellRef indexLook(CellRef node);
CellRef indexCork(CellRef node);
CellRef indexInto(CellRef node);

namespace {

CellRef look(std::int64_t i, const CellRef& t) {
  return indexLook(cells::nest3(CellRef("look"), cells::makeInteger(i), t));
}

CellRef cork(std::int64_t i, const CellRef& e, const CellRef& t) {
  return indexCork(cells::nest4(CellRef("cork"), cells::makeInteger(i), e, t));
}

CellRef into(std::int64_t start, std::int64_t count, const CellRef& x) {
  return indexInto(cells::nest4(CellRef("into"), cells::makeInteger(start), cells::makeInteger(count), x));
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

// Starts and counts near the largest integers: a slice past the end is Z however the sum of
// start and count would overflow, and a number's slice is made of its stored bits (the bits above
// them are zeros) instead of walking the whole count.
TEST(Into, LargeStartsAndCountsEndInZOrTheStoredBits) {
  constexpr std::int64_t kMax = INT64_MAX;
  constexpr std::int64_t kHuge = 100'000'000'000'000;
  struct Case {
    const char* name;
    CellRef got;
    CellRef expected;
  };
  const Case cases[] = {
      {"blob, both largest", into(kMax, kMax, cells::makeBlob("abc")), CellRef("Z")},
      {"blob, count largest", into(1, kMax, cells::makeBlob("abc")), CellRef("Z")},
      {"text, both largest", into(kMax, kMax, CellRef("[abc]")), CellRef("Z")},
      {"text, count largest", into(1, kMax, CellRef("[abc]")), CellRef("Z")},
      {"real, count largest", into(1, kMax, cells::makeReal(1.5)), CellRef("Z")},
      {"number, a huge count", into(0, kHuge, CellRef("5")), into(0, 64, CellRef("5"))},
      {"number, the largest count", into(3, kMax, CellRef("123456789")), into(3, 64, CellRef("123456789"))},
      {"number, a huge start", into(kHuge, 5, CellRef("5")), into(100, 5, CellRef("5"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(cells::atomBytes(c.got), cells::atomBytes(c.expected));
  }
}

}  // namespace
}  // namespace vorn::builtins
