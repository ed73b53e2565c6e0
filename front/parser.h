// The expression parser: turns a validated, normalised text into an expression tree of Cells.
// There are no tokens: each of fourteen precedence levels cuts its text at its separators outside
// bracket groups and joins the pieces that the next level parses. All levels work on spans of one
// text whose bracket table is built once, so deep nesting costs neither copies nor rescans.
#pragma once

#include <string>
#include <string_view>

#include "cells/cell.h"
#include "front/source_text.h"

namespace vorn::front {

// A parser bound to one text. The text must pass the bracket validator and be normalised; the
// spans handed to it must hold no comma outside bracket groups (the callers cut there first).
class Parser {
 public:
  explicit Parser(std::string text) : source_(std::move(text)) {}

  const BracketedText& source() const { return source_; }

  // The expression in the span (level 0). An empty span gives the empty operand "}".
  cells::CellRef expression(Span span) const { return parseFrom(span); }
  // The contents of a wing: items cut at commas, joined right to left as ((, a) rest).
  cells::CellRef wingList(Span span) const;

 private:
  // The loosest binary level with a separator outside groups (8 for none), and whether a unary
  // operator stands outside groups.
  struct TopLevelScan {
    int loosest;
    bool unary;
  };
  cells::CellRef parseFrom(Span span) const;
  TopLevelScan scanTopLevel(Span span) const;
  cells::CellRef binaryLevel(int level, Span span) const;
  cells::CellRef join(std::int64_t separator, cells::CellRef left, cells::CellRef right) const;
  bool isWholeGroup(Span span) const;
  cells::CellRef unaryOperators(Span span) const;
  cells::CellRef innerRuns(Span span) const;
  cells::CellRef operatorLed(Span segment, std::int64_t runEnd) const;
  cells::CellRef tight(Span span) const;
  void addPiece(cells::CellRef& acc, Span piece) const;
  bool startsPiece(std::int64_t i) const;
  cells::CellRef primary(Span piece) const;

  BracketedText source_;
};

// The expression a whole text denotes (validated, normalised, no top-level comma).
cells::CellRef parseExpression(std::string_view text);
// The contents of a wing given as a whole text.
cells::CellRef parseWingList(std::string_view text);

}  // namespace vorn::front
