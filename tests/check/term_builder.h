// Builds terms for checker tests from a small bracket notation: "(f a b)" is ((f a) b), tokens
// are Atoms, "\" and "{" are the binder heads. Only for tests; the real parser lives in front/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cells/cell.h"

namespace vorn::check::testing {

class TermBuilder {
 public:
  static cells::CellRef build(std::string_view text) {
    TermBuilder b(text);
    return b.term();
  }

 private:
  explicit TermBuilder(std::string_view text) : text_(text) {}

  void skipBlanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }

  cells::CellRef term() {
    skipBlanks();
    if (text_[at_] != '(') {
      std::size_t start = at_;
      while (at_ < text_.size() && text_[at_] != ' ' && text_[at_] != '(' && text_[at_] != ')') ++at_;
      return cells::CellRef(text_.substr(start, at_ - start));
    }
    ++at_;
    cells::CellRef acc = term();
    for (skipBlanks(); text_[at_] != ')'; skipBlanks()) acc = cells::makePair(acc, term());
    ++at_;
    return acc;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// Writes a term back in the same notation, fully bracketed: ((f a) b) reads "((f a) b)".
inline std::string show(const cells::Cell* t) {
  if (cells::isAtomCell(t)) return std::string(cells::atomBytesOf(t));
  std::string text("(");
  text.append(show(cells::leftOf(t))).append(" ").append(show(cells::rightOf(t)));
  return text.append(")");
}

inline cells::CellRef term(std::string_view text) { return TermBuilder::build(text); }

}  // namespace vorn::check::testing
