// The interactive session's lines: what defines and what is evaluated, refusals that leave the
// session as it was, and an interrupted evaluation that leaves no half-computed definition behind.
#include "session/interactive.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "program/tables.h"
#include "support/interrupt.h"

namespace vorn::session {
namespace {

using Kind = LineOutcome::Kind;

class Interactive : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startInteractive(std::nullopt).ok()); }
  void TearDown() override { support::interruptRequested.store(false); }

  static std::string value(std::string_view line) {
    LineOutcome outcome = enterLine(line);
    EXPECT_EQ(outcome.kind, Kind::kValue) << line << ": " << outcome.report.message;
    return outcome.shown;
  }
  static support::ErrorReport refusal(std::string_view line) {
    LineOutcome outcome = enterLine(line);
    EXPECT_EQ(outcome.kind, Kind::kReport) << line;
    return outcome.report;
  }
};

TEST_F(Interactive, WhatALineIs) {
  struct Case {
    std::string line;
    Kind kind;
  };
  const Case cases[] = {
      {"", Kind::kNothing},
      {"  \n ", Kind::kNothing},
      {",", Kind::kNothing},
      {"twice\\x\\x*2", Kind::kDefined},
      {"thrice()\\3", Kind::kDefined},
      {",inc\\x\\x+1,dec\\x\\x-1", Kind::kDefined},
      {"[+]\\x\\x", Kind::kReport},      // the Prelude's + exists
      {"(y\\y)", Kind::kValue},          // a lambda in parentheses is an expression
      {"twice 2", Kind::kValue},
      {"yy, yy\\4", Kind::kValue},      // an expression with a definition after it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(enterLine(c.line).kind, c.kind);
  }
  EXPECT_EQ(value("twice(inc(dec thrice))"), "6");
  EXPECT_EQ(value("yy"), "4");
}

TEST_F(Interactive, ValuesShowInSourceForm) {
  EXPECT_EQ(value("[a b]"), "[a b]");
  EXPECT_EQ(value("plus 1"), "plus1");
  EXPECT_EQ(value("K"), "K");
  EXPECT_EQ(value("atof [x]"), "real[0.000000e+00]");
  EXPECT_EQ(value("init [a]"), "init[a]");
}

TEST_F(Interactive, RefusedLinesLeaveNoDefinitionBehind) {
  EXPECT_EQ(refusal("aa\\1, bb\\cc").type, "Alive");
  EXPECT_EQ(program::findGlobal("aa"), nullptr);
  EXPECT_EQ(refusal("aa\\1, x\\2").type, "Lower");
  EXPECT_EQ(refusal("x\\2").type, "Lower");
  EXPECT_EQ(refusal("aa\\1, plus\\2").type, "Built");
  EXPECT_EQ(program::findGlobal("aa"), nullptr);
  EXPECT_EQ(enterLine("aa\\1").kind, Kind::kDefined);
  support::ErrorReport twice = refusal("aa\\2");
  EXPECT_EQ(twice.type, "Twice");
  EXPECT_EQ(twice.name, "aa");
  EXPECT_EQ(twice.message, "Function [aa] is already defined.");
  EXPECT_EQ(refusal("bb\\1, aa\\3").type, "Twice");
  EXPECT_EQ(program::findGlobal("bb"), nullptr);
  EXPECT_EQ(value("aa"), "1");
}

TEST_F(Interactive, EveryDefinitionOfALineIsChecked) {
  // Nothing reaches "lonely" from an entry, but it is still refused for its undefined name.
  support::ErrorReport report = refusal("lonely\\n\\nope n");
  EXPECT_EQ(report.type, "Alive");
  EXPECT_EQ(report.message, "Alive function [lonely] references undefined [nope].");
}

TEST_F(Interactive, AProgramsDefinitionsAreLoadedAndAllChecked) {
  ASSERT_TRUE(startInteractive("main,\nmain\\args\\puts [no],\nsq\\n\\n*n").ok());
  EXPECT_EQ(value("sq 9"), "81");
  EXPECT_EQ(refusal("sq\\n\\n").type, "Twice");
  support::ErrorReport broken = startInteractive("main,\nmain\\args\\0,\nlost\\n\\nope");
  EXPECT_EQ(broken.type, "Alive");
  EXPECT_EQ(startInteractive("main,\nmain\\args\\(0").type, "Match");
}

TEST_F(Interactive, AStartForgetsThePreviousSession) {
  ASSERT_EQ(enterLine("aa\\1").kind, Kind::kDefined);
  ASSERT_TRUE(startInteractive(std::nullopt).ok());
  EXPECT_EQ(refusal("aa").type, "Alive");
}

void requestInterrupt(int) { support::interruptRequested.store(true); }

// The `raise` builtin delivers SIGINT in the middle of computing "slow", whose memo marker then
// stands in the table; the next step is interrupted, and "slow" goes back to its definition.
TEST_F(Interactive, AnInterruptedEvaluationLeavesTheDefinitionsAsTheyWere) {
  struct sigaction action {};
  struct sigaction before {};
  action.sa_handler = requestInterrupt;
  sigemptyset(&action.sa_mask);
  ASSERT_EQ(sigaction(SIGINT, &action, &before), 0);
  ASSERT_EQ(enterLine("slow\\raise(2)+spin 0, spin\\n\\spin(n+1)").kind, Kind::kDefined);
  EXPECT_EQ(enterLine("slow").kind, Kind::kInterrupted);
  sigaction(SIGINT, &before, nullptr);
  support::interruptRequested.store(false);
  cells::Cell* slow = program::findGlobal("slow");
  ASSERT_NE(slow, nullptr);
  // The definition as loaded, (+ (raise 2)) (spin 0): no memo marker at its head.
  ASSERT_FALSE(cells::isAtomCell(slow));
  EXPECT_FALSE(cells::isAtomCell(cells::leftOf(slow)));
  // A cycle stops an evaluation too; what it was computing is computed afresh next time.
  ASSERT_EQ(enterLine("ok\\1+2, bad\\ok+loop, loop\\loop").kind, Kind::kDefined);
  EXPECT_EQ(refusal("bad").name, "loop");
  EXPECT_EQ(refusal("bad").name, "loop");
  EXPECT_EQ(value("ok"), "3");
}

TEST_F(Interactive, AFlagSetBeforeTheEvaluationInterruptsIt) {
  support::interruptRequested.store(true);
  EXPECT_EQ(enterLine("1+1").kind, Kind::kInterrupted);
  support::interruptRequested.store(false);
  EXPECT_EQ(value("1+1"), "2");
}

TEST(QuitCommand, IsTheWordAlone) {
  EXPECT_TRUE(isQuitCommand(":quit"));
  EXPECT_TRUE(isQuitCommand("  :quit \r"));
  EXPECT_FALSE(isQuitCommand(":quit now"));
  EXPECT_FALSE(isQuitCommand(":q"));
  EXPECT_FALSE(isQuitCommand(""));
}

}  // namespace
}  // namespace vorn::session
