// The interning set: equal values become one Cell, the set owns one reference per member, and
// interning reuses the Cells it is given wherever they are already canonical.
#include "check/intern.h"

#include <gtest/gtest.h>

#include "cells/compare.h"
#include "term_builder.h"
#include "tests/support/small_stack.h"

namespace vorn::check {
namespace {

using cells::CellRef;
using cells::refCount;
using testing::term;

class Intern : public ::testing::Test {
 protected:
  void SetUp() override { clearInternSet(); }
  void TearDown() override { clearInternSet(); }
};

TEST_F(Intern, EqualValuesBecomeTheSameCell) {
  CellRef a = intern(term("(f (g x) (g x))"));
  CellRef b = intern(term("(f (g x) (g x))"));
  EXPECT_EQ(a.get(), b.get());
  // The two equal arguments inside one value are shared as well.
  EXPECT_EQ(cells::rightOf(a.get()), cells::rightOf(cells::leftOf(a.get())));
  EXPECT_NE(intern(term("(f (g x) (g y))")).get(), a.get());
}

TEST_F(Intern, AnAtomIsInsertedItselfAndHeldOnce) {
  CellRef x("xyz");
  CellRef canonical = intern(x);
  EXPECT_EQ(canonical.get(), x.get());
  EXPECT_EQ(refCount(x.get()), 3u);  // x, canonical, and the set's own reference
  EXPECT_EQ(intern(CellRef("xyz")).get(), x.get());
  EXPECT_EQ(internSet().size(), 1u);
}

TEST_F(Intern, APairOfCanonicalChildrenIsInsertedItself) {
  CellRef f = intern(CellRef("f"));
  CellRef y = intern(CellRef("y"));
  CellRef pair = cells::makePair(f, y);
  EXPECT_EQ(intern(pair).get(), pair.get());
  EXPECT_EQ(internSet().size(), 3u);
}

TEST_F(Intern, APairOfOtherChildrenIsRebuiltFromCanonicalOnes) {
  CellRef y = intern(CellRef("y"));
  CellRef pair = term("(f y)");
  CellRef canonical = intern(pair);
  EXPECT_NE(canonical.get(), pair.get());
  EXPECT_EQ(cells::rightOf(canonical.get()), y.get());
  EXPECT_EQ(refCount(pair.get()), 1u);  // the given Pair was not kept
}

TEST_F(Intern, ClearingReleasesEveryMember) {
  CellRef value = term("(f (g x))");
  intern(value);
  EXPECT_EQ(refCount(value.get()), 2u);
  clearInternSet();
  EXPECT_TRUE(internSet().empty());
  EXPECT_EQ(refCount(value.get()), 1u);
  EXPECT_EQ(refCount(cells::leftOf(value.get())), 1u);
}

TEST_F(Intern, AVeryDeepListInternsAndSharesItsSuffixes) {
  int status = support::runOnSmallStack([] {
    constexpr int kLength = 1000000;
    CellRef first("K"), second("K");
    for (int i = 0; i < kLength; ++i) {
      std::string element = std::to_string(i);
      first = cells::makePair(cells::makePair(CellRef("J"), CellRef(element)), first);
      second = cells::makePair(cells::makePair(CellRef("J"), CellRef(element)), second);
    }
    CellRef a = intern(first);
    CellRef b = intern(second);
    // Every element Pair (J i) of the second list was replaced by the first list's.
    return a.get() == b.get() && cells::compareValues(a.get(), first.get()) == 0 ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

TEST_F(Intern, AMillionLevelsThroughLeftChildrenIntern) {
  // Each level is ((g<i> inner) y): the walk goes down a left child and then its right child.
  CellRef y("y");
  auto zigzag = [&] {
    CellRef t("bottom");
    for (int i = 0; i < 1000000; ++i) {
      std::string name = "g";
      name += std::to_string(i);
      CellRef head(name);
      t = cells::makePair(cells::makePair(std::move(head), std::move(t)), y);
    }
    return t;
  };
  int status = support::runOnSmallStack([&] {
    CellRef first = zigzag(), second = zigzag();
    CellRef a = intern(first);
    CellRef b = intern(second);
    // Its Atoms all differ, so the first term is canonical already and is kept itself; the
    // second, with Atoms of its own, becomes the first.
    int failures = a.get() == first.get() ? 0 : 1;
    if (b.get() != a.get()) failures |= 2;
    return failures;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vorn::check
