// The expression parser: turns a validated, normalised text into an expression tree of Cells.
// There are no tokens: each of fourteen precedence levels cuts its text at its separators outside
// bracket groups and joins the pieces that the next level parses. All levels work on spans of one
// text whose bracket table is built once, and keep their work on a list of their own, so deep
// nesting costs neither copies, rescans nor native stack.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cells/cell.h"
#include "front/source_text.h"

namespace vorn::front {

// A parser bound to one text. The text must pass the bracket validator and be normalised; the
// spans handed to it must hold no comma outside bracket groups (the callers cut there first).
struct ParseLists;

class Parser {
 public:
  explicit Parser(std::string text);
  ~Parser();

  const BracketedText& source() const { return source_; }

  // The expression in the span (level 0). An empty span gives the empty operand "}".
  cells::CellRef expression(Span span) const;
  // The contents of a wing: items cut at commas, joined right to left as ((, a) rest).
  cells::CellRef wingList(Span span) const;

 private:
  BracketedText source_;
  std::unique_ptr<ParseLists> lists_;  // scratch lists that every parse reuses
};

// The expression a whole text denotes (validated, normalised, no top-level comma).
cells::CellRef parseExpression(std::string_view text);
// The contents of a wing given as a whole text.
cells::CellRef parseWingList(std::string_view text);

}  // namespace vorn::front
