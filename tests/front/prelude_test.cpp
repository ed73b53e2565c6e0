// The Prelude's text and what start-up makes of it: every one of the 51 entries with its tree.
#include "front/prelude.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builtins/table.h"
#include "program/tables.h"
#include "front/source_text.h"
#include "session/startup.h"
#include "tests/front/tree_text.h"

namespace vorn::front {
namespace {

using testing::treeText;

std::string lambdas(std::string_view parameters, const std::string& body) {
  std::string out = body;
  for (std::size_t k = parameters.size(); k-- > 0;) {
    out = "((\\ " + std::string(1, parameters[k]) + ") " + out + ")";
  }
  return out;
}

std::string applyAllLetters() {
  std::string out = "A";
  for (char c = 'B'; c <= 'Z'; ++c) out = "(" + out + " " + c + ")";
  return out;
}

struct Entry {
  std::string name;
  std::string parameters;
  std::string body;
};

// In the order the Prelude defines them.
const std::vector<Entry>& entries() {
  static const std::vector<Entry> table = {
      {"A", "a", "((a S) ((B K) K))"},
      {"B", "abc", "(a (b c))"},
      {"C", "abc", "((a c) b)"},
      {"D", "abcd", "((a b) (c d))"},
      {"E", "abcde", "((a b) ((c d) e))"},
      {"F", "ab", "((V b) a)"},
      {"G", "a", "((V Z) ((((((B W) (B C)) D) D) V) (V (X J))))"},
      {"H", "a", "I"},
      {"I", "a", "a"},
      {"J", "abc", "((V a) b)"},
      {"K", "ab", "a"},
      {"L", "a", "((a K) (K (K H)))"},
      {"M", "a", "(a a)"},
      {"N", "a", "K"},
      {"O", "ab", "(b (a b))"},
      {"P", "a", "((a (X S)) I)"},
      {"Q", "a", "((a Z) K)"},
      {"R", "a", "((a Z) H)"},
      {"U", "ab", "(U a)"},
      {"S", "abc", "((a c) (b c))"},
      {"T", "ab", "(b a)"},
      {"V", "abc", "((c a) b)"},
      {"W", "ab", "((a b) b)"},
      {"Z", "a", "Z"},
      {"X", "abcd", "((V b) ((a d) c))"},
      {"Y", "ab", "((a (Y a)) b)"},
      {"\\", "abc", applyAllLetters()},
      {"{", "abc", "Z"},
      {"&", "qr", "((q r) H)"},
      {"|", "qr", "((q K) r)"},
      {"!", "", "((V H) K)"},
      {"+", "", "plus"},
      {"-", "", "dash"},
      {"*", "", "mult"},
      {"/", "", "over"},
      {"%", "", "cent"},
      {"^", "", "powa"},
      {"<", "", "less"},
      {">", "", "gteq"},
      {"=", "", "same"},
      {"#", "", "diff"},
      {"$", "", "buck"},
      {"~", "", "wave"},
      {".", "", "T"},
      {"@", "", "T"},
      {":", "", "I"},
      {"?", "", "I"},
      {";", "", "I"},
      {"'", "", "I"},
      {"\"", "", "I"},
      {",", "", "I"},
  };
  return table;
}

TEST(Prelude, TextIsFiveHundredFiftyFourBytesOfFiftyOneDefinitions) {
  EXPECT_EQ(preludeText().size(), 554u);
  EXPECT_EQ(preludeText().front(), ',');
  EXPECT_EQ(topLevelPositions(preludeText(), CharSet(",")).size(), 51u);
  EXPECT_EQ(normalise(preludeText()), preludeText());
  EXPECT_FALSE(validateBrackets(preludeText()));
}

TEST(Prelude, DefinitionsStandInOrder) {
  // Each definition's name follows its comma, in the table's order.
  std::vector<std::int64_t> commas = topLevelPositions(preludeText(), CharSet(","));
  ASSERT_EQ(commas.size(), entries().size());
  for (std::size_t k = 0; k < commas.size(); ++k) {
    std::string_view rest = preludeText().substr(static_cast<std::size_t>(commas[k]) + 1);
    std::string_view name = rest.substr(0, rest.find('\\', rest[0] == '[' ? 3 : 1));
    SCOPED_TRACE(std::string(name));
    EXPECT_EQ(canonicalName(name), entries()[k].name);
  }
}

TEST(Prelude, StartUpStoresExactlyTheFiftyOneEntries) {
  session::startUp();
  ASSERT_EQ(program::globals().all().size(), 51u);
  for (const Entry& e : entries()) {
    SCOPED_TRACE(e.name);
    cells::Cell* value = program::findGlobal(e.name);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(treeText(cells::CellRef::borrow(value)), lambdas(e.parameters, e.body));
  }
  EXPECT_EQ(treeText(cells::CellRef::borrow(program::findGlobal("I"))), "((\\ a) a)");
  EXPECT_EQ(treeText(cells::CellRef::borrow(program::findGlobal("+"))), "plus");
  EXPECT_EQ(treeText(cells::CellRef::borrow(program::findGlobal("!"))), "((V H) K)");
  EXPECT_TRUE(program::tables().recompute().empty());
}

TEST(Prelude, StartUpEmptiesTheTablesFirst) {
  session::startUp();
  program::globals().define("stray", cells::CellRef("x"));
  program::tables().recompute().insert("stray");
  session::startUp();
  EXPECT_EQ(program::globals().all().size(), 51u);
  EXPECT_EQ(program::findGlobal("stray"), nullptr);
  EXPECT_TRUE(program::tables().recompute().empty());
  EXPECT_EQ(builtins::builtinTable().size(), 222u);
}

}  // namespace
}  // namespace vorn::front
