// Report formatting, the fatal error, and the log file.
#include "support/report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/assert.h"
#include "support/log.h"

namespace vorn::support {
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

TEST(Log, AppendsToThePathItIsGiven) {
  std::string path = ::testing::TempDir() + "vorn-log-" + std::to_string(getpid());
  std::remove(path.c_str());
  std::string saved = logPath();
  setLogPath(path);
  appendLog("one\n");
  appendLog("two\n");
  setLogPath(saved);
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  EXPECT_EQ(all.str(), "one\ntwo\n");
  std::remove(path.c_str());
}

TEST(ReportDeath, FatalPrintsItsWordThenAsserts) {
  EXPECT_DEATH(fatal("nopqchar"), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::support
