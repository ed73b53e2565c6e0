// Loading programs into the global table: the entry, definitions in both forms, silent skipping,
// the "Lower" and "Built" rules with their positions, the bracket reports, and the builtin
// placeholders. Every test starts from a fresh start-up.
#include "front/loader.h"

#include <gtest/gtest.h>

#include <string>

#include "builtins/table.h"
#include "program/tables.h"
#include "session/startup.h"
#include "tests/front/tree_text.h"

namespace vorn::front {
namespace {

using testing::treeText;

class Loading : public ::testing::Test {
 protected:
  void SetUp() override { session::startUp(); }

  static std::string stored(std::string_view name) {
    cells::Cell* value = program::findGlobal(name);
    if (value == nullptr) return "<absent>";
    return treeText(cells::CellRef::borrow(value));
  }
  static bool recomputed(std::string_view name) { return program::tables().recompute().count(name) != 0; }
};

TEST_F(Loading, EmptyFileHasTheEmptyOperandAsEntry) {
  EXPECT_TRUE(loadProgram("").ok());
  EXPECT_EQ(stored(""), "}");
  EXPECT_TRUE(loadProgram(" \n\n ").ok());
  EXPECT_EQ(stored(""), "}");
}

TEST_F(Loading, EntryAndDefinitions) {
  EXPECT_TRUE(loadProgram("main,hh\\x\\x").ok());
  EXPECT_EQ(stored(""), "main");
  EXPECT_EQ(stored("hh"), "((\\ x) x)");
  EXPECT_FALSE(recomputed("hh"));
}

TEST_F(Loading, DefinitionsSpanLinesAndKeepTheirOrder) {
  EXPECT_TRUE(loadProgram("go 1\n,\n  go\\n\\n + 1\n, go\\n\\n+2\n").ok());
  EXPECT_EQ(stored(""), "(go 1)");
  // The later definition replaces the earlier one.
  EXPECT_EQ(stored("go"), "((\\ n) ((+ n) 2))");
}

TEST_F(Loading, BracketedOperatorNamesReplacePreludeEntries) {
  EXPECT_TRUE(loadProgram(",[+]\\K,K\\a\\b\\b").ok());
  EXPECT_EQ(stored("+"), "K");
  EXPECT_EQ(stored("K"), "((\\ a) ((\\ b) b))");
  EXPECT_EQ(stored(""), "}");
}

TEST_F(Loading, PiecesThatAreNoDefinitionsAreSkippedSilently) {
  const std::string programs[] = {
      ",abc",        ",A1\\K",      ",5\\K",       ",[ab]\\K",  ",hh(x)\\K", ",hh()()\\K",
      ",,",          ",main,",      ",h h\\K",     ",\\K",      ",[a b]\\K", ",(hh a)\\K",
  };
  std::size_t before = 0;
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    session::startUp();
    ASSERT_TRUE(loadProgram("").ok());
    before = program::globals().all().size();
    session::startUp();
    EXPECT_TRUE(loadProgram(program).ok());
    EXPECT_EQ(program::globals().all().size(), before);
    EXPECT_EQ(stored("abc"), "<absent>");
  }
}

TEST_F(Loading, EmptyCallFormIsRecomputed) {
  EXPECT_TRUE(loadProgram(",hh()\\x").ok());
  EXPECT_EQ(stored("hh"), "(I x)");
  EXPECT_TRUE(recomputed("hh"));

  session::startUp();
  EXPECT_TRUE(loadProgram(",hh()\\x,hh\\y").ok());
  EXPECT_EQ(stored("hh"), "y");
  EXPECT_FALSE(recomputed("hh"));

  session::startUp();
  EXPECT_TRUE(loadProgram(",hh\\y,hh()\\p\\p").ok());
  EXPECT_EQ(stored("hh"), "(I ((\\ p) p))");
  EXPECT_TRUE(recomputed("hh"));
}

// Definitions are stored in name order rather than source order; the result must not show it.
// Names share their first eight bytes or differ only beyond them, one is a prefix of another, and
// names come back redefined, in both forms, among others: the last definition of each name wins.
TEST_F(Loading, TheLastDefinitionOfANameWinsAmongMany) {
  const std::string program =
      "main,abcdefghij\\1,abcdefgh\\2,abcdefghi()\\3,K\\4,zz\\5,abcdefgh()\\6,abcdefghia\\7,"
      "abcdefghij\\8,abcdefg\\9,zz()\\10,abcdefghi\\11,K()\\12,zz\\13";
  ASSERT_TRUE(loadProgram(program).ok());
  struct Expected {
    const char* name;
    const char* value;
    bool recomputed;
  };
  const Expected expected[] = {
      {"abcdefg", "9", false},      {"abcdefgh", "(I 6)", true}, {"abcdefghi", "11", false},
      {"abcdefghia", "7", false},   {"abcdefghij", "8", false},  {"K", "(I 12)", true},
      {"zz", "13", false},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(stored(e.name), e.value);
    EXPECT_EQ(recomputed(e.name), e.recomputed);
  }
  EXPECT_EQ(stored(""), "main");
  EXPECT_EQ(stored("S"), "((\\ a) ((\\ b) ((\\ c) ((a c) (b c)))))");
}

struct RejectCase {
  std::string program;
  std::string type;
  std::int64_t position;
  std::string message;
};

TEST_F(Loading, RejectedNames) {
  const RejectCase cases[] = {
      {",x\\1", "Lower", 1, "Single lowercase letters (x) cannot be defined as global variables."},
      {"main,hh\\x\\x,h\\x\\x", "Lower", 12,
       "Single lowercase letters (h) cannot be defined as global variables."},
      {",q()\\1", "Lower", 1, "Single lowercase letters (q) cannot be defined as global variables."},
      {",plus\\K", "Built", 1, "Built in function [plus] cannot be re-defined."},
      {",[\\]\\K", "Built", 1, "Built in function [\\] cannot be re-defined."},
      {",[{]\\K", "Built", 1, "Built in function [{] cannot be re-defined."},
      {",getnameinfo()\\K", "Built", 1, "Built in function [getnameinfo] cannot be re-defined."},
      // Positions count in the normalised text: "main,hh\1,plus\K".
      {"main  ,\n  hh \\ 1 ,\n\n  plus \\ K", "Built", 10,
       "Built in function [plus] cannot be re-defined."},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.program);
    session::startUp();
    support::ErrorReport report = loadProgram(c.program);
    EXPECT_EQ(report.type, c.type);
    EXPECT_EQ(report.position, c.position);
    EXPECT_EQ(report.message, c.message);
    EXPECT_EQ(report.name, "");
  }
}

TEST_F(Loading, DefinitionsBeforeARejectionStay) {
  support::ErrorReport report = loadProgram("main,hh\\1,x\\2,gg\\3");
  EXPECT_EQ(report.type, "Lower");
  EXPECT_EQ(stored(""), "main");
  EXPECT_EQ(stored("hh"), "1");
  EXPECT_EQ(stored("gg"), "<absent>");
}

TEST_F(Loading, BracketFailuresStoreNothing) {
  const RejectCase cases[] = {
      {"main,hh\\1,(]", "Match", 10, "Match[____j]Doesn't fit ']' at [____k]."},
      {")", "Match", 0, "Match[_____]Left dangling parenthesis."},
      {"main ,  (a,b)", "Comma", 10,
       "Comma[____j]Comma encountered in parenthesization which is not a call list."},
  };
  for (const RejectCase& c : cases) {
    SCOPED_TRACE(c.program);
    session::startUp();
    std::size_t prelude = program::globals().all().size();
    support::ErrorReport report = loadProgram(c.program);
    EXPECT_EQ(report.type, c.type);
    EXPECT_EQ(report.position, c.position);
    EXPECT_EQ(report.message, c.message);
    EXPECT_EQ(program::globals().all().size(), prelude);
    EXPECT_EQ(stored(""), "<absent>");
  }
}

TEST_F(Loading, BuiltinsHavePlaceholders) {
  ASSERT_TRUE(loadProgram("").ok());
  EXPECT_EQ(stored("plus"), "((\\ a) ((\\ b) Z))");
  EXPECT_EQ(stored("rand"), "Z");
  EXPECT_EQ(stored("buck"), "((\\ a) Z)");
  EXPECT_EQ(stored("getnameinfo"),
            "((\\ a) ((\\ b) ((\\ c) ((\\ d) ((\\ e) ((\\ f) ((\\ g) Z)))))))");
  for (const auto& [name, builtin] : builtins::builtinTable()) {
    SCOPED_TRACE(name);
    EXPECT_NE(program::findGlobal(name), nullptr);
  }
}

TEST_F(Loading, ReadingASourceStoresNothing) {
  std::size_t prelude = program::globals().all().size();
  SourceReading reading = readSource("go,hh\\1,hh()\\2,,x\\3,gg\\4");
  EXPECT_EQ(program::globals().all().size(), prelude);
  ASSERT_TRUE(reading.validated());
  EXPECT_EQ(treeText(reading.entry), "go");
  EXPECT_EQ(reading.report.type, "Lower");
  EXPECT_EQ(reading.report.position, 16);
  ASSERT_EQ(reading.definitions.size(), 2u);
  EXPECT_EQ(reading.definitions[0].name, "hh");
  EXPECT_EQ(reading.definitions[0].form, DefinitionForm::kPlain);
  EXPECT_EQ(reading.definitions[1].form, DefinitionForm::kEmptyCall);
  EXPECT_EQ(treeText(reading.definitions[1].body), "2");

  SourceReading refused = readSource("(a,b)");
  EXPECT_FALSE(refused.validated());
  EXPECT_EQ(refused.report.type, "Comma");
}

// A megabyte of short definitions loads in one linear pass (speed is measured in bench/; here
// only the result is checked).
TEST_F(Loading, ManyShortDefinitions) {
  std::string program = "main";
  std::size_t count = 0;
  while (program.size() < (1u << 20)) {
    std::string name = "qq";
    for (std::size_t n = count++; name.size() < 4 || n > 0; n /= 26) name += char('a' + n % 26);
    program += "," + name + "\\x\\y\\x(y+1)*[t]";
  }
  ASSERT_TRUE(loadProgram(program).ok());
  EXPECT_EQ(stored("qqaa"), "((\\ x) ((\\ y) ((* (x ((+ y) 1))) [t])))");
  EXPECT_EQ(program::globals().all().size(), 51 + builtins::builtinTable().size() + 1 + count);
}

}  // namespace
}  // namespace vorn::front
