// Time, process control and error numbers, called through the builtin table: the struct tm copy
// layer on exactly 36-byte structures, fixed-time conversions in UTC, the environment, the error
// constants, and the builtins that end the process (run as death tests).
#include <gtest/gtest.h>

#include <unistd.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {
namespace {

using cells::CellRef;

CellRef call(const std::string& name, std::vector<CellRef> args = {}) {
  auto found = builtinTable().find(name);
  EXPECT_NE(found, builtinTable().end()) << name;
  EXPECT_EQ(found->second.arity, args.size()) << name;
  CellRef node(name);
  for (CellRef& arg : args) node = cells::makePair(std::move(node), std::move(arg));
  return found->second.entry(std::move(node));
}

CellRef integer(std::int64_t v) { return cells::makeInteger(v); }
CellRef text(const char* bytes) { return cells::makeText(bytes); }
CellRef blob(const char* bytes) { return cells::makeBlob(bytes); }
CellRef address(const void* p) { return integer(reinterpret_cast<std::intptr_t>(p)); }

std::string bytesOf(const CellRef& c) { return std::string(cells::atomBytes(c)); }
std::int64_t valueOf(const CellRef& c) {
  EXPECT_TRUE(cells::isInteger(c)) << bytesOf(c);
  return cells::integerToInt64(c);
}
const char* stringAt(const CellRef& c) { return reinterpret_cast<const char*>(valueOf(c)); }

// The nine int fields a program holds, in C order.
struct Fields {
  std::int32_t sec, min, hour, mday, mon, year, wday, yday, isdst;
};
static_assert(sizeof(Fields) == 36);

Fields fieldsAt(const void* p) {
  Fields f;
  std::memcpy(&f, p, sizeof f);
  return f;
}

// Runs each test in UTC and puts the time zone back afterwards.
class TimeBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  // 2023-11-14 22:13:20 UTC, a Tuesday.
  static constexpr std::time_t kFixed = 1700000000;
  // A program's 36-byte struct tm, allocated to the byte so that any access past it is caught.
  std::unique_ptr<Fields> programTm(Fields f) { return std::make_unique<Fields>(f); }

 private:
  std::optional<std::string> saved_;
};

TEST_F(TimeBuiltins, TimeOfZeroReturnsTheTimeWithoutStoring) {
  std::time_t before = std::time(nullptr);
  std::int64_t now = valueOf(call("time", {integer(0)}));
  std::time_t after = std::time(nullptr);
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
}

TEST_F(TimeBuiltins, TimeStoresEightBytesAtAnUnalignedSlot) {
  auto buffer = std::make_unique<unsigned char[]>(9);
  std::int64_t now = valueOf(call("time", {address(buffer.get() + 1)}));
  std::int64_t stored = 0;
  std::memcpy(&stored, buffer.get() + 1, 8);
  EXPECT_EQ(stored, now);
  EXPECT_EQ(bytesOf(call("time_t")), "8");
}

TEST_F(TimeBuiltins, GmtimeAndStrftimeOfAFixedTime) {
  std::time_t when = kFixed;
  CellRef tm = call("gmtime", {address(&when)});
  Fields f = fieldsAt(stringAt(tm));
  EXPECT_EQ(f.year, 123);
  EXPECT_EQ(f.mon, 10);
  EXPECT_EQ(f.mday, 14);
  EXPECT_EQ(f.hour, 22);
  EXPECT_EQ(f.wday, 2);

  char out[64] = {};
  CellRef written = call("strftime", {address(out), integer(sizeof out),
                                      blob("%Y-%m-%d %H:%M:%S %a"), tm});
  EXPECT_EQ(bytesOf(written), "23");
  EXPECT_STREQ(out, "2023-11-14 22:13:20 Tue");
  // A text format is seen with its brackets.
  EXPECT_EQ(bytesOf(call("strftime", {address(out), integer(sizeof out), text("%Y"), tm})), "6");
  EXPECT_STREQ(out, "[2023]");
  // Output that does not fit gives 0.
  EXPECT_EQ(bytesOf(call("strftime", {address(out), integer(4), blob("%Y-%m"), tm})), "0");
}

TEST_F(TimeBuiltins, LocaltimeAndCtimeFollowTheTimeZone) {
  std::time_t when = kFixed;
  Fields local = fieldsAt(stringAt(call("localtime", {address(&when)})));
  EXPECT_EQ(local.hour, 22);
  EXPECT_STREQ(stringAt(call("ctime", {address(&when)})), "Tue Nov 14 22:13:20 2023\n");
}

TEST_F(TimeBuiltins, MktimeNormalisesAThirtySixByteStructInPlace) {
  // 32 January 2000 is 1 February; wday, yday and isdst are filled in.
  auto tm = programTm({0, 0, 0, 32, 0, 100, -1, -1, 0});
  CellRef when = call("mktime", {address(tm.get())});
  EXPECT_EQ(valueOf(when), 949363200);
  EXPECT_EQ(tm->mday, 1);
  EXPECT_EQ(tm->mon, 1);
  EXPECT_EQ(tm->year, 100);
  EXPECT_EQ(tm->wday, 2);
  EXPECT_EQ(tm->yday, 31);
  EXPECT_EQ(tm->isdst, 0);
}

TEST_F(TimeBuiltins, AsctimeAndStrftimeReadOnlyTheNineFields) {
  auto tm = programTm({5, 4, 3, 1, 1, 100, 2, 31, 0});
  EXPECT_STREQ(stringAt(call("asctime", {address(tm.get())})), "Tue Feb  1 03:04:05 2000\n");
  char out[32] = {};
  EXPECT_EQ(bytesOf(call("strftime", {address(out), integer(sizeof out), blob("%j %H:%M:%S %z"),
                                      address(tm.get())})),
            "18");
  EXPECT_STREQ(out, "032 03:04:05 +0000");
}

TEST_F(TimeBuiltins, DifftimeIsAReal) {
  CellRef d = call("difftime", {integer(10), integer(3)});
  ASSERT_TRUE(cells::isRealCell(d.get()));
  EXPECT_EQ(cells::realValue(d), 7.0);
  EXPECT_EQ(bytesOf(call("difftime", {integer(10), text("3")})), "Z");
}

TEST_F(TimeBuiltins, NullStructuresFailInsteadOfCrashing) {
  struct Case {
    const char* name;
    std::vector<CellRef> args;
    const char* expected;
  };
  char out[16];
  Case cases[] = {
      {"ctime", {integer(0)}, "0"},
      {"gmtime", {integer(0)}, "0"},
      {"localtime", {integer(0)}, "0"},
      {"asctime", {integer(0)}, "0"},
      {"mktime", {integer(0)}, "01"},
      {"strftime", {address(out), integer(16), blob("%Y"), integer(0)}, "0"},
      {"strftime", {integer(0), integer(16), blob("%Y"), integer(0)}, "0"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    errno = 0;
    EXPECT_EQ(bytesOf(call(c.name, std::move(c.args))), c.expected);
    EXPECT_EQ(errno, EINVAL);
  }
}

// ---- Environment, errno and error numbers -----------------------------------------------------------

TEST(SystemBuiltins, GetenvSeesTheBytesItIsGiven) {
  setenv("VORN_TEST_VAR", "bare", 1);
  unsetenv("[VORN_TEST_VAR]");
  EXPECT_STREQ(stringAt(call("getenv", {blob("VORN_TEST_VAR")})), "bare");
  // A text Atom names the variable with its brackets, normally unset.
  EXPECT_EQ(bytesOf(call("getenv", {text("VORN_TEST_VAR")})), "0");
  setenv("[VORN_TEST_VAR]", "bracketed", 1);
  EXPECT_STREQ(stringAt(call("getenv", {text("VORN_TEST_VAR")})), "bracketed");
  unsetenv("[VORN_TEST_VAR]");
  unsetenv("VORN_TEST_VAR");
  EXPECT_EQ(bytesOf(call("getenv", {blob("VORN_TEST_VAR")})), "0");
  EXPECT_EQ(bytesOf(call("getenv", {integer(0)})), "0");
  EXPECT_EQ(bytesOf(call("getenv", {CellRef("name")})), "Z");
}

TEST(SystemBuiltins, ErrorConstantsAreThePlatformValues) {
  const std::pair<const char*, const char*> cases[] = {
      {"eintr", "4"},         {"eio", "5"},          {"enxio", "6"},      {"ebadf", "9"},
      {"enomem", "12"},       {"eacces", "13"},      {"efault", "14"},    {"enodev", "19"},
      {"einval", "22"},       {"enfile", "23"},      {"emfile", "24"},    {"econnaborted", "103"},
      {"enotsock", "88"},     {"eopnotsupp", "95"},  {"eoverflow", "75"}, {"ewouldblock", "11"},
  };
  for (const auto& [name, value] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(bytesOf(call(name)), value);
  }
}

TEST(SystemBuiltins, ErrnoReadsWhatTheLastCallLeft) {
  errno = 0;
  call("strtol", {blob("99999999999"), integer(0), integer(10)});
  EXPECT_EQ(bytesOf(call("errno")), "34");
  errno = EACCES;
  EXPECT_EQ(bytesOf(call("errno")), "13");
  EXPECT_STREQ(stringAt(call("strerror", {integer(ENOENT)})), std::strerror(ENOENT));
  EXPECT_EQ(bytesOf(call("strerror", {text("2")})), "Z");
}

// ---- Process control ----------------------------------------------------------------------------

TEST(SystemBuiltins, AssertOfTrueIsDoneAndOfANonTruthIsZ) {
  EXPECT_EQ(bytesOf(call("assert", {CellRef("K")})), "I");
  EXPECT_EQ(bytesOf(call("assert", {integer(1)})), "Z");
  EXPECT_EQ(bytesOf(call("assert", {text("H")})), "Z");
}

TEST(SystemBuiltins, NonIntegerStatusesAndSignalsGiveZ) {
  EXPECT_EQ(bytesOf(call("exit", {text("3")})), "Z");
  EXPECT_EQ(bytesOf(call("raise", {text("15")})), "Z");
  EXPECT_EQ(bytesOf(call("system", {CellRef("name")})), "Z");
}

TEST(SystemBuiltins, RaiseOfAnInvalidSignalFails) {
  EXPECT_NE(bytesOf(call("raise", {integer(100000)})), "0");
}

TEST(SystemBuiltins, SystemReturnsTheWaitStatus) {
  std::int64_t status = valueOf(call("system", {blob("exit 3")}));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  // A null command asks whether a shell is there.
  EXPECT_NE(bytesOf(call("system", {integer(0)})), "0");
}

// A temporary file that a death-test child writes through a stdio stream it never flushes; the
// parent then sees whether the process ending wrote it out.
class EndingBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    // The child must inherit this fixture's file name, so it forks without re-running SetUp.
    GTEST_FLAG_SET(death_test_style, "fast");
    char name[] = "/tmp/vorn-system-test-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
  }
  void TearDown() override { std::remove(path_.c_str()); }

  // Leaves `line` buffered in a stream on the file, then calls the builtin.
  void writeThenCall(const std::string& name, std::vector<CellRef> args) {
    std::FILE* file = std::fopen(path_.c_str(), "w");
    std::fputs("buffered line\n", file);
    call(name, std::move(args));
  }
  std::string fileContents() {
    std::ifstream in(path_);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  std::string path_;
};

TEST_F(EndingBuiltins, ExitEndsWithTheLowBitsAndFlushesStreams) {
  EXPECT_EXIT(writeThenCall("exit", {integer(3)}), ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(fileContents(), "buffered line\n");
  EXPECT_EXIT(call("exit", {integer(256 + 7)}), ::testing::ExitedWithCode(7), "");
}

TEST_F(EndingBuiltins, AbortFlushesThenDiesOfSigabrt) {
  EXPECT_EXIT(writeThenCall("abort", {}), ::testing::KilledBySignal(SIGABRT), "");
  EXPECT_EQ(fileContents(), "buffered line\n");
}

TEST_F(EndingBuiltins, AssertOfFalseReportsLine242AndAborts) {
  EXPECT_EXIT(writeThenCall("assert", {CellRef("H")}), ::testing::KilledBySignal(SIGABRT),
              "^ASSERTION FAILED:l:242\n$");
  EXPECT_EQ(fileContents(), "buffered line\n");
}

TEST_F(EndingBuiltins, RaiseFlushesBeforeTheSignalEndsTheProcess) {
  EXPECT_EXIT(writeThenCall("raise", {integer(SIGTERM)}), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(fileContents(), "buffered line\n");
}

}  // namespace
}  // namespace vorn::builtins
