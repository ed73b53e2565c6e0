// Report formatting, the display and escaped forms, and the log file.
#include "driver/report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vorn::driver {
namespace {

TEST(Report, EmptyFormatsAsNoErrorsWhateverElseItHolds) {
  ErrorReport r = makeReport("Empty", "y", "x");
  EXPECT_EQ(formatReport(r), "No errors.\n");
}

TEST(Report, NameLineOnlyWhenNamed) {
  EXPECT_EQ(formatReport(makeReport("Alive", "m")), "Error.\n Type: Alive\nm\n\\/\n");
  EXPECT_EQ(formatReport(makeReport("Alive", "m", "g")), "Error.\n Type: Alive\n Name: g\nm\n\\/\n");
  EXPECT_EQ(formatReport(makeReport("Range", "m\n")), "Error.\n Type: Range\nm\n\n\\/\n");
}

TEST(Report, DisplayForm) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"", ""},
      {"plain text\n", "plain text\n"},
      {std::string("a\xC8" "b"), "a\033[31mH\033[mb"},
      {std::string("\0\1", 2), "\033[32mJA\033[m"},
      {"\xA0", "\033[32m9\033[m"},
      {"\x7F\x80\x97\xFF", "\033[32m~!0]\033[m"},
      {"\x1B\x1F\x0B", "\033[32m([K\033[m"},
      {"\xC8\n", "\033[31mH\033[m\n"},
      {"\xC8\x01", "\033[31mH\033[32mA\033[m"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(displayForm(c.in), c.out);
  }
}

TEST(Report, EscapedForm) {
  EXPECT_EQ(escapeBytes("a b/c.vn"), "a b/c.vn");
  EXPECT_EQ(escapeBytes("a\tb"), "a[09]b");
  EXPECT_EQ(escapeBytes("[x]\n\x7F\xFF"), "[5B]x[5D][0A][7F][FF]");
}

TEST(Report, AppendLogAppends) {
  std::string marker = "report-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "\n";
  appendLog(marker);
  appendLog(marker);
  std::ifstream in(kLogPath, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  EXPECT_NE(all.str().find(marker + marker), std::string::npos);
}

TEST(ReportDeath, FatalPrintsItsWordThenAsserts) {
  EXPECT_DEATH(fatal("nopqchar"), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::driver
