// The interning set: equal values become one Cell, the set owns one reference per member, and
// interning reuses the Cells it is given wherever they are already canonical.
#include "program/intern.h"

#include <gtest/gtest.h>

#include "cells/compare.h"
#include "program/tables.h"
#include "tests/check/term_builder.h"
#include "tests/support/small_stack.h"

namespace vorn::program {
namespace {

using cells::CellRef;
using cells::refCount;
using check::testing::show;
using check::testing::term;

// The running program's set, which these tests fill and empty.
InternSet& internSet() { return tables().interned(); }

class Intern : public ::testing::Test {
 protected:
  void SetUp() override { tables().reset(); }
  void TearDown() override { tables().reset(); }
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
  internSet().clear();
  EXPECT_TRUE(internSet().empty());
  EXPECT_EQ(refCount(value.get()), 1u);
  EXPECT_EQ(refCount(cells::leftOf(value.get())), 1u);
}

TEST_F(Intern, ResettingTheTablesReleasesEveryMember) {
  CellRef value = term("(f (g x))");
  intern(value);
  EXPECT_EQ(refCount(value.get()), 2u);
  tables().reset();
  EXPECT_TRUE(internSet().empty());
  EXPECT_EQ(refCount(value.get()), 1u);
  // Nothing of the old set is found: an equal value becomes canonical itself.
  CellRef equal = term("(f (g x))");
  EXPECT_EQ(intern(equal).get(), equal.get());
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

// Keeps the Pairs headed by the Atom "keep" (and every Atom): a stand-in for the checker's rule
// that only values stay interned.
bool keptByHead(cells::Cell* c) {
  return cells::isAtomCell(c) || cells::atomBytesOf(cells::leftOf(c)) == "keep";
}

TEST_F(Intern, DroppedCellsInsideAKeptOneStillLeadToIt) {
  CellRef kept = intern(term("(keep (f (g x)))"));
  CellRef dropped = intern(term("(h (g y))"));
  CellRef inside = CellRef::borrow(cells::rightOf(kept.get()));  // (f (g x))
  internSet().keepOnly(keptByHead);
  // The kept Pair and the six Atoms stay members; (f (g x)), (g x), (h (g y)), (g y) do not.
  EXPECT_EQ(internSet().size(), 7u);
  for (cells::Cell* member : internSet()) EXPECT_TRUE(keptByHead(member)) << show(member);
  EXPECT_EQ(refCount(dropped.get()), 1u);  // the set let go of the Pair outside every kept one
  EXPECT_EQ(refCount(inside.get()), 2u);   // held by the kept Pair and by `inside` alone
  // A value equal to the kept one, made of fresh Cells, is still the kept one; nothing joins.
  EXPECT_EQ(intern(term("(keep (f (g x)))")).get(), kept.get());
  EXPECT_EQ(internSet().size(), 7u);
  // A new value that holds a dropped Cell's equal is built on that Cell, which the new member
  // keeps alive.
  CellRef again = intern(term("(other (f (g x)))"));
  EXPECT_EQ(cells::rightOf(again.get()), inside.get());
  EXPECT_EQ(refCount(inside.get()), 3u);  // the kept Pair, `inside` and the new Pair
  EXPECT_EQ(internSet().size(), 9u);      // other and (other (f (g x))) joined
  // The Pair outside every kept one is forgotten: an equal one becomes canonical itself.
  CellRef fresh = term("(h (g y))");
  EXPECT_NE(intern(fresh).get(), dropped.get());
}

TEST_F(Intern, AKeptValueHoldingTheOnlyReferenceToADroppedCellIsFoundItself) {
  // (f (g x)) is held by the kept Pair alone once the set lets go of it; interning the kept Pair,
  // or a Pair around the dropped one, must neither add it twice nor make it a member again.
  CellRef kept = intern(term("(keep (f (g x)))"));
  internSet().keepOnly(keptByHead);
  cells::Cell* inside = cells::rightOf(kept.get());
  ASSERT_EQ(refCount(inside), 1u);
  std::size_t size = internSet().size();
  EXPECT_EQ(intern(kept).get(), kept.get());
  EXPECT_EQ(internSet().size(), size);
  CellRef around = cells::makePair(CellRef::borrow(inside), CellRef("y"));
  EXPECT_EQ(intern(around).get(), around.get());  // its parts are canonical: it joins itself
  EXPECT_EQ(internSet().size(), size + 2);        // y and the new Pair
  internSet().keepOnly(keptByHead);               // every Cell the walk met is known once
  EXPECT_EQ(intern(term("(keep (f (g x)))")).get(), kept.get());
}

TEST_F(Intern, ASharedSubtermIsInternedOnce) {
  // Sixty levels of (t t) over an Atom equal to a member but not the member: as a tree it has
  // 2^60 leaves, as Cells sixty-one; every level must be rebuilt, each only once.
  CellRef canonical = intern(CellRef("leaf"));
  CellRef t("leaf");
  for (int i = 0; i < 60; ++i) t = cells::makePair(t, t);
  CellRef interned = intern(t);
  const cells::Cell* c = interned.get();
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(cells::leftOf(c), cells::rightOf(c));
    c = cells::leftOf(c);
  }
  EXPECT_EQ(c, canonical.get());
  EXPECT_EQ(internSet().size(), 61u);
}

TEST_F(Intern, AMillionNestedApplicationsInternInLinearTime) {
  // (I (I (I ... 7))) twice from fresh Cells: the second is the first, level by level.
  int status = support::runOnSmallStack([] {
    auto nest = [] {
      CellRef t("7"), head("I");
      for (int i = 0; i < 1000000; ++i) t = cells::makePair(head, std::move(t));
      return t;
    };
    CellRef first = nest(), second = nest();
    CellRef a = intern(first);
    CellRef b = intern(second);
    if (a.get() != first.get()) return 1;  // canonical already: it stays itself
    if (b.get() != a.get()) return 2;
    return internSet().size() == 1000002u ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
}

// A copy of t made of fresh Cells only.
CellRef freshCopy(const cells::Cell* t) {
  if (cells::isAtomCell(t)) return CellRef(cells::atomBytesOf(t));
  return cells::makePair(freshCopy(cells::leftOf(t)), freshCopy(cells::rightOf(t)));
}

bool headIsShort(cells::Cell* c) {
  return cells::isAtomCell(c) || cells::atomBytesOf(cells::leftOf(c)).size() < 4 ||
         !cells::isAtomCell(cells::leftOf(c));
}
bool headIsLong(cells::Cell* c) { return cells::isAtomCell(c) || !headIsShort(c); }

TEST_F(Intern, MembersStayFoundAfterSetsOfThemAreDropped) {
  // Thousands of small terms sharing parts, dropped and kept in two rounds by two rules; after
  // each round every member is still what a fresh copy of it interns to, and a dropped term,
  // which lies inside no kept one, is forgotten.
  auto make = [](int i) {
    std::string head = std::string(1 + i % 6, 'h');
    return term("(" + head + " (g (k n" + std::to_string(i % 97) + ")) (f" + std::to_string(i) + " x))");
  };
  std::vector<CellRef> canonical;
  for (int i = 0; i < 3000; ++i) canonical.push_back(intern(make(i)));
  int next = 3000;
  for (bool (*rule)(cells::Cell*) : {headIsShort, headIsLong}) {
    SCOPED_TRACE(rule == headIsShort ? "short heads kept" : "long heads kept");
    internSet().keepOnly(rule);
    std::vector<CellRef> before;
    before.swap(canonical);
    for (int end = next + 500; next < end; ++next) canonical.push_back(intern(make(next)));
    std::size_t size = internSet().size();
    std::vector<cells::Cell*> members(internSet().begin(), internSet().end());
    for (cells::Cell* member : members) {
      ASSERT_EQ(intern(freshCopy(member)).get(), member) << show(member);
    }
    EXPECT_EQ(internSet().size(), size);
    for (const CellRef& t : before) {
      CellRef again = intern(freshCopy(t.get()));
      ASSERT_EQ(again.get() == t.get(), rule(t.get())) << show(t.get());
      canonical.push_back(again);
    }
  }
}

}  // namespace
}  // namespace vorn::program
