// The memo of recent long integers: found by the Atom it holds, which stays alive while held and
// is let go of when replaced; the oldest entry goes first; and integer Atoms written through it
// read back as the values of their digits.
#include "cells/decimal_memo.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cells/allocator.h"
#include "tests/support/decimal_reference.h"

namespace vorn::cells {
namespace {

BigInt valueOf(const std::string& digits) { return BigInt::fromDigits(digits, false).value(); }

class DecimalMemo : public ::testing::Test {
 protected:
  void SetUp() override { forgetIntegers(); }
  void TearDown() override { forgetIntegers(); }
  std::mt19937_64 rng_{31};
};

TEST_F(DecimalMemo, FoundByItsAtomOnly) {
  std::string digits = reference::randomDigits(rng_, 500);
  CellRef atom(digits);
  BigInt value = valueOf(digits);
  EXPECT_EQ(recallInteger(atom.get()), nullptr);
  rememberInteger(atom, value);
  const BigInt* found = recallInteger(atom.get());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, value);
  // Another Atom with the same digits is not that entry (it is read from its digits instead).
  CellRef twin(digits);
  EXPECT_EQ(recallInteger(twin.get()), nullptr);
}

TEST_F(DecimalMemo, AnEntryKeepsItsAtomAliveUntilReplaced) {
  std::int64_t before = liveCellBlocks();
  const Cell* held = nullptr;
  {
    std::string digits = reference::randomDigits(rng_, 300);
    CellRef atom(digits);
    held = atom.get();
    rememberInteger(atom, valueOf(digits));
  }
  EXPECT_EQ(liveCellBlocks(), before + 1);  // no one else holds it, yet it is not freed
  ASSERT_NE(recallInteger(held), nullptr);
  EXPECT_EQ(atomSizeOf(held), 300u);
  forgetIntegers();
  EXPECT_EQ(liveCellBlocks(), before);
}

TEST_F(DecimalMemo, ShortAndOverlongAtomsAreNotKept) {
  std::string shortDigits = reference::randomDigits(rng_, kMemoMinDigits - 1);
  CellRef shortAtom(shortDigits);
  rememberInteger(shortAtom, valueOf(shortDigits));
  EXPECT_EQ(recallInteger(shortAtom.get()), nullptr);
  std::string shortest = reference::randomDigits(rng_, kMemoMinDigits);
  CellRef shortestAtom(shortest);
  rememberInteger(shortestAtom, valueOf(shortest));
  EXPECT_NE(recallInteger(shortestAtom.get()), nullptr);
  CellRef overlong(std::string(kMemoMaxDigits + 1, '7'));
  rememberInteger(overlong, BigInt(7));  // would be wrong if kept, and must not be
  EXPECT_EQ(recallInteger(overlong.get()), nullptr);
}

TEST_F(DecimalMemo, TheOldestEntryGoesFirst) {
  std::vector<CellRef> atoms;
  std::vector<BigInt> values;
  for (int i = 0; i < 6; ++i) {
    std::string digits = reference::randomDigits(rng_, 100 + static_cast<std::size_t>(i));
    atoms.emplace_back(digits);
    values.push_back(valueOf(digits));
  }
  for (int i = 0; i < 4; ++i) rememberInteger(atoms[i], values[i]);
  for (int i = 0; i < 4; ++i) EXPECT_NE(recallInteger(atoms[i].get()), nullptr) << i;
  rememberInteger(atoms[4], values[4]);
  EXPECT_EQ(recallInteger(atoms[0].get()), nullptr);
  for (int i = 1; i < 5; ++i) EXPECT_NE(recallInteger(atoms[i].get()), nullptr) << i;
  rememberInteger(atoms[1], values[1]);  // already there: nothing is replaced
  EXPECT_NE(recallInteger(atoms[1].get()), nullptr);
  rememberInteger(atoms[5], values[5]);
  EXPECT_EQ(recallInteger(atoms[1].get()), nullptr);
  for (int i = 2; i < 6; ++i) {
    ASSERT_NE(recallInteger(atoms[i].get()), nullptr) << i;
    EXPECT_EQ(*recallInteger(atoms[i].get()), values[i]) << i;
  }
}

// Writing an integer Atom remembers the magnitude of its value, for either sign.
TEST_F(DecimalMemo, IntegerAtomsAreRememberedWithTheirMagnitude) {
  for (std::size_t length : {62u, 63u, 64u, 1000u, 20000u}) {
    std::string digits = reference::randomDigits(rng_, length);
    BigInt value = valueOf(digits);
    for (bool negative : {false, true}) {
      SCOPED_TRACE(::testing::Message() << length << (negative ? " negative" : ""));
      CellRef atom = makeIntegerAtom(negative ? value.negated() : value);
      EXPECT_EQ(std::string(atomBytes(atom)), negative ? "0" + digits : digits);
      const BigInt* found = recallInteger(atom.get());
      bool kept = atomSize(atom) >= kMemoMinDigits;
      ASSERT_EQ(found != nullptr, kept);
      if (kept) {
        EXPECT_EQ(*found, value);
      }
    }
  }
}

}  // namespace
}  // namespace vorn::cells
