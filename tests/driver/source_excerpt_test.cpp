// The block after a report: the place, the line and the caret; tabs, carriage returns, long lines.
#include "driver/source_excerpt.h"

#include <gtest/gtest.h>

#include <string>

#include "session/session.h"
#include "session/startup.h"
#include "support/report.h"

namespace vorn::driver {
namespace {

support::ErrorReport commaAt(std::int64_t position) {
  return support::makeReport("Comma", "Comma[_____]Comma encountered in parenthesization which is not a call list.",
                             {}, position);
}

std::string excerptOf(const support::ErrorReport& report, std::string_view text, int firstLine = 1) {
  return sourceExcerpt(report, {{"f.vn", text, firstLine}});
}

TEST(SourceExcerpt, PlaceLineAndCaret) {
  std::string text = "main,\nmain\\a\\(1,2)\r\nmore";
  EXPECT_EQ(excerptOf(commaAt(14), text),
            "f.vn:2:9: the comma\nmain\\a\\(1,2)\n        ^\n");
  // A text typed in a session counts its lines from its own number.
  EXPECT_EQ(excerptOf(commaAt(14), text, 7), "f.vn:8:9: the comma\nmain\\a\\(1,2)\n        ^\n");
}

TEST(SourceExcerpt, TabsAreWidenedAndTheCaretFollows) {
  std::string text = "x\t(\t,)";
  EXPECT_EQ(excerptOf(commaAt(4), text), "f.vn:1:5: the comma\nx       (       ,)\n                ^\n");
}

TEST(SourceExcerpt, ALongLineIsCutAroundTheCaret) {
  std::string text = std::string(300, 'a') + "(,)" + std::string(300, 'b');
  std::string block = excerptOf(commaAt(301), text);
  std::string expectedLine = "..." + std::string(59, 'a') + "(,)" + std::string(58, 'b') + "...";
  EXPECT_EQ(block, "f.vn:1:302: the comma\n" + expectedLine + "\n" + std::string(63, ' ') + "^\n");
}

TEST(SourceExcerpt, NothingForAReportThatPointsNowhere) {
  session::startUp();
  support::ErrorReport range = support::makeReport("Range", "The program must return an integer.", "K");
  EXPECT_EQ(excerptOf(range, "main,main\\a\\K"), "");
  // A position past the text is not shown.
  EXPECT_EQ(excerptOf(commaAt(40), "(,)"), "");
}

TEST(SourceExcerpt, TheFirstTextTheReportPointsIntoIsShown) {
  session::startUp();
  support::ErrorReport cycle = support::makeReport("Cycle", "Cycle detected on function [loop].", "loop");
  std::string line = "loop+1";
  std::string file = ",\nloop\\loop";
  EXPECT_EQ(sourceExcerpt(cycle, {{"<input>", line, 3}, {"f.vn", file, 1}}),
            "f.vn:2:1: [loop] is defined here\nloop\\loop\n^\n");
}

TEST(SourceExcerpt, AMissingNameGetsTheNamesSpeltLikeIt) {
  ASSERT_TRUE(session::checkText("0").ok());  // the Prelude and the builtins
  support::ErrorReport alive =
      support::makeReport("Alive", "Alive function [TOP] references undefined [putz].", "putz");
  EXPECT_EQ(excerptOf(alive, "putz 1"),
            "f.vn:1:1: [putz] is used here, in the entry\nputz 1\n^\nDid you mean [putc] or [puts]?\n");
}

}  // namespace
}  // namespace vorn::driver
