// The checker over hand-made global tables: pruning, renaming, sharing and the unbound-letter
// rule. Whole programs, with the parser and the Prelude, are checked by tests/programs/checker.t.
#include "check/checker.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "builtins/c_layouts.h"
#include "check/binders.h"
#include "eval/analysis.h"
#include "program/tables.h"
#include "front/loader.h"
#include "session/startup.h"
#include "support/log.h"
#include "tests/support/private_log.h"
#include "term_builder.h"

namespace vorn::check {
namespace {

using cells::CellRef;
using cells::makePair;
using testing::show;
using testing::term;

class Checker : public ::testing::Test {
 protected:
  support::PrivateLog log_;
  void SetUp() override {
    program::tables().reset();
    program::tables().layoutText() = builtins::layoutText();  // what start-up puts there
    // The few combinators the desugarings and these tables use.
    define("K", "(\\ a (\\ b a))");
    define("H", "(\\ a (\\ b b))");
    define("V", "(\\ a (\\ b (\\ c (c a b))))");
    define("\\", "(\\ a (\\ b (\\ c Z)))");
    define("{", "(\\ a (\\ b (\\ c Z)))");
    define("Z", "(\\ a Z)");
  }
  void TearDown() override {
    program::tables().reset();
  }

  static void define(const std::string& name, const char* text) { program::globals().define(name, term(text)); }
  static std::string shown(const std::string& name) { return show(program::findGlobal(name)); }
  static bool defined(const std::string& name) { return program::findGlobal(name) != nullptr; }
};

TEST_F(Checker, DefinitionsThatNeedAnUndefinedNameAreErasedSilently) {
  define("", "main");
  define("main", "(K fine)");
  define("fine", "5");
  define("broken", "(\\ x (zz x))");
  define("needsbroken", "(\\ y (broken y))");
  define("needsneeds", "needsbroken");
  define("selfish", "(\\ y (selfish (zz y)))");
  support::ErrorReport report = checkProgram();
  EXPECT_TRUE(report.ok()) << report.type << ": " << report.message;
  for (const char* gone : {"broken", "needsbroken", "needsneeds", "selfish"}) {
    SCOPED_TRACE(gone);
    EXPECT_FALSE(defined(gone));
  }
  for (const char* kept : {"", "main", "fine", "K", "_"}) {
    SCOPED_TRACE(kept);
    EXPECT_TRUE(defined(kept));
  }
}

TEST_F(Checker, LongLocalNamesBecomeUnusedLettersInSortedOrder) {
  define("", "(h 1 2)");
  // foo is also a global: its free use keeps the global, the bound ones are renamed.
  define("foo", "1");
  define("h", "(\\ bar (\\ a (K (\\ foo (foo bar a)) foo)))");
  define("g", "(\\ x ({ long_name x (foo long_name)))");
  support::ErrorReport report = checkProgram();
  EXPECT_TRUE(report.ok()) << report.type << ": " << report.message;
  // bar sorts first and takes b (a is in use); foo takes c.
  EXPECT_EQ(shown("h"), show(term("(\\ b (\\ a (K (\\ c (c b a)) foo)))").get()));
  EXPECT_EQ(shown("g"), show(term("(\\ x ({ a x (foo a)))").get()));
  std::ifstream log(support::logPath(), std::ios::binary);
  std::stringstream all;
  all << log.rdbuf();
  EXPECT_NE(all.str().find("First h: "), std::string::npos);
  EXPECT_NE(all.str().find("First g: "), std::string::npos);
}

TEST_F(Checker, EqualSubtermsAreSharedAndOnlyValuesStayInterned) {
  define("", "(pick (K 7) (K 7))");
  define("pick", "(\\ p (\\ q (p (K 1 2))))");
  support::ErrorReport report = checkProgram();
  ASSERT_TRUE(report.ok()) << report.type << ": " << report.message;
  cells::Cell* entry = program::findGlobal("");
  EXPECT_EQ(cells::rightOf(entry), cells::rightOf(cells::leftOf(entry)));
  bool sawSaturated = false;
  for (cells::Cell* member : program::tables().interned()) {
    EXPECT_TRUE(eval::isValue(member)) << show(member);
    if (show(member) == "((K 1) 2)") sawSaturated = true;
  }
  EXPECT_FALSE(sawSaturated);
}

// The analysis fixes a name Atom's meaning when it first sees it, so an Atom analysed as a
// letter before "y" got a definition stays a letter: reachability sees a defined name, the
// letter rule sees an unbound letter.
TEST_F(Checker, ALetterLeftUnboundIsRefused) {
  CellRef y("y");
  eval::analyse(y.get());
  define("y", "1");
  define("", "h");
  program::globals().define("h", cells::makePair(term("(\\ x)"), cells::makePair(CellRef("x"), y)));
  support::ErrorReport report = checkProgram();
  EXPECT_EQ(report.type, "Local");
  EXPECT_EQ(report.name, "h");
  EXPECT_EQ(report.message, "Local variable y unbound in function [h].");
}

TEST_F(Checker, ALetterLeftUnboundInTheEntryIsRefusedWithoutAName) {
  CellRef w("w");
  eval::analyse(w.get());
  define("w", "1");
  program::globals().define("", cells::makePair(term("(\\ x)"), cells::makePair(w, CellRef("x"))));
  support::ErrorReport report = checkProgram();
  EXPECT_EQ(report.type, "Local");
  EXPECT_EQ(report.name, "");
  EXPECT_EQ(report.message, "Local variable w unbound.");
}

// Definitions checked apart from the global table, beside names that are defined already.
TEST_F(Checker, NamesDefinedOutsideCountAsDefinedAndAreNotFollowed) {
  // "outer" itself needs an undefined name; it was checked on its own, so that is not looked at.
  define("outer", "(\\ x (zz x))");
  Definitions set;
  set[""] = term("(inner 1)");
  set["inner"] = term("(\\ long (outer long))");
  set["dropped"] = term("(\\ x (nowhere x))");
  set["kept"] = term("(\\ x (outer (inner x)))");
  support::ErrorReport report = checkDefinitions(set, &program::globals().all());
  ASSERT_TRUE(report.ok()) << report.type << ": " << report.message;
  EXPECT_EQ(set.count("dropped"), 0u);
  EXPECT_EQ(set.count("kept"), 1u);
  EXPECT_EQ(show(set["inner"].get()), "((\\ a) (outer a))");
  // Nothing was added to the table, and the table's own definitions were left alone.
  EXPECT_FALSE(defined("inner"));
  EXPECT_EQ(shown("outer"), "((\\ x) (zz x))");
  // Without the outside names, "outer" is undefined for the entry.
  Definitions alone;
  alone[""] = term("(inner 1)");
  alone["inner"] = term("(\\ y (outer y))");
  report = checkDefinitions(alone, nullptr);
  EXPECT_EQ(report.type, "Alive");
  EXPECT_EQ(report.message, "Alive function [inner] references undefined [outer].");
}

// Whole programs through the real front end and Prelude.
class CheckedProgram : public ::testing::Test {
 protected:
  support::PrivateLog log_;
  void SetUp() override { session::startUp(); }
  void TearDown() override { program::tables().reset(); }

  static support::ErrorReport check(std::string_view program) {
    support::ErrorReport loaded = front::loadProgram(program);
    EXPECT_TRUE(loaded.ok()) << loaded.type << ": " << loaded.message;
    return checkProgram();
  }
  static std::string log() {
    std::ifstream in(support::logPath(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
};

TEST_F(CheckedProgram, LongNamesAreLoggedBeforeTheyAreRenamed) {
  std::size_t before = log().size();
  ASSERT_TRUE(check("hh,hh\\foo\\bar\\foo").ok());
  EXPECT_NE(log().find("First hh: (\\foo (\\bar foo))\n", before), std::string::npos);
  // bar sorts before foo, so it takes a and foo takes b.
  EXPECT_EQ(show(program::findGlobal("hh")), "((\\ b) ((\\ a) b))");
}

TEST_F(CheckedProgram, AnEntryNamingAOneParameterFunctionPasses) {
  EXPECT_TRUE(check("hh,hh\\x\\x").ok());
}

// "}" is the empty operand: an ordinary symbol that nothing defines.
TEST_F(CheckedProgram, AnEmptyEntryRefersToTheEmptyOperand) {
  support::ErrorReport report = check(",kk\\x\\zz");
  EXPECT_EQ(report.type, "Alive");
  EXPECT_EQ(report.name, "}");
  EXPECT_EQ(report.message, "Alive function [TOP] references undefined [}].");
}

TEST_F(CheckedProgram, TheLayoutTextReplacesAUserDefinition) {
  ASSERT_TRUE(check("K 1,_()\\5").ok());
  EXPECT_EQ(std::string(cells::atomBytesOf(program::findGlobal("_"))), builtins::layoutText());
  EXPECT_EQ(program::tables().recompute().count("_"), 0u);
}

TEST_F(CheckedProgram, EveryDefinitionIsInternedAndLeftWithoutLongNames) {
  ASSERT_TRUE(check("x\\ff 1+gg 1,ff\\arg\\plus arg 1,gg\\arg\\plus arg 1").ok());
  // Both bodies were the same term once their local names became letters.
  EXPECT_EQ(program::findGlobal("ff"), program::findGlobal("gg"));
}

TEST_F(CheckedProgram, QuotesAreExpandedBeforeBindersAreChecked) {
  // The quoted lambda is malformed; the quote's text keeps it, the expanded term is refused.
  support::ErrorReport report = check("x\\`((g y)\\y)");
  EXPECT_EQ(report.type, "Funky");
  EXPECT_EQ(report.message, "Funky key in expression (\\ (g y) y).");
}

// Free names under chains of distinct binders, shorter and longer than the few that the scope
// searches directly: a name is bound inside its binder's chain only, a shadowing binder leaves
// the outer one in force, and names used beside the chain are free.
TEST(FreeNames, BindersInScopeAtEveryChainLength) {
  for (std::size_t length : {1, 2, 31, 32, 33, 34, 64, 100}) {
    SCOPED_TRACE(length);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < length; ++i) {
      std::string name = "n";
      name += static_cast<char>('a' + i % 26);
      name.append(i / 26 + 1, 'q');
      names.push_back(name);
    }
    const std::string& first = names.front();
    const std::string& middle = names[length / 2];
    const std::string& last = names.back();
    // Innermost: the first name bound again, then a use of the first, the middle, the last and g.
    CellRef body = term("(g " + first + " " + middle + " " + last + ")");
    body = makePair(makePair(CellRef("\\"), CellRef(first)), std::move(body));
    for (std::size_t i = length; i-- > 0;) {
      body = makePair(makePair(CellRef("\\"), CellRef(names[i])), std::move(body));
    }
    // Beside the chain the first and the last name are free.
    CellRef whole = makePair(makePair(std::move(body), CellRef(first)), CellRef(last));
    NameSet free;
    collectFreeNames(whole.get(), free);
    EXPECT_EQ(free, (NameSet{"g", first, last}));
    EXPECT_TRUE(usesFreeName(whole.get(), [&](std::string_view name) { return name == last; }));
    if (middle != first && middle != last) {
      EXPECT_FALSE(usesFreeName(whole.get(), [&](std::string_view name) { return name == middle; }));
    }
  }
}

}  // namespace
}  // namespace vorn::check
