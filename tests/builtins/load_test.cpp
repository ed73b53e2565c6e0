// load called on hand-built nodes over a checked running program: the three source forms, the
// refusals and what they leave behind, definitions that later loads use, and sources far larger
// or deeper than any program test holds. Whole programs are in tests/programs/load.t.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "check/checker.h"
#include "eval/combinators.h"
#include "front/printer.h"
#include "eval/reducer.h"
#include "program/tables.h"
#include "front/loader.h"
#include "front/parser.h"
#include "front/source_text.h"
#include "session/startup.h"
#include "tests/support/small_stack.h"

namespace vorn::builtins {
namespace {

using cells::CellRef;
using cells::makePair;

class Load : public ::testing::Test {
 protected:
  // A running program that defines `helper`, checked as a run checks it.
  void SetUp() override {
    session::startUp();
    ASSERT_TRUE(front::loadProgram("0,helper\\x\\x").ok());
    ASSERT_TRUE(check::checkProgram().ok());
    eval::resetCombinators();
  }

  // load applied to the source and evaluated, as a program's call of it is.
  static CellRef load(CellRef source) {
    return eval::evaluate(makePair(CellRef("load"), std::move(source)));
  }
  static std::string loadText(std::string_view source) {
    return front::showSource(load(cells::makeText(source)));
  }

  static std::string stored(std::string_view name) {
    return front::showSource(CellRef::borrow(program::findGlobal(name)));
  }
  static std::string shownTerm(std::string_view text) {
    return front::showSource(front::parseExpression(front::normalise(text)));
  }

  // Every global name with its definition's Cell, and the recompute set.
  struct Snapshot {
    std::vector<std::pair<std::string, const cells::Cell*>> table;
    std::set<std::string, std::less<>> recompute;
    bool operator==(const Snapshot&) const = default;
  };
  static Snapshot snapshot() {
    Snapshot s;
    for (const auto& [name, definition] : program::globals().all()) s.table.emplace_back(name, definition.get());
    s.recompute = program::tables().recompute();
    return s;
  }
};

TEST_F(Load, TheThreeSourceFormsReadTheSameText) {
  EXPECT_EQ(loadText("plus 40 2"), "42");
  EXPECT_EQ(front::showSource(load(cells::makeBlob("plus 40 2"))), "42");
  // A text Pair stands for its pieces joined, the right one as the last element.
  CellRef pieces = makePair(cells::makeText("lisp 5 = "), cells::makeText("5"));
  ASSERT_EQ(cells::valueKind(pieces), 'u');
  EXPECT_EQ(front::showSource(load(pieces)), "K");
  // The zero-terminated string at an address; what follows the zero is not read.
  std::string bytes("plus 40 2\0plus 1", 16);
  auto address = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(bytes.data()));
  EXPECT_EQ(front::showSource(load(cells::makeInteger(address))), "42");
}

TEST_F(Load, ValuesThatHoldNoSourceGiveZ) {
  const CellRef cases[] = {
      cells::makeReal(1.5), CellRef("00"), CellRef("K"), makePair(CellRef("V"), CellRef("1")),
      cells::makeInteger(0),  // the null address holds no string
  };
  for (const CellRef& value : cases) {
    SCOPED_TRACE(front::showSource(value));
    EXPECT_EQ(front::showSource(load(value)), "Z");
  }
}

TEST_F(Load, DefinitionsJoinTheProgramInTheirStoredForm) {
  EXPECT_EQ(loadText("twice 3,twice\\num\\num*2,fresh()\\plus 1 2"), "6");
  // The long parameter name became a letter.
  EXPECT_EQ(stored("twice"), shownTerm("a\\a*2"));
  EXPECT_EQ(program::tables().recompute().count("twice"), 0u);
  // The empty-call form is stored as (I body) and recomputed at every use.
  EXPECT_EQ(stored("fresh"), shownTerm("I (plus 1 2)"));
  EXPECT_EQ(program::tables().recompute().count("fresh"), 1u);
  // A later load sees both, with the arity their definitions give them.
  EXPECT_EQ(loadText("twice (twice fresh)"), "12");
}

TEST_F(Load, ARefusedSourceLeavesTheTablesAsTheyWere) {
  const char* sources[] = {
      "first,first\\1,plus\\2",           // a builtin
      "first,first\\1,helper\\2",         // the running program's own definition
      "first,first\\1,S\\2",              // a Prelude combinator
      "first,first\\1,q\\2",              // a single lowercase letter
      ",first\\1",                        // no entry expression
      "first,first\\1,later()\\(",        // unbalanced
      "first,first()\\nothere",           // an undefined name the entry reaches
      "first,first\\1,bad\\(g x)\\x",     // a malformed binder
      "first,first\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\a",  // eleven parameters
  };
  Snapshot before = snapshot();
  for (const char* source : sources) {
    SCOPED_TRACE(source);
    EXPECT_EQ(loadText(source), "Z");
    EXPECT_TRUE(snapshot() == before);
  }
  // None of them left `first` behind, so it can still be defined.
  EXPECT_EQ(loadText("first,first\\7"), "7");
}

TEST_F(Load, ACycleInTheLoadedSourceEndsTheCallersEvaluation) {
  CellRef result = eval::evaluate(cells::makePair(
      cells::makePair(CellRef("K"), makePair(CellRef("load"), cells::makeText("loop,loop\\loop+1"))),
      CellRef("1")));
  // The memo marker itself, exactly as a cycle in the program file ends its evaluation.
  ASSERT_FALSE(cells::isPair(result));
  EXPECT_EQ(cells::atomBytes(result), ")loop");
}

TEST_F(Load, NestedLoadsShareTheDefinitionsAsTheyAreAdded) {
  EXPECT_EQ(loadText("inc (load [sq 3,sq\\x\\x*x]),inc\\x\\x+1"), "10");
  EXPECT_NE(program::findGlobal("sq"), nullptr);
  EXPECT_NE(program::findGlobal("inc"), nullptr);
}

TEST_F(Load, HugeAndDeeplyNestedSourcesLoad) {
  int status = support::runOnSmallStack([] {
    constexpr int kDepth = 200000;
    std::string deep = std::string(kDepth, '(') + "plus 1 1" + std::string(kDepth, ')');
    std::string sum = "0";
    for (int i = 0; i < kDepth; ++i) sum += "+1";
    std::string wide = "[" + std::string(std::size_t{1} << 22, 'x') + "]";
    int failures = 0;
    if (loadText(deep) != "2") failures |= 1;
    if (loadText(sum) != std::to_string(kDepth)) failures |= 2;
    CellRef text = load(cells::makeText(wide));
    if (cells::isPair(text) || cells::atomBytes(text) != wide) failures |= 4;
    return failures;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vorn::builtins
