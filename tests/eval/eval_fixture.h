// A fixture for evaluation tests: a fresh start-up (Prelude and builtins) before each test, and
// helpers to load definitions, parse a term and evaluate it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "cells/cell.h"
#include "front/printer.h"
#include "eval/reducer.h"
#include "program/tables.h"
#include "front/loader.h"
#include "front/parser.h"
#include "front/source_text.h"
#include "session/startup.h"

namespace vorn::eval {

using front::showSource;
using front::showValue;

class EvalTest : public ::testing::Test {
 protected:
  // Start-up and an empty program: the Prelude and the builtin placeholders are in the table.
  void SetUp() override {
    session::startUp();
    load("");
  }

  // Loads a program text (entry first, then definitions) into the global table.
  void load(std::string_view program) {
    support::ErrorReport report = front::loadProgram(program);
    ASSERT_TRUE(report.ok()) << report.type << ": " << report.message;
  }

  static cells::CellRef parse(std::string_view text) {
    return front::parseExpression(front::normalise(text));
  }

  // Evaluates a term written in the language and shows the value in source form.
  static std::string eval(std::string_view text) { return showSource(evaluate(parse(text))); }
};

}  // namespace vorn::eval
