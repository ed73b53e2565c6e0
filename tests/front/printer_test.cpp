// Both printers on hand-built terms: the join rules, Atom forms and very deep terms.
#include "front/printer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

// The joins written out on whole strings, as plainly as they read: the printers compute them
// from a few facts about each part instead, and must agree on every term.
enum class ByteKind { Letter, Digit, Other };

ByteKind kindOf(unsigned char c) {
  if (c == '_' || (c >= 'a' && c <= 'z')) return ByteKind::Letter;
  if (c >= '0' && c <= '9') return ByteKind::Digit;
  return ByteKind::Other;
}

bool opensGroup(const std::string& s) { return s.size() >= 2 && s[0] == '(' && s[1] != ')'; }

std::string reopen(const std::string& l, const std::string& r) {
  return l.substr(0, l.size() - 1) + " " + r + ")";
}

bool bracketsWhole(const std::string& r) {
  if (r.empty() || r[0] != '[') return false;
  int depth = 0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i] == '[') ++depth;
    if (r[i] == ']' && --depth == 0) return i + 1 == r.size();
  }
  return false;
}

std::string sourceJoined(const std::string& l, const std::string& r) {
  if (!l.empty() && l[0] == '(' && (l.size() < 2 || l[1] != ')')) return reopen(l, r);
  if (bracketsWhole(r)) return l + r;
  if (r.size() >= 2) {
    bool mixed = false;
    for (char c : r) mixed = mixed || kindOf(c) != kindOf(r[0]);
    if (mixed || kindOf(r[0]) == ByteKind::Other) return "(" + l + " " + r + ")";
  }
  if (!l.empty() && !r.empty()) {
    ByteKind e = kindOf(l.back());
    ByteKind k = kindOf(r[0]);
    if ((e == ByteKind::Letter && k == ByteKind::Letter) || (e == ByteKind::Digit && k == ByteKind::Digit)) {
      return "(" + l + " " + r + ")";
    }
  }
  return l + r;
}

bool tight(unsigned char c) {
  return c < 32 || c > 126 || (c >= 'A' && c <= 'Z') || std::string("{,}~!@#$%^&*<>-|+/=\\.`'\":;?").find(static_cast<char>(c)) != std::string::npos;
}

std::string valueJoined(const std::string& l, const std::string& r) {
  if (!l.empty() && l[0] != '(' && l.back() != 0 && tight(l.back())) {
    bool oneTight = r.size() == 1 && r[0] != 0 && tight(r[0]);
    bool word = !r.empty() && kindOf(r[0]) != ByteKind::Other;
    if (oneTight || word) return l + r;
  }
  return opensGroup(l) ? reopen(l, r) : "(" + l + " " + r + ")";
}

std::string reference(const CellRef& term, bool source) {
  if (cells::isAtomCell(term.get())) return source ? showSource(term) : showValue(term);
  std::string l = reference(CellRef::borrow(cells::leftOf(term.get())), source);
  std::string r = reference(CellRef::borrow(cells::rightOf(term.get())), source);
  return source ? sourceJoined(l, r) : valueJoined(l, r);
}

// Terms of up to 40 Pairs over Atoms that print as nothing, as groups, as texts, as operators,
// as words and digits, and as the "()" of what cannot be shown.
TEST(Printer, AgreesWithTheJoinsOnWholeStrings) {
  const char* atoms[] = {"K", "S", "J", "x", "plus", "42", "7", "[]", "[a]", "[ab[c]]", "[[]]", "+",
                         "<=", "_", "a_1", ")loop", "]Foo", "(!)x", "Ab", "~", "[\x01]"};
  std::mt19937 random(20261211);
  for (int round = 0; round < 20000; ++round) {
    std::vector<CellRef> pool;
    int pairs = 1 + static_cast<int>(random() % 40);
    for (int k = 0; k <= pairs; ++k) pool.push_back(A(atoms[random() % std::size(atoms)]));
    // Join two random entries until one term is left: every shape of tree is possible.
    while (pool.size() > 1) {
      std::size_t i = random() % pool.size();
      CellRef l = pool[i];
      pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(i));
      std::size_t j = random() % pool.size();
      pool[j] = random() % 2 ? app(l, pool[j]) : app(pool[j], l);
    }
    std::string source = reference(pool[0], true);
    std::string value = reference(pool[0], false);
    SCOPED_TRACE(source);
    ASSERT_EQ(showSource(pool[0]), source);
    ASSERT_EQ(showValue(pool[0]), value);
  }
}

// Places for parentheses and spaces after a long Atom lie far beyond those before it.
TEST(Printer, PartsAfterALongAtom) {
  std::string digits(300000, '7');
  CellRef term = app(app(A("x"), CellRef(digits)), app(A("y"), A("z")));
  EXPECT_EQ(showSource(term), "(x" + digits + " (y z))");
  EXPECT_EQ(showValue(term), "(x " + digits + " (y z))");
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
