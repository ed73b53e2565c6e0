// Term analysis and substitution on terms the parser builds.
#include "eval/analysis.h"

#include "cells/text.h"
#include "eval/data_rules.h"
#include "eval_fixture.h"
#include "tests/support/small_stack.h"

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

constexpr std::size_t kDepth = 1000000;

// Follows `step` from the term while it is a Pair; the number of steps and where they end.
template <class Step>
std::pair<std::size_t, const Cell*> descend(const Cell* c, Step step) {
  std::size_t steps = 0;
  for (; !cells::isAtomCell(c); ++steps) c = step(c);
  return {steps, c};
}

const Cell* right(const Cell* c) { return cells::rightOf(c); }
const Cell* left(const Cell* c) { return cells::leftOf(c); }

TEST_F(AnalysisTest, SubstitutionAMillionLevelsDeep) {
  int failures = support::runOnSmallStack([] {
    int f = 0;
    CellRef five("5"), head("f"), arg("y");
    CellRef rightDeep("x"), leftDeep("x"), lambdas("x"), shadowed("x");
    CellRef lambdaY = cells::makePair(CellRef("\\"), CellRef("y"));
    CellRef lambdaX = cells::makePair(CellRef("\\"), CellRef("x"));
    for (std::size_t i = 0; i < kDepth; ++i) {
      rightDeep = cells::makePair(head, std::move(rightDeep));
      leftDeep = cells::makePair(std::move(leftDeep), arg);
      lambdas = cells::makePair(lambdaY, std::move(lambdas));
      shadowed = cells::makePair(lambdaX, std::move(shadowed));
    }
    CellRef done = substitute(rightDeep, five, 'x');
    if (descend(done.get(), right) != std::pair<std::size_t, const Cell*>{kDepth, five.get()}) f |= 1;
    if (cells::leftOf(done.get()) != head.get()) f |= 2;  // untouched parts are shared
    done = substitute(leftDeep, five, 'x');
    if (descend(done.get(), left) != std::pair<std::size_t, const Cell*>{kDepth, five.get()}) f |= 4;
    done = substitute(lambdas, five, 'x');
    if (descend(done.get(), right) != std::pair<std::size_t, const Cell*>{kDepth, five.get()}) f |= 8;
    // Under a million lambdas of x itself nothing is free: the term comes back itself.
    if (substitute(shadowed, five, 'x').get() != shadowed.get()) f |= 16;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

TEST_F(AnalysisTest, ListFormsOfDeepTexts) {
  int failures = support::runOnSmallStack([] {
    int f = 0;
    CellRef argument("g");
    // Text Pairs nested a million deep either way: each Pair (a, b) lists as ((J L(a)) L(b)).
    CellRef piece = cells::makeText("b");
    CellRef pieceList = applyText(piece.get(), argument);
    std::string lastPiece = showSource(CellRef::borrow(cells::rightOf(pieceList.get())));
    std::size_t pieceSteps = descend(cells::rightOf(pieceList.get()), right).first;
    CellRef leftText = piece, rightText = piece;
    for (std::size_t i = 0; i < kDepth; ++i) {
      leftText = cells::makePair(std::move(leftText), piece);
      rightText = cells::makePair(piece, std::move(rightText));
    }
    CellRef leftListed = applyText(leftText.get(), argument);
    const Cell* list = cells::rightOf(leftListed.get());
    std::size_t depth = 0;
    for (; depth < kDepth && !cells::isAtomCell(list); ++depth) {
      if (showSource(CellRef::borrow(cells::rightOf(list))) != lastPiece) return f | 1;
      list = cells::rightOf(cells::leftOf(list));
    }
    if (depth != kDepth || showSource(CellRef::borrow(const_cast<Cell*>(list))) != lastPiece) f |= 2;
    CellRef listed = applyText(rightText.get(), argument);
    if (descend(cells::rightOf(listed.get()), right).first != kDepth + pieceSteps) f |= 4;
    // A text literal nested a million deep lists as ((J K) ((J K) ... K)).
    constexpr std::size_t kNesting = kDepth;
    CellRef nested(std::string(kNesting, '[') + std::string(kNesting, ']'));
    CellRef nestedList = applyText(nested.get(), argument);
    auto [steps, bottom] = descend(cells::rightOf(nestedList.get()), right);
    if (steps != kNesting - 1 || !cells::isOneByteAtom(bottom, 'K')) f |= 8;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

// The list form by the element rule read literally: the elements found by reading back from the
// end, a group copied into a text Atom of its own and listed as such.
CellRef literalListForm(std::string_view bytes) {
  CellRef list("K");
  if (bytes.size() < 3) return list;
  std::vector<std::string_view> lastFirst;
  for (std::size_t end = bytes.size() - 2;;) {
    std::size_t start = end;
    if (bytes[end] == ']') {
      std::size_t depth = 1, i = end;
      while (i > 1 && depth != 0) {
        --i;
        depth += bytes[i] == ']' ? 1 : bytes[i] == '[' ? -1 : 0;
      }
      if (depth == 0) start = i;
    }
    lastFirst.push_back(bytes.substr(start, end - start + 1));
    if (start == 1) break;
    end = start - 1;
  }
  for (auto element = lastFirst.rbegin(); element != lastFirst.rend(); ++element) {
    CellRef atom = cells::elementAtom(*element);
    list = cells::makePair(cells::makePair(CellRef("J"), list), literalListForm(cells::atomBytes(atom)));
  }
  return list;
}

TEST_F(AnalysisTest, ListFormsFollowTheElementRuleOnUnbalancedTexts) {
  // Texts of brackets and a few bytes, balanced or not (builtins can make unbalanced text Atoms):
  // every one lists as the element rule says.
  std::uint32_t x = 2463534242u;
  const char alphabet[] = "[[]]ab\nc";
  CellRef argument("g");
  for (int round = 0; round < 3000; ++round) {
    std::string text = "[";
    for (int n = round % 23; n-- > 0;) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      text += alphabet[x % 8];
    }
    text += "]";
    SCOPED_TRACE(text);
    CellRef atom(text);
    CellRef listed = applyText(atom.get(), argument);
    ASSERT_EQ(showSource(CellRef::borrow(cells::rightOf(listed.get()))),
              showSource(literalListForm(text)));
  }
}

}  // namespace
}  // namespace vorn::eval
