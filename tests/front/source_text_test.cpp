// Normalisation, names, position codes, bracket matching and the top-level search, and the
// bracket validator's failures with their exact strings and positions.
#include "front/source_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vorn::front {
namespace {

struct TextCase {
  std::string in;
  std::string out;
};

TEST(Normalise, BlanksAroundOperatorsBracketsAndOperands) {
  const TextCase cases[] = {
      {"", ""},
      {"  \n \n ", ""},
      {"  a  ", "a"},
      {"a\n\n  b", "a\nb"},
      {"a\n+b", "a+b"},
      {"(\n a)", "(a)"},
      {"h (x)", "h (x)"},
      {"h( x )", "h(x)"},
      {"a + b", "a+b"},
      {"a  b", "a b"},
      {"a \n b", "a\nb"},
      {"x { a , b } y", "x{a,b}y"},
      {"f ! x", "f ! x"},
      {"h [a] b", "h [a] b"},
      {"a\t b", "a\t b"},
      {"a ,\n b", "a,b"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(normalise(c.in), c.out);
  }
}

TEST(Normalise, InsideTextLiterals) {
  const TextCase cases[] = {
      {"[ab  cd]", "[ab  cd]"},
      {"[ab  \n  cd]", "[ab  cd]"},
      {"[a\nb]", "[ab]"},
      {"[a ]", "[a ]"},
      {"[a  \n]", "[a]"},
      {"[[x \n y] (z ]", "[[x y] (z ]"},
      {" [ a ] ", "[ a ]"},
      {"[(] \n x", "[(]\nx"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(normalise(c.in), c.out);
  }
}

TEST(Names, RulesAndCanonicalForm) {
  struct Case {
    std::string text;
    bool name;
  };
  const Case cases[] = {
      {"abc_", true},   {"_", true},         {"a", true},   {"S", true},    {"[+]", true},
      {"[,]", true},    {"[\\]", true},      {"[`]", true}, {"\x01", true}, {"\x7f", true},
      {"\xff", true},   {"a1", false},       {"Ab", false}, {"AB", false},  {"", false},
      {"[a]", false},   {"[+]x", false},     {"[(]", false}, {"[[]", false}, {"9", false},
      {std::string(1, '\0'), false},         {" ", false},  {"[+", false},  {"a-b", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(isName(c.text), c.name);
  }
  EXPECT_EQ(canonicalName("[+]"), "+");
  EXPECT_EQ(canonicalName("[\\]"), "\\");
  EXPECT_EQ(canonicalName("abc"), "abc");
  EXPECT_EQ(canonicalName("K"), "K");
}

TEST(Positions, FiveBaseSixtyFourDigits) {
  EXPECT_EQ(positionCode(0), "_____");
  EXPECT_EQ(positionCode(1), "____a");
  EXPECT_EQ(positionCode(63), "____~");
  EXPECT_EQ(positionCode(64), "___a_");
  // The alphabet runs u s t v w z x y, not in alphabetical order.
  EXPECT_EQ(positionCode(19), "____u");
  EXPECT_EQ(positionCode(20), "____s");
  EXPECT_EQ(positionCode(kNoPosition - 1), "~~~~~");
  EXPECT_EQ(positionCode(kNoPosition), "!!!!!");
}

TEST(Brackets, MatchingAndKinds) {
  const std::string text = "a(b[c)d]{e}f)[x]";
  EXPECT_EQ(matchingBracket(text, 1), 12);
  EXPECT_EQ(matchingBracket(text, 12), 1);
  EXPECT_EQ(matchingBracket(text, 3), 7);  // the ")" inside the text literal is a plain byte
  EXPECT_EQ(matchingBracket(text, 7), 3);
  EXPECT_EQ(matchingBracket(text, 8), 10);
  EXPECT_EQ(matchingBracket(text, 13), 15);
  EXPECT_EQ(matchingBracket(text, 0), 0);
  EXPECT_EQ(bracketKind('('), "parenthesis");
  EXPECT_EQ(bracketKind(']'), "bracket");
  EXPECT_EQ(bracketKind('{'), "wing");
}

TEST(Brackets, TopLevelSearch) {
  const std::string text = "a,(b,c),[d,e],{f,g},h";
  EXPECT_EQ(topLevelPositions(text, CharSet(",")), (std::vector<std::int64_t>{1, 7, 13, 19}));
  EXPECT_EQ(firstTopLevel(2, text, CharSet(",")), 7);
  EXPECT_EQ(firstTopLevel(20, text, CharSet(",")), -1);
  // A separator that opens a group is found, and its group is jumped over.
  EXPECT_EQ(topLevelPositions("x{a;b};c", CharSet(";{")), (std::vector<std::int64_t>{1, 6}));

  BracketedText table{text};
  EXPECT_EQ(topLevelPositions(table, table.whole(), CharSet(",")),
            (std::vector<std::int64_t>{1, 7, 13, 19}));
  EXPECT_EQ(topLevelPositions(table, Span{3, 6}, CharSet(",")), (std::vector<std::int64_t>{4}));
  EXPECT_EQ(firstTopLevel(table, 8, table.whole(), CharSet(",")), 13);
  std::vector<Span> pieces = segments(table, table.whole(), {1, 7});
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(table.view(pieces[0]), "a");
  EXPECT_EQ(table.view(pieces[1]), "(b,c)");
  EXPECT_EQ(table.view(pieces[2]), "[d,e],{f,g},h");
  // After a separator that opens a group, the next piece starts past the group.
  BracketedText wing{"x{a}y"};
  EXPECT_EQ(wing.view(segments(wing, wing.whole(), {1})[1]), "y");
}

// The table built in one pass must agree with the scanning matcher on every bracket outside
// text literals, in texts the validator accepts.
TEST(Brackets, TableAgreesWithScanningMatcher) {
  const std::string alphabet = "()[]{}a,";
  std::mt19937 random(7);
  int checked = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    std::size_t length = random() % 16;
    for (std::size_t k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    if (validateBrackets(text)) continue;
    BracketedText table{text};
    for (std::int64_t i = 0; i < table.size(); i = table.skip(i)) {
      SCOPED_TRACE(text);
      ASSERT_EQ(table.match(i), matchingBracket(text, i));
      if (table.match(i) > i) {
        ASSERT_EQ(table.match(table.match(i)), i);
        ASSERT_EQ(matchingBracket(text, table.match(i)), i);
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 1000);
}

// A balanced text of about `length` bytes: random groups of the three kinds, text literals with
// other brackets inside them as plain bytes, and runs of plain bytes between.
std::string balancedText(std::mt19937& random, std::size_t length) {
  const std::string openers = "([{";
  std::string text;
  std::string open;  // the closers still owed, innermost last
  while (text.size() < length) {
    bool inLiteral = !open.empty() && open.back() == ']';
    switch (random() % 4) {
      case 0: {
        char opener = openers[random() % 3];
        if (inLiteral && opener != '[') {
          text += opener;  // a plain byte inside the literal
          break;
        }
        text += opener;
        open += opener == '(' ? ')' : opener == '[' ? ']' : '}';
        break;
      }
      case 1:
        if (!open.empty()) {
          text += open.back();
          open.pop_back();
        } else if (inLiteral) {
          text += ')';
        }
        break;
      default:
        text.append(random() % 40, 'a');
    }
  }
  text.append(open.rbegin(), open.rend());
  return text;
}

// Across texts longer than one block of the table, every byte that is no bracket matches itself
// and every top-level bracket matches as the scanning matcher says.
TEST(Brackets, TableAgreesWithScanningMatcherOnLongTexts) {
  std::mt19937 random(11);
  for (int round = 0; round < 300; ++round) {
    std::string text = balancedText(random, random() % 2000);
    ASSERT_FALSE(validateBrackets(text)) << text;
    BracketedText table{text};
    SCOPED_TRACE(text);
    for (std::int64_t i = 0; i < table.size(); ++i) {
      char c = text[static_cast<std::size_t>(i)];
      if (std::string_view("()[]{}").find(c) == std::string_view::npos) {
        ASSERT_EQ(table.match(i), i);
      }
    }
    for (std::int64_t i = 0; i < table.size(); i = table.skip(i)) {
      ASSERT_EQ(table.match(i), matchingBracket(text, i));
      ASSERT_EQ(table.match(table.match(i)), i);
    }
  }
}

struct FailureCase {
  std::string text;
  std::string type;
  std::int64_t position;
  std::string failure;
};

TEST(Validator, MatchFailures) {
  const FailureCase cases[] = {
      {"(]", "Match", 0, "Match[_____]Doesn't fit ']' at [____a]."},
      {")", "Match", 0, "Match[_____]Left dangling parenthesis."},
      {"ab}", "Match", 2, "Match[____b]Left dangling wing."},
      {"x]", "Match", 1, "Match[____a]Left dangling bracket."},
      {"{", "Match", 0, "Match[_____]Right dangling wing."},
      {"([)]", "Match", 0, "Match[_____]Right dangling parenthesis."},
      {"((a)", "Match", 0, "Match[_____]Right dangling parenthesis."},
      {"a[(b", "Match", 1, "Match[____a]Right dangling bracket."},
      {"(a{b)}", "Match", 2, "Match[____b]Doesn't fit ')' at [____d]."},
      // A mismatch is found before a later dangling bracket and before any comma.
      {"(a,b)(]", "Match", 5, "Match[____e]Doesn't fit ']' at [____f]."},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<BracketFailure> failure = validateBrackets(c.text);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->type, c.type);
    EXPECT_EQ(failure->position, c.position);
    EXPECT_EQ(failure->text, c.failure);
  }
}

TEST(Validator, CommaFailures) {
  const std::string message = "Comma encountered in parenthesization which is not a call list.";
  const FailureCase cases[] = {
      {"(a,b)", "Comma", 2, ""},
      {"h (a,b)", "Comma", 4, ""},
      {"h\n(a,b)", "Comma", 4, ""},
      {"a+(b,c)", "Comma", 4, ""},
      {"f(x,(a,b))", "Comma", 6, ""},
      // The leftmost comma of the offending pair is reported.
      {"(a,b,c)", "Comma", 2, ""},
      // Of several offending pairs, the one opening furthest right.
      {"(a,b)+(c,d)", "Comma", 8, ""},
      {"(x,(a,b))", "Comma", 5, ""},
      // A parenthesis right after "(", "{", "}" or a unary operator opens a grouping, not a call
      // list, so a comma directly inside it is refused too.
      {"((C,1))", "Comma", 3, ""},
      {"((a,b))", "Comma", 3, ""},
      {"f((a,b))", "Comma", 4, ""},
      {"!(a,b)", "Comma", 3, ""},
      {"x~(a,b)", "Comma", 4, ""},
      {"x{(a,b)}y", "Comma", 4, ""},
      {"x{a}(a,b)", "Comma", 6, ""},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<BracketFailure> failure = validateBrackets(c.text);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->type, "Comma");
    EXPECT_EQ(failure->position, c.position);
    EXPECT_EQ(failure->text, "Comma[" + positionCode(c.position) + "]" + message);
  }
}

TEST(Validator, Accepts) {
  const std::string cases[] = {
      "",       "[(]",          "h(a,b)",   "g(x)(a,b)", "[x](a,b)", "K(a,b)",  "2(a,b)",
      "\t(a,b)", "a,b,c",       "x{a,b}y",  "([a,b])",   "(a[,]b)",  "(x{a,b})", "h(a,(b))",
      "h()",    "h((a),[b],c)", "main,hh\\x\\x",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(validateBrackets(text));
  }
}

}  // namespace
}  // namespace vorn::front
