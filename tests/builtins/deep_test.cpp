// Builtins that walk trees a program built, fed trees a million levels deep on a thread with a
// small native stack: rows writes the nested text of a boxed tree from a work list.
#include <gtest/gtest.h>

#include <string>

#include "builtins/table.h"
#include "builtins/tree_forms.h"
#include "cells/cell.h"
#include "tests/support/small_stack.h"

namespace vorn::builtins {
namespace {

using cells::CellRef;
using cells::makePair;

constexpr std::size_t kDepth = 1000000;

std::string rowsOf(CellRef payload) {
  CellRef text = builtinTable().at("rows").entry(makePair(CellRef("rows"), makeBoxed(std::move(payload))));
  return std::string(cells::atomBytes(text));
}

TEST(DeepTrees, RowsOfALongListAndOfADeepNesting) {
  int failures = support::runOnSmallStack([] {
    int f = 0;
    CellRef empty("K"), j("J");
    // J (J (J K K) K) K: a list of a million empty lists, grown along its first part.
    CellRef list = empty;
    for (std::size_t i = 0; i < kDepth; ++i) list = cells::nest3(j, std::move(list), empty);
    std::string expected = "[";
    for (std::size_t i = 0; i < kDepth; ++i) expected += "[]";
    if (rowsOf(list) != expected + "]") f |= 1;
    // J K (J K (... K)): each list holds the next one as its only element.
    CellRef nested = empty;
    for (std::size_t i = 0; i < kDepth; ++i) nested = cells::nest3(j, empty, std::move(nested));
    if (rowsOf(nested) != std::string(kDepth + 1, '[') + std::string(kDepth + 1, ']')) f |= 2;
    // Anything but K or J at the bottom is no tree of lists.
    CellRef broken = CellRef("H");
    for (std::size_t i = 0; i < kDepth; ++i) broken = cells::nest3(j, empty, std::move(broken));
    if (rowsOf(broken) != "Z") f |= 4;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace vorn::builtins
