// Where reports point in the raw text, and the names spelt like a missing one.
#include "session/report_source.h"

#include <gtest/gtest.h>

#include <string>

#include "front/loader.h"
#include "session/session.h"
#include "session/startup.h"

namespace vorn::session {
namespace {

using support::makeReport;

std::vector<std::int64_t> offsets(const support::ErrorReport& report, std::string_view text) {
  std::vector<std::int64_t> at;
  for (const SourcePoint& point : reportPoints(report, text)) at.push_back(point.offset);
  return at;
}

// "Lower" and "Built" count in the normalised text; the point is in the raw one. Blank runs,
// text literals holding commas and line breaks, and wings all lie between them here.
TEST(ReportPoints, LoadingReportsAreFoundThroughTheTopLevelCommas) {
  startUp();  // the builtin names, which "Built" refuses to define
  std::string raw = "main ,\n\n  main\\a\\[x,\n  y] {1,2} ( 3 ),\n   \n  hh\\1,\n   x\\2";
  support::ErrorReport lower = front::loadProgram(raw);
  ASSERT_EQ(lower.type, "Lower");
  EXPECT_EQ(offsets(lower, raw), std::vector<std::int64_t>{static_cast<std::int64_t>(raw.rfind("x\\2"))});
  std::string built = "main,\n main\\a\\1,\n\n\n   init\\a\\a";
  support::ErrorReport report = front::loadProgram(built);
  ASSERT_EQ(report.type, "Built");
  EXPECT_EQ(offsets(report, built), std::vector<std::int64_t>{static_cast<std::int64_t>(built.rfind("init"))});
}

TEST(ReportPoints, DefinitionsNamedByTheChecker) {
  std::string text = "main,\nhh\\1,\n  hh\\2,\nkk\\3";
  std::int64_t lastHh = static_cast<std::int64_t>(text.rfind("hh"));
  for (const char* type : {"Place", "Arity", "Local", "Cycle", "Twice"}) {
    SCOPED_TRACE(type);
    EXPECT_EQ(offsets(makeReport(type, "...", "hh"), text), std::vector<std::int64_t>{lastHh});
    // The entry: the first byte that is not blank.
    EXPECT_EQ(offsets(makeReport(type, "...", ""), "\n  main,kk\\1"), std::vector<std::int64_t>{3});
    EXPECT_TRUE(offsets(makeReport(type, "...", "zz"), text).empty());
  }
  EXPECT_EQ(offsets(makeReport("Funky", "Funky key in expression (\\ (g x) 1) in function kk."), text),
            std::vector<std::int64_t>{static_cast<std::int64_t>(text.rfind("kk"))});
  EXPECT_EQ(offsets(makeReport("Funky", "Funky key in expression (\\ (g x) 1)."), text),
            std::vector<std::int64_t>{0});
}

TEST(ReportPoints, AMissingNameIsFoundWhereItIsUsed) {
  std::string text = "main,\nmain\\a\\[fuzz] fuzzy(fuzz)";
  support::ErrorReport alive = makeReport("Alive", "Alive function [main] references undefined [fuzz].", "fuzz");
  EXPECT_EQ(offsets(alive, text), std::vector<std::int64_t>{static_cast<std::int64_t>(text.rfind("fuzz"))});
  // Not used in its referrer's text (it came in through desugaring, say): the referrer's start.
  support::ErrorReport hidden = makeReport("Alive", "Alive function [main] references undefined [qq].", "qq");
  EXPECT_EQ(offsets(hidden, text), std::vector<std::int64_t>{6});
  EXPECT_EQ(missingName(alive), "fuzz");
  EXPECT_EQ(missingName(makeReport("Cycle", "...", "fuzz")), "");
}

TEST(ReportPoints, BracketReports) {
  std::string text = "(1]x";
  EXPECT_EQ(offsets(makeReport("Match", "Match[_____]Doesn't fit ']' at [____b].", {}, 0), text),
            (std::vector<std::int64_t>{0, 2}));
  EXPECT_EQ(offsets(makeReport("Match", "Match[____c]Left dangling parenthesis.", {}, 3), "1+2)"),
            std::vector<std::int64_t>{3});
  EXPECT_TRUE(offsets(makeReport("Match", "Match[_____]Left dangling parenthesis.", {}, 9), "1)").empty());
  EXPECT_TRUE(offsets(makeReport("Range", "...", "K"), text).empty());
}

TEST(NamesLike, TheClosestDefinedNames) {
  ASSERT_TRUE(checkText("0").ok());
  EXPECT_EQ(namesLike("strln"), std::vector<std::string>{"strlen"});
  EXPECT_EQ(namesLike("pust"), (std::vector<std::string>{"puts"}));  // two neighbours swapped
  EXPECT_EQ(namesLike("putz"), (std::vector<std::string>{"putc", "puts"}));
  EXPECT_TRUE(namesLike("q").empty());
  EXPECT_TRUE(namesLike("zzzzzzzz").empty());
  EXPECT_EQ(namesLike("putz", 1), std::vector<std::string>{"putc"});
}

}  // namespace
}  // namespace vorn::session
