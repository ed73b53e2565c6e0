// Both printers on hand-built terms: the join rules, Atom forms and very deep terms.
#include "front/printer.h"

#include <gtest/gtest.h>

#include "cells/real.h"
#include "tests/support/small_stack.h"

namespace vorn::front {
namespace {

using cells::CellRef;
using cells::makePair;

CellRef A(const char* s) { return CellRef(s); }
CellRef app(CellRef f, CellRef x) { return makePair(std::move(f), std::move(x)); }
CellRef app(CellRef f, CellRef x, CellRef y) { return app(app(std::move(f), std::move(x)), std::move(y)); }

TEST(Printer, SharedExamples) {
  struct Case {
    CellRef term;
    const char* source;
    const char* value;
  };
  const Case cases[] = {
      {A("42"), "42", "42"},
      {A("plus"), "plus", "plus"},
      {app(A("S"), A("K"), A("K")), "SKK", "SKK"},
      {app(A("K"), A("x")), "Kx", "Kx"},
      {app(A("plus"), A("1"), A("2")), "(plus1 2)", "(plus 1 2)"},
      {app(A("plus"), app(A("plus"), A("1"), A("2"))), "(plus (plus1 2))", "(plus (plus 1 2))"},
      {app(A("K"), app(A("plus"), A("1"), A("2"))), "(K (plus1 2))", "(K (plus 1 2))"},
      {app(A("5"), A("6")), "(5 6)", "(5 6)"},
      {app(A("abs"), A("[abc]")), "abs[abc]", "(abs 979899)"},
      {app(A("abs"), A("x")), "(abs x)", "(abs x)"},
      {app(A("plus"), A("+")), "plus+", "(plus +)"},
      {app(A("+"), A("K")), "+K", "+K"},
      {app(A("+"), A("xy")), "+xy", "+xy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(showSource(c.term), c.source);
    EXPECT_EQ(showValue(c.term), c.value);
  }
}

TEST(Printer, SourceFormsOfRealsAndBlobs) {
  EXPECT_EQ(showSource(cells::makeReal(1.5)), "real[1.500000e+00]");
  EXPECT_EQ(showSource(cells::makeBlob(std::string_view("a\n]\0[", 5))), "init[a[p][r]\n[q]]");
  EXPECT_EQ(showSource(A(")loop")), "()");
}

TEST(Printer, ValueFormHidesWhatCannotBeShown) {
  for (CellRef c : {cells::makeReal(1.5), cells::makeBlob("ab"), A(")loop"), A("]Foo")}) {
    EXPECT_EQ(showValue(c), "()");
  }
  EXPECT_EQ(showValue(app(A(")loop"), A("1"))), "(() 1)");
  // An Atom that only starts like a blob shows as "()" in both forms.
  EXPECT_EQ(showValue(A("(!)x")), "()");
  EXPECT_EQ(showSource(A("(!)x")), "()");
  EXPECT_EQ(showSource(app(A("lisp"), A("(ab"))), "(lisp ())");
  EXPECT_EQ(showValue(A("[]")), "");
}

// The empty text shows as nothing; the general join still puts the space after the parenthesis.
TEST(Printer, AnEmptyLeftPartGetsTheGeneralJoin) {
  struct Case {
    CellRef term;
    const char* value;
  };
  const Case cases[] = {
      {app(A("[]"), A("[a]")), "( 97)"},
      {app(A("[]"), A("[]")), "( )"},
      {app(app(A("[]"), A("[a]")), A("[b]")), "( 97 98)"},
      {app(A("x"), app(A("[]"), A("[a]"))), "(x ( 97))"},
      {app(app(A("[]"), A("[]")), A("[a]")), "(  97)"},
      {app(app(A("x"), A("[]")), A("[a]")), "(x  97)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(showValue(c.term), c.value);
  }
}

TEST(Printer, ValueFormOfTextIsDecimalCodes) {
  EXPECT_EQ(showValue(A("[ab]")), "9798");
  EXPECT_EQ(showValue(CellRef(std::string_view("[\xC8]"))), "-56");
  std::string long999(998, 'a');
  EXPECT_EQ(showValue(CellRef("[" + long999 + "]")), "()");   // 1000 bytes with its brackets
  std::string short500(500, 'a');
  EXPECT_EQ(showValue(CellRef("[" + short500 + "]")), "()");  // 1000 digits rendered
}

TEST(Printer, DeepListsPrintInLinearTime) {
  // A right-nested list of a million cells, on a small native stack.
  int status = support::runOnSmallStack([] {
    CellRef list("K");
    for (int i = 0; i < 1'000'000; ++i) list = app(A("J"), A("K"), std::move(list));
    std::string value = showValue(list);
    std::string source = showSource(list);
    bool ok = value.size() > 3'000'000 && value.substr(0, 8) == "(JK (JK " && source.substr(0, 6) == "(JK (J";
    return ok ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vorn::front
