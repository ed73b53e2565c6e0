// Quote expansion and pair-binding desugaring on single terms.
#include "check/desugar.h"

#include <gtest/gtest.h>

#include "term_builder.h"

namespace vorn::check {
namespace {

using cells::CellRef;
using testing::show;
using testing::term;

TEST(Quotes, AQuotedTermBecomesThePairOfItsSourceAndItself) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"(` (plus 1 2))", "((V [(plus1 2)]) ((plus 1) 2))"},
      {"(f (` x) y)", "((f ((V [x]) x)) y)"},
      // The inner quote is part of the outer one's text, and is itself expanded.
      {"(` (` x))", "((V [`x]) ((V [x]) x))"},
      {"(` [ab])", "((V [[ab]]) [ab])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(show(expandQuotes(term(c.in)).get()), c.out);
  }
}

TEST(Quotes, ATermWithoutQuotesIsReturnedItself) {
  CellRef t = term("(f (g x) (\\ y))");
  EXPECT_EQ(expandQuotes(t).get(), t.get());
  // Only the backtick Atom itself quotes; a longer Atom starting with it does not.
  CellRef u = term("(`x y)");
  EXPECT_EQ(expandQuotes(u).get(), u.get());
}

TEST(PairBindings, TwoNamesSideBySideTakeAPairApart) {
  EXPECT_EQ(show(desugarPairBindings(term("({ (p q) x p)")).get()),
            "((({ q) x) ((({ p) (q K)) ((({ q) (q H)) p)))");
  // Long and bracketed names: the binder stays as written, the components use the canonical name.
  EXPECT_EQ(show(desugarPairBindings(term("({ (head [+]) pair (head [+]))")).get()),
            "((({ [+]) pair) ((({ head) (+ K)) ((({ [+]) (+ H)) (head [+]))))");
}

TEST(PairBindings, NestedBindingsAreDesugaredInsideOut) {
  // The pair binding inside the bound expression is desugared too.
  EXPECT_EQ(show(desugarPairBindings(term("({ (a b) ({ (c d) e c) a)")).get()),
            "((({ b) ((({ d) e) ((({ c) (d K)) ((({ d) (d H)) c)))) ((({ a) (b K)) ((({ b) (b H)) a)))");
}

TEST(PairBindings, OtherBindingsStayAsTheyAre) {
  const char* unchanged[] = {
      "({ x e x)",           // a plain binding
      "({ (p (q r)) e p)",   // the variable is not two Atoms
      "({ (p 5) e p)",       // 5 is not a name
      "({ (P [x]) e P)",     // [x] is a text, not a name
      "(f (p q) e)",         // no binding at all
  };
  for (const char* text : unchanged) {
    SCOPED_TRACE(text);
    CellRef t = term(text);
    EXPECT_EQ(desugarPairBindings(t).get(), t.get());
  }
}

}  // namespace
}  // namespace vorn::check
