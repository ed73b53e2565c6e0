// The parser's trees, level by level; agreement with the literal level-by-level reading on many
// random texts; and very deep or very wide texts on the large stack.
#include "front/parser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/small_stack.h"
#include "front/source_text.h"
#include "tests/front/reference_parser.h"
#include "tests/front/tree_text.h"

namespace vorn::front {
namespace {

using testing::ReferenceParser;
using testing::treeText;

struct TreeCase {
  std::string source;
  std::string tree;
};

TEST(Parser, Trees) {
  const TreeCase cases[] = {
      // Empty text and the binary levels with their grouping.
      {"", "}"},
      {"a\\b\\c", "((\\ a) ((\\ b) c))"},
      {"a;b", "((; a) b)"},
      {"a?b?c", "((? ((? a) b)) c)"},
      {"a&b&c", "((& a) ((& b) c))"},
      {"a|b&c", "((| a) ((& b) c))"},
      {"a<b>c", "((< a) ((> b) c))"},
      {"a=b#c", "((= a) ((# b) c))"},
      {"a+b*c", "((+ a) ((* b) c))"},
      {"a-b-c", "((- ((- a) b)) c)"},
      {"a:b.c", "((. ((: a) b)) c)"},
      {"a/b%c'd", "((' ((% ((/ a) b)) c)) d)"},
      {"a^b^c", "((^ a) ((^ b) c))"},
      {"a@b c", "(((@ a) b) c)"},
      {"1.5", "((. 1) 5)"},
      {"05", "05"},
      {"-5", "((- }) 5)"},
      {"+", "((+ }) })"},
      {"a;", "((; a) })"},
      // Space and newline.
      {"h a b", "((h a) b)"},
      {"h x+1", "(h ((+ x) 1))"},
      {"h(x)+1", "((+ (h x)) 1)"},
      {"a b=c d", "((= (a b)) (c d))"},
      {"x\nh\ng", "(g (h x))"},
      {"a?b\nc", "(c ((? a) b))"},
      {"h (x)", "(h x)"},
      {"h(x)", "(h x)"},
      // Unary operators.
      {"!a b", "((! a) b)"},
      {"!x!", "(! (! x))"},
      {"x!~", "(~ (! x))"},
      {"!~x", "(! (~ x))"},
      {"!", "(! })"},
      {"!!", "(! (! }))"},
      {"h!x", "(h (! x))"},
      {"h!x~y", "((h (! x)) (~ y))"},
      {"x!!y", "(x (! (! y)))"},
      {"x$(a)`y", "((x ($ a)) (` y))"},
      // Tight juxtaposition and call lists.
      {"BKK", "((B K) K)"},
      {"Ya", "(Y a)"},
      {"b(c)", "(b c)"},
      {"c(d)e", "((c d) e)"},
      {"a2", "(a 2)"},
      {"ab12cd", "((ab 12) cd)"},
      {"(h)(x)", "(h x)"},
      {"h(a,b)", "((h a) b)"},
      {"h()", "(h })"},
      {"h(a,)", "((h a) })"},
      {"g(x)(a,b)", "(((g x) a) b)"},
      {"K[x](a)", "((K [x]) a)"},
      {"((((x))))", "x"},
      {"()", "}"},
      // Text literals and single bytes.
      {"[a b]", "[a b]"},
      {"[+]", "[+]"},
      {"[a(b]", "[a(b]"},
      {std::string("[a\0b]", 5), "[a\nb]"},
      {std::string("\0", 1), "\n"},
      {"\t\x80K", "((\t \x80) K)"},
      // Lambdas, bindings and wings.
      {"name\\p\\q\\body", "((\\ name) ((\\ p) ((\\ q) body)))"},
      {"v{e}body", "((({ v) e) body)"},
      {"x{a,b}y", "((({ x) ((, a) b)) y)"},
      {"{}", "((({ }) }) })"},
      {"x{a}y{b}z", "((({ x) a) ((({ y) b) z))"},
      {"a\\x{y}z;w", "((\\ a) ((({ x) y) ((; z) w)))"},
      {"x{a,b,c}", "((({ x) ((, a) ((, b) c))) })"},
  };
  for (const TreeCase& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(treeText(parseExpression(c.source)), c.tree);
  }
}

TEST(Parser, WingList) {
  EXPECT_EQ(treeText(parseWingList("a,b,c")), "((, a) ((, b) c))");
  EXPECT_EQ(treeText(parseWingList("a+b")), "((+ a) b)");
  EXPECT_EQ(treeText(parseWingList("")), "}");
  EXPECT_EQ(treeText(parseWingList("a,")), "((, a) })");
}

TEST(Parser, SpansOfOneTextParseLikeTheirCopies) {
  Parser parser{"zz,h(a,b)+c,x{p,q}y"};
  EXPECT_EQ(treeText(parser.expression(Span{3, 11})), "((+ ((h a) b)) c)");
  EXPECT_EQ(treeText(parser.expression(Span{12, 19})), "((({ x) ((, p) q)) y)");
  EXPECT_EQ(treeText(parser.wingList(Span{14, 17})), "((, p) q)");
}

// Random texts over the bytes that matter to the levels. Every text the validator accepts must
// parse, piece by piece, to the tree of the literal reading, and never reach one of its asserting
// places.
TEST(Parser, AgreesWithTheLiteralLevelsOnRandomTexts) {
  const std::string alphabet = std::string("ab_xK9()[]{},;\\?&=@+.*^~!\"$` \n\t") + '\0';
  std::mt19937 random(20261210);
  int parsed = 0;
  for (int round = 0; round < 60000; ++round) {
    std::string raw;
    std::size_t length = random() % 13;
    for (std::size_t k = 0; k < length; ++k) raw += alphabet[random() % alphabet.size()];
    if (validateBrackets(raw)) continue;
    ++parsed;
    std::string text = normalise(raw);
    Parser parser{text};
    std::vector<std::int64_t> commas = topLevelPositions(parser.source(), parser.source().whole(), CharSet(","));
    for (Span piece : segments(parser.source(), parser.source().whole(), commas)) {
      std::string copy(parser.source().view(piece));
      SCOPED_TRACE("raw text: " + raw + " / piece: " + copy);
      ReferenceParser::broken = false;
      std::string expected = ReferenceParser::expression(copy);
      ASSERT_FALSE(ReferenceParser::broken);
      ASSERT_EQ(treeText(parser.expression(piece)), expected);
    }
  }
  EXPECT_GT(parsed, 10000);
}

// ---- Deep and wide texts ----------------------------------------------------------------------

std::string repeat(std::string_view part, std::size_t times) {
  std::string out;
  out.reserve(part.size() * times);
  for (std::size_t k = 0; k < times; ++k) out += part;
  return out;
}

// Walks down the right children from `tree`, `depth` times, expecting (head x) at every step.
bool rightSpineOf(const cells::Cell* tree, std::string_view head, std::size_t depth,
                  std::string_view leaf) {
  for (std::size_t k = 0; k < depth; ++k) {
    if (cells::isAtomCell(tree) || cells::atomBytesOf(cells::leftOf(tree)) != head) return false;
    tree = cells::rightOf(tree);
  }
  return cells::isAtomCell(tree) && cells::atomBytesOf(tree) == leaf;
}

// Runs a test body on a thread with a small native stack; the parser must not recurse natively
// however deeply the text nests.
void onSmallStack(const std::function<void()>& body) {
  EXPECT_EQ(support::runOnSmallStack([&] {
              body();
              return 0;
            }),
            0);
}

TEST(Parser, AMillionNestedGroups) {
  constexpr std::size_t kDepth = 1000000;
  onSmallStack([&] {
    std::string text = repeat("(", kDepth) + "x" + repeat(")", kDepth);
    EXPECT_EQ(treeText(parseExpression(text)), "x");
    // Nested call lists: h(h(h(...x))) is (h (h (h ... x))).
    text = repeat("h(", kDepth) + "x" + repeat(")", kDepth);
    cells::CellRef tree = parseExpression(text);
    EXPECT_TRUE(rightSpineOf(tree.get(), "h", kDepth, "x"));
    // Nested groups with an operator at each depth: (!(!(...x))) is (! (! ... x)).
    text = repeat("!(", kDepth) + "x" + repeat(")", kDepth);
    tree = parseExpression(text);
    EXPECT_TRUE(rightSpineOf(tree.get(), "!", kDepth, "x"));
    // Nested wings: a{a{a{...}}} binds at every depth.
    text = repeat("a{", kDepth) + repeat("}", kDepth);
    tree = parseExpression(text);
    const cells::Cell* c = tree.get();
    std::size_t depth = 0;
    while (!cells::isAtomCell(c)) {
      c = cells::rightOf(cells::leftOf(c));  // the wing of (((\{ a) W) })
      ++depth;
    }
    EXPECT_EQ(depth, kDepth);
  });
}

// One level of a nesting: the text around the inner part, and where the tree holds that part.
struct Nesting {
  const char* open;
  const char* close;
  const cells::Cell* (*inner)(const cells::Cell*);
};

const cells::Cell* viaRight(const cells::Cell* c) { return cells::rightOf(c); }
const cells::Cell* viaLeft(const cells::Cell* c) { return cells::leftOf(c); }
const cells::Cell* viaLeftOperand(const cells::Cell* c) { return cells::rightOf(cells::leftOf(c)); }
const cells::Cell* viaBoundVariable(const cells::Cell* c) {
  return cells::rightOf(cells::leftOf(cells::leftOf(c)));
}

TEST(Parser, AMillionLevelsOfNestingEitherWay) {
  constexpr std::size_t kDepth = 1000000;
  const Nesting nestings[] = {
      {"a+(", ")", viaRight},          // a+(a+(...x)) is ((+ a) ((+ a) ... x))
      {"(", ")+a", viaLeftOperand},    // ((x)+a)+a is ((+ ((+ x) a)) a)
      {"(", ")h", viaLeft},            // ((x)h)h is ((x h) h)
      {"(", ")!", viaRight},           // ((x)!)! is (! (! x))
      {"(", "){a}", viaBoundVariable},  // ((x){a}){a} binds ((x){a}) to a
      {"a{(", ")}", viaLeftOperand},   // a{(a{(x)})} binds a to the inner part
  };
  onSmallStack([&] {
    for (const Nesting& n : nestings) {
      SCOPED_TRACE(std::string(n.open) + "x" + n.close);
      cells::CellRef tree = parseExpression(repeat(n.open, kDepth) + "x" + repeat(n.close, kDepth));
      const cells::Cell* c = tree.get();
      std::size_t depth = 0;
      for (; !cells::isAtomCell(c) && depth <= kDepth; ++depth) c = n.inner(c);
      EXPECT_EQ(depth, kDepth);
      EXPECT_EQ(cells::atomBytesOf(c), "x");
    }
    // A text literal nested a million deep is one Atom.
    std::string text = repeat("[", kDepth) + repeat("]", kDepth);
    EXPECT_EQ(cells::atomSizeOf(parseExpression(text).get()), 2 * kDepth);
  });
}

TEST(Parser, HundredThousandArgumentCallList) {
  constexpr std::size_t kArguments = 100000;
  onSmallStack([&] {
    std::string text = "h(" + repeat("a,", kArguments - 1) + "b)";
    cells::CellRef tree = parseExpression(text);
    const cells::Cell* c = tree.get();
    ASSERT_EQ(cells::atomBytesOf(cells::rightOf(c)), "b");
    std::size_t arguments = 0;
    while (!cells::isAtomCell(c)) {
      c = cells::leftOf(c);
      ++arguments;
    }
    EXPECT_EQ(arguments, kArguments);
    EXPECT_EQ(cells::atomBytesOf(c), "h");
  });
}

TEST(Parser, LongOperatorChainsAndRuns) {
  constexpr std::size_t kLength = 100000;
  onSmallStack([&] {
    // A right-grouping chain nests to the right, a prefix run likewise.
    EXPECT_TRUE(rightSpineOf(parseExpression(repeat("!", kLength) + "x").get(), "!", kLength, "x"));
    cells::CellRef chain = parseExpression(repeat("a^", kLength) + "z");
    const cells::Cell* c = chain.get();
    std::size_t depth = 0;
    while (!cells::isAtomCell(c)) {
      c = cells::rightOf(c);
      ++depth;
    }
    EXPECT_EQ(depth, kLength);
    EXPECT_EQ(cells::atomBytesOf(c), "z");
  });
}

}  // namespace
}  // namespace vorn::front
