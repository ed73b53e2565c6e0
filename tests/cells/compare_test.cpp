// The structural order of values: Atoms by their full bytes, Atoms before Pairs, Pairs by left
// then right children, deep lists compared without deep native recursion, and shared subtrees
// compared once.
#include "cells/compare.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

#include "cells/real.h"
#include "tests/support/small_stack.h"

namespace vorn::cells {
namespace {

CellRef atom(std::string_view bytes) { return CellRef(bytes); }

TEST(CompareValues, Table) {
  struct Case {
    const char* name;
    CellRef a, b;
    int expected;
  };
  CellRef shared = makePair(atom("x"), atom("y"));
  Case cases[] = {
      {"shorter common prefix first", atom("ab"), atom("b"), 1},
      {"larger byte later", atom("b"), atom("ab"), -1},
      {"prefix comes first", atom("ab"), atom("abc"), 1},
      {"longer comes later", atom("abc"), atom("ab"), -1},
      {"equal bytes, different Cells", atom("42"), atom("42"), 0},
      {"bytes compare unsigned", atom("\x7f"), atom("\x80"), 1},
      {"inner zero byte of a digit Atom counts", atom(std::string_view("1\0" "2", 3)),
       atom(std::string_view("1\0" "3", 3)), 1},
      {"Atom before Pair", atom("zzz"), makePair(atom("a"), atom("a")), 1},
      {"Pair after Atom", makePair(atom("a"), atom("a")), atom("zzz"), -1},
      {"same Cell", shared, shared, 0},
      {"left children decide", makePair(atom("a"), atom("z")), makePair(atom("b"), atom("a")), 1},
      {"then right children", makePair(atom("a"), atom("b")), makePair(atom("a"), atom("a")), -1},
      {"equal structures", makePair(atom("a"), makePair(atom("b"), atom("c"))),
       makePair(atom("a"), makePair(atom("b"), atom("c"))), 0},
      // Blobs compare their whole payload, not only as many bytes as the payload is long.
      {"blobs of equal length", makeBlob("ab"), makeBlob("xy"), 1},
      {"blobs of equal length, reversed", makeBlob("xy"), makeBlob("ab"), -1},
      {"equal blobs", makeBlob(std::string(70, 'q')), makeBlob(std::string(70, 'q')), 0},
      {"blobs differing in the last byte", makeBlob(std::string(69, 'q') + "a"),
       makeBlob(std::string(69, 'q') + "b"), 1},
      {"reals by their bytes, not their values", makeReal(1.0), makeReal(2.0), -1},
      {"reals with a zero byte inside", makeReal(0.0), makeReal(-0.0), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(compareValues(c.a.get(), c.b.get()), c.expected);
    EXPECT_EQ(compareValues(c.b.get(), c.a.get()), -c.expected);
  }
}

// A list of J-like cells: e0 (e1 (... end)).
CellRef longList(std::size_t n, const char* last) {
  CellRef list = atom(last);
  CellRef element = atom("e");
  for (std::size_t i = 0; i < n; ++i) list = makePair(element, std::move(list));
  return list;
}

TEST(CompareValues, LongListsAlongTheRightSpineNeedNoDeepStack) {
  // Run on the ordinary test thread on purpose: the right spine is walked in a loop.
  CellRef a = longList(2000000, "end");
  CellRef b = longList(2000000, "end");
  CellRef c = longList(2000000, "enf");
  EXPECT_EQ(compareValues(a.get(), b.get()), 0);
  EXPECT_EQ(compareValues(a.get(), c.get()), 1);
  EXPECT_EQ(compareValues(c.get(), a.get()), -1);
}

// ((((head a1) a2) ...) an), the arguments counted from the innermost one; `odd` holds the
// argument to put at the given positions instead of x.
CellRef leftNest(const char* head, std::size_t n, std::vector<std::pair<std::size_t, const char*>> odd = {}) {
  CellRef t = atom(head);
  CellRef x = atom("x");
  for (std::size_t i = 1; i <= n; ++i) {
    CellRef arg = x;
    for (auto& [at, bytes] : odd) {
      if (at == i) arg = atom(bytes);
    }
    t = makePair(std::move(t), std::move(arg));
  }
  return t;
}

TEST(CompareValues, DeepLeftNestingNeedsNoDeepStack) {
  constexpr std::size_t kDepth = 1000000;
  int result = support::runOnSmallStack([&] {
    CellRef a = leftNest("f", kDepth), b = leftNest("f", kDepth), c = leftNest("g", kDepth);
    // The innermost difference decides, whatever the outer arguments say.
    CellRef d = leftNest("f", kDepth, {{100, "x"}, {900000, "z"}});
    CellRef e = leftNest("f", kDepth, {{100, "y"}, {900000, "a"}});
    int failures = 0;
    if (compareValues(a.get(), b.get()) != 0) failures |= 1;
    if (compareValues(a.get(), c.get()) != 1 || compareValues(c.get(), a.get()) != -1) failures |= 2;
    if (compareValues(d.get(), e.get()) != 1 || compareValues(e.get(), d.get()) != -1) failures |= 4;
    // A shallower nesting has an Atom where the deeper one has a Pair.
    CellRef shallow = leftNest("f", kDepth - 1);
    if (compareValues(shallow.get(), a.get()) != 1) failures |= 8;
    return failures;
  });
  EXPECT_EQ(result, 0);
}

TEST(CompareValues, DeepZigzagNeedsNoDeepStack) {
  // Each level goes down the left child and then its right child: (((s x) next) y).
  auto zigzag = [](const char* bottom) {
    CellRef t = atom(bottom);
    for (int i = 0; i < 1000000; ++i) {
      t = makePair(makePair(makePair(atom("s"), atom("x")), std::move(t)), atom("y"));
    }
    return t;
  };
  int result = support::runOnSmallStack([&] {
    CellRef a = zigzag("p"), b = zigzag("p"), c = zigzag("q");
    return (compareValues(a.get(), b.get()) == 0 ? 0 : 1) + (compareValues(a.get(), c.get()) == 1 ? 0 : 2);
  });
  EXPECT_EQ(result, 0);
}

// Values doubled `levels` times: d(n) = (d(n-1) d(n-1)), a Pair per level and 2^levels paths.
CellRef doubled(const char* leaf, int levels) {
  CellRef t = atom(leaf);
  for (int i = 0; i < levels; ++i) t = makePair(t, t);
  return t;
}

// The same shape with its last leaf replaced: o(n) = (d(n-1) o(n-1)), o(0) = `last`.
CellRef doubledButTheLast(const char* leaf, const char* last, int levels) {
  CellRef t = atom(last);
  for (int i = 0; i < levels; ++i) t = makePair(doubled(leaf, i), std::move(t));
  return t;
}

TEST(CompareValues, SharedSubtreesAreComparedOnce) {
  // 2^64 paths each: a walk that visited every path would never end.
  CellRef a = doubled("1", 64), b = doubled("1", 64);
  CellRef c = doubledButTheLast("1", "2", 64);
  EXPECT_EQ(compareValues(a.get(), b.get()), 0);
  EXPECT_EQ(compareValues(a.get(), c.get()), 1);
  EXPECT_EQ(compareValues(c.get(), a.get()), -1);
}

// Random values over a pool of shared subtrees, built twice by the same choices so that most
// pairs compare deep; now and then the second build takes another Atom.
TEST(CompareValues, TheRememberingWalkAgreesWithThePlainOne) {
  std::mt19937 random(20261211);
  const char* atoms[] = {"a", "b", "ab", "7"};
  for (int round = 0; round < 300; ++round) {
    std::vector<CellRef> first, second;
    for (int i = 0; i < 40; ++i) {
      bool leaf = first.empty() || random() % 4 == 0;
      if (leaf) {
        const char* bytes = atoms[random() % 4];
        first.push_back(atom(bytes));
        second.push_back(atom(random() % 20 == 0 ? atoms[random() % 4] : bytes));
      } else {
        std::size_t l = random() % first.size(), r = random() % first.size();
        first.push_back(makePair(first[l], first[r]));
        second.push_back(makePair(second[l], second[r]));
      }
    }
    for (int k = 0; k < 20; ++k) {
      const Cell* x = first[random() % first.size()].get();
      const Cell* y = (random() % 2 ? second : first)[random() % first.size()].get();
      ASSERT_EQ(compareSharedValues(x, y), compareValues(x, y)) << "round " << round;
    }
  }
}

TEST(CompareValues, OrdersASetOfValues) {
  std::set<const Cell*, CellOrder> set;
  CellRef values[] = {atom("b"), atom("a"), makePair(atom("a"), atom("b")), atom("a"),
                      makePair(atom("a"), atom("b")), makeBlob("p"), makeBlob("q")};
  for (const CellRef& v : values) set.insert(v.get());
  ASSERT_EQ(set.size(), 5u);
  auto it = set.begin();
  EXPECT_EQ(atomBytesOf(*it++), "(a)p");
  EXPECT_EQ(atomBytesOf(*it++), "(a)q");
  EXPECT_EQ(atomBytesOf(*it++), "a");
  EXPECT_EQ(atomBytesOf(*it++), "b");
  EXPECT_FALSE(isAtomCell(*it));
}

}  // namespace
}  // namespace vorn::cells
