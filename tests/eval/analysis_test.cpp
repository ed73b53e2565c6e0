// Term analysis and substitution on terms the parser builds.
#include "eval/analysis.h"

#include "eval_fixture.h"

namespace vorn::eval {
namespace {

class AnalysisTest : public EvalTest {};

TEST_F(AnalysisTest, ArityOfApplications) {
  struct Case {
    const char* term;
    int arity;
    bool value;
  };
  const Case cases[] = {
      {"plus", 2, true},         {"plus 1", 1, true},        {"plus 1 2", 0, false},
      {"plus 1 2 3", -1, false}, {"x", 11, true},            {"x 1", 11, true},
      {"[ab]", 1, true},         {"42", 1, true},            {"a+b", -2, false},
      {"I", 1, true},            {"x\\plus x 1", 1, true},   {"S K", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.term);
    CellRef t = parse(c.term);
    EXPECT_EQ(arity(t), c.arity);
    EXPECT_EQ(isValue(t), c.value);
  }
}

TEST_F(AnalysisTest, RedexFlagMarksUnevaluatedArguments) {
  CellRef nested = parse("plus (plus 1 2)");
  analyse(nested.get());
  EXPECT_TRUE(cells::redexFlag(nested.get()));
  EXPECT_FALSE(isValue(nested));
  CellRef partial = parse("plus 1");
  analyse(partial.get());
  EXPECT_FALSE(cells::redexFlag(partial.get()));
  CellRef lambda = parse("x\\plus x 1");
  EXPECT_FALSE(cells::redexFlag(lambda.get()));
  EXPECT_EQ(variableSet(lambda), 0u);
}

TEST_F(AnalysisTest, TextPairsAreTextWithSummedExtent) {
  CellRef pair = cells::makePair(CellRef("[ab]"), CellRef("[c]"));
  analyse(pair.get());
  EXPECT_TRUE(cells::isTextClassCell(pair.get()));
  EXPECT_EQ(cells::extentField(pair.get()), 7u);
  EXPECT_EQ(arity(pair), 1);
  EXPECT_TRUE(isValue(pair));
}

TEST_F(AnalysisTest, VariableSets) {
  auto letters = [](const char* term) { return variableSet(parse(term)); };
  EXPECT_EQ(letters("x"), 1u << ('x' - 'a'));
  EXPECT_EQ(letters("plus x y"), (1u << ('x' - 'a')) | (1u << ('y' - 'a')));
  EXPECT_EQ(letters("x\\plus x y"), 1u << ('y' - 'a'));
  EXPECT_EQ(letters("x{y}x"), 1u << ('y' - 'a'));  // x is bound in the body; y is free
  EXPECT_EQ(letters("x{x}x"), 1u << ('x' - 'a'));  // the bound expression sees the outer x
  EXPECT_EQ(letters("12"), 0u);
}

TEST_F(AnalysisTest, NameTestAndUndefinedNames) {
  CellRef foo("Foo");
  EXPECT_FALSE(isNameAtom(foo.get()));
  EXPECT_EQ(arity(foo), 1);
  EXPECT_TRUE(isNameAtom(CellRef("+").get()));
  EXPECT_EQ(arity(CellRef("q")), 11);
  EXPECT_FALSE(isNameAtom(CellRef("").get()));
  EXPECT_EQ(arity(CellRef("")), 1);
}

TEST_F(AnalysisTest, LazyHeadsAndBinderKinds) {
  EXPECT_TRUE(hasLazyHead(parse("K x y").get()));
  EXPECT_TRUE(hasLazyHead(parse("| x y").get()));
  EXPECT_FALSE(hasLazyHead(parse("S x y z").get()));
  EXPECT_FALSE(hasLazyHead(parse("plus 1 2").get()));
  EXPECT_EQ(binderKind(parse("x\\x").get()), BinderKind::Lambda);
  EXPECT_EQ(binderKind(parse("x{1}x").get()), BinderKind::Binding);
  EXPECT_EQ(binderKind(parse("plus 1 2").get()), BinderKind::Other);
}

TEST_F(AnalysisTest, SubstitutionSharesWhatItDoesNotChange) {
  CellRef lambda = parse("x\\x");
  EXPECT_EQ(substitute(lambda, CellRef("5"), 'x').get(), lambda.get());
  CellRef body = parse("plus x 1");
  CellRef five("5");
  CellRef done = substitute(body, five, 'x');
  EXPECT_EQ(showSource(done), "(plus5 1)");
  EXPECT_EQ(cells::rightOf(done.get()), cells::rightOf(body.get()));  // the Atom 1 is shared
  EXPECT_EQ(cells::rightOf(cells::leftOf(done.get())), five.get());
  // A binding of the same letter shadows it in the body but not in the bound expression.
  EXPECT_EQ(showSource(substitute(parse("x{x}x"), five, 'x')), "{x5x");
}

}  // namespace
}  // namespace vorn::eval
