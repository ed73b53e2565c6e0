// Report formatting, the fatal error, and the log file kept safe in a shared folder.
#include "support/report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

// The log in a folder of the test's own, never the shared /tmp/redv.log.
class LogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "vorn-log-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/redv.log";
    setLogPath(path_);
  }
  void TearDown() override {
    setLogPath(kLogPath);
    std::filesystem::remove_all(folder_);
  }

  static std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  static void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::string folder_;
  std::string path_;
};

TEST_F(LogFile, AppendsTheBytesAsTheyAreToAFileOnlyItsOwnerMayRead) {
  const char bytes[] = "First hh: (\\foo \0\xFF)\n";
  std::string line(bytes, sizeof bytes - 1);
  appendLog(line);
  appendLog(line);
  EXPECT_EQ(contents(path_), line + line);
  struct stat status {};
  ASSERT_EQ(::stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(LogFile, AnExistingLogOfTheUsersOwnGrowsAtItsEnd) {
  write(path_, "earlier\n");
  appendLog("later\n");
  EXPECT_EQ(contents(path_), "earlier\nlater\n");
}

// Another user can put a symbolic link where the log goes: nothing reaches the file it names,
// whether that file exists or not.
TEST_F(LogFile, NothingIsWrittenThroughASymbolicLink) {
  std::string victim = folder_ + "/victim";
  write(victim, "precious\n");
  ASSERT_EQ(::symlink(victim.c_str(), path_.c_str()), 0);
  appendLog("planted\n");
  EXPECT_EQ(contents(victim), "precious\n");
  EXPECT_TRUE(std::filesystem::is_symlink(path_));

  std::string missing = folder_ + "/missing";
  std::filesystem::remove(path_);
  ASSERT_EQ(::symlink(missing.c_str(), path_.c_str()), 0);
  appendLog("planted\n");
  EXPECT_FALSE(std::filesystem::exists(missing));
}

// Nor through a second name of a file, nor into anything that is not a regular file; a FIFO
// with no reader must not hold the append up.
TEST_F(LogFile, OnlyARegularFileWithOneNameIsWritten) {
  std::string victim = folder_ + "/victim";
  write(victim, "precious\n");
  ASSERT_EQ(::link(victim.c_str(), path_.c_str()), 0);
  appendLog("planted\n");
  EXPECT_EQ(contents(victim), "precious\n");

  std::filesystem::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  appendLog("planted\n");

  std::filesystem::remove(path_);
  std::filesystem::create_directory(path_);
  appendLog("planted\n");
  EXPECT_TRUE(std::filesystem::is_empty(path_));
}

TEST_F(LogFile, AFileOfAnotherUserIsLeftAlone) {
  write(path_, "theirs\n");
  // Only a privileged test run can give a file away.
  if (::chown(path_.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give the file to another user";
  appendLog("planted\n");
  EXPECT_EQ(contents(path_), "theirs\n");
}

TEST(ReportDeath, FatalPrintsItsWordThenAsserts) {
  EXPECT_DEATH(fatal("nopqchar"), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::support
