// The memory guard: a wild address given to a builtin becomes MemoryFault naming the builtin,
// the builtin's Cells are released once on the way out, a stream the fault struck in stays usable
// from the same thread, and a fault outside any guarded access still ends the process.
#include "builtins/fault_guard.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>

#include "builtins/convention.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {

CellRef memGetx(CellRef node);
CellRef memSetw(CellRef node);
CellRef strStrlen(CellRef node);
CellRef strStrcmp(CellRef node);
CellRef strStrcpy(CellRef node);
CellRef strStrtokR(CellRef node);
CellRef strStrdup(CellRef node);
CellRef strMemcpy(CellRef node);
CellRef strMemset(CellRef node);
CellRef strRealloc(CellRef node);
CellRef strFree(CellRef node);
CellRef ioPuts(CellRef node);
CellRef ioFputs(CellRef node);
CellRef ioFwrite(CellRef node);
CellRef ioFgets(CellRef node);
CellRef ioFclose(CellRef node);
CellRef ioFopen(CellRef node);
CellRef ioPerror(CellRef node);
CellRef sockInetPton(CellRef node);
CellRef sockGetaddrinfo(CellRef node);
CellRef sockFreeaddrinfo(CellRef node);
CellRef sockGetnameinfo(CellRef node);
CellRef sockFdSet(CellRef node);
CellRef mathStrtod(CellRef node);
CellRef mathAtoi(CellRef node);
CellRef mathFrexp(CellRef node);
CellRef treeCopy(CellRef node);
CellRef sysMktime(CellRef node);
CellRef sysStrftime(CellRef node);
CellRef sysGetenv(CellRef node);
CellRef dirReaddir(CellRef node);

namespace {

// An address in the first pages, which Linux never maps.
constexpr std::int64_t kWild = 12345;

CellRef number(std::int64_t n) { return cells::makeInteger(n); }
CellRef address(const void* p) { return number(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(p))); }
CellRef text(const char* bytes) { return cells::makeText(bytes); }

// The node applying a builtin to its arguments, first to last.
CellRef apply(std::initializer_list<CellRef> arguments) {
  CellRef node("head");
  for (const CellRef& a : arguments) node = cells::makePair(node, a);
  return node;
}

// The name carried by the MemoryFault the call throws, or "" when it returns.
std::string faultOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const MemoryFault& fault) {
    return fault.builtin;
  }
  return "";
}

TEST(FaultGuard, ValidMemoryGivesTheAccessResult) {
  int value = 42;
  int* p = &value;
  EXPECT_EQ(guardMemory("getx", [p] { return *p; }), 42);
  guardMemory("setx", [p] { *p = 7; });
  EXPECT_EQ(value, 7);
}

TEST(FaultGuard, EveryFaultInARowIsCaught) {
  // The handler is left by a jump; each landing must let the next fault through again.
  auto* wild = reinterpret_cast<volatile char*>(kWild);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(faultOf([wild] { guardMemory("getx", [wild] { return *wild; }); }), "getx");
  }
}

// Every family that takes addresses, each given one wild address; the other arguments are valid.
TEST(FaultGuard, EachBuiltinNamesItselfForAWildAddress) {
  char buffer[64] = "some text";
  std::FILE* scratch = std::tmpfile();
  ASSERT_NE(scratch, nullptr);
  // fgets writes only when there is a line to read.
  std::FILE* filled = std::tmpfile();
  ASSERT_NE(filled, nullptr);
  std::fputs("a line\n", filled);
  std::rewind(filled);
  struct Case {
    const char* name;
    CellRef (*entry)(CellRef);
    std::function<CellRef()> node;
  };
  const Case cases[] = {
      {"getx", memGetx, [] { return apply({number(kWild)}); }},
      {"setw", memSetw, [] { return apply({number(kWild), number(7)}); }},
      {"strlen", strStrlen, [] { return apply({number(kWild)}); }},
      // A text made of two pieces is joined into a buffer the call owns; it goes on the way out.
      {"strcmp", strStrcmp, [] { return apply({cells::makePair(text("ab"), text("cd")), number(kWild)}); }},
      {"strcpy", strStrcpy, [] { return apply({number(kWild), text("abc")}); }},
      {"strtok_r", strStrtokR, [] { return apply({number(0), text(","), number(kWild)}); }},
      {"strdup", strStrdup, [] { return apply({number(kWild)}); }},
      {"memcpy", strMemcpy, [&] { return apply({address(buffer), number(kWild), number(8)}); }},
      {"memset", strMemset, [] { return apply({number(kWild), number(0), number(8)}); }},
      {"realloc", strRealloc, [] { return apply({number(kWild), number(8)}); }},
      {"free", strFree, [] { return apply({number(kWild)}); }},
      {"puts", ioPuts, [] { return apply({number(kWild)}); }},
      {"fputs", ioFputs, [&] { return apply({number(kWild), address(scratch)}); }},
      {"fwrite", ioFwrite, [&] { return apply({number(kWild), number(1), number(4), address(scratch)}); }},
      {"fgets", ioFgets, [&] { return apply({number(kWild), number(8), address(filled)}); }},
      {"fclose", ioFclose, [] { return apply({number(kWild)}); }},
      {"fopen", ioFopen, [] { return apply({number(kWild), text("r")}); }},
      {"perror", ioPerror, [] { return apply({number(kWild)}); }},
      {"inet_pton", sockInetPton, [&] { return apply({number(2), number(kWild), address(buffer)}); }},
      {"getaddrinfo", sockGetaddrinfo, [] { return apply({number(0), number(0), number(0), number(kWild)}); }},
      {"freeaddrinfo", sockFreeaddrinfo, [] { return apply({number(kWild)}); }},
      {"getnameinfo", sockGetnameinfo,
       [&] { return apply({number(kWild), number(16), address(buffer), number(64), number(0), number(0), number(0)}); }},
      {"fd_set", sockFdSet, [] { return apply({number(3), number(kWild)}); }},
      {"strtod", mathStrtod, [] { return apply({number(kWild), number(0)}); }},
      {"atoi", mathAtoi, [] { return apply({number(kWild)}); }},
      {"frexp", mathFrexp, [] { return apply({cells::makeReal(8.0), number(kWild)}); }},
      {"copy", treeCopy, [] { return apply({text("abc"), number(kWild)}); }},
      {"mktime", sysMktime, [] { return apply({number(kWild)}); }},
      {"strftime", sysStrftime, [&] { return apply({number(kWild), number(16), text("%Y"), address(buffer)}); }},
      {"getenv", sysGetenv, [] { return apply({number(kWild)}); }},
      {"readdir", dirReaddir, [] { return apply({number(kWild)}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CellRef node = c.node();
    CellRef lastArgument = cells::right(node);
    EXPECT_EQ(faultOf([&] { c.entry(std::move(node)); }), c.name);
    // The node the entry was handed went on the way out: only this test holds the argument now.
    EXPECT_EQ(cells::refCount(lastArgument.get()), 1u);
  }
  std::fclose(scratch);
  std::fclose(filled);
}

// Address 0 is what every failing address-returning call gives, so it is the wild address
// programs meet most.
TEST(FaultGuard, TheNullAddressIsAFaultToo) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer build reports a null address as undefined behaviour before use";
#endif
  char buffer[8] = {};
  EXPECT_EQ(faultOf([] { memGetx(apply({number(0)})); }), "getx");
  EXPECT_EQ(faultOf([] { memSetw(apply({number(0), number(1)})); }), "setw");
  EXPECT_EQ(faultOf([] { strStrlen(apply({number(0)})); }), "strlen");
  EXPECT_EQ(faultOf([&] { strMemcpy(apply({number(0), address(buffer), number(8)})); }), "memcpy");
}

// fwrite from a wild buffer faults while it holds the stream's lock. That lock is recursive and
// this thread's, so the stream goes on working from here, and its buffer lost nothing.
TEST(FaultGuard, AStreamAFaultStruckInGoesOnWorkingOnTheSameThread) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  auto write = [stream](CellRef data, std::int64_t count) {
    return ioFwrite(apply({std::move(data), number(1), number(count), address(stream)}));
  };
  EXPECT_EQ(cells::atomBytes(write(cells::makeBlob("ab"), 2)), "2");
  EXPECT_EQ(faultOf([&] { write(number(kWild), 4); }), "fwrite");
  EXPECT_EQ(cells::atomBytes(write(cells::makeBlob("cd"), 2)), "2");
  std::rewind(stream);
  char back[8] = {};
  EXPECT_EQ(std::fread(back, 1, sizeof back, stream), 4u);
  EXPECT_EQ(std::string(back, 4), "abcd");
  std::fclose(stream);
}

// The sanitizer build has a fault handler of its own, which the guard hands unguarded faults to:
// there the process ends with the sanitizer's report and status instead of the signal.
bool diedOfSegv(int status) {
#if defined(__SANITIZE_ADDRESS__)
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return true;
#endif
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV;
}

TEST(FaultGuardDeath, AFaultOutsideAnyGuardedAccessStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        int value = 0;
        int* p = &value;
        guardMemory("getx", [p] { return *p; });  // the handlers are in place from here on
        *reinterpret_cast<volatile int*>(kWild) = 1;
        std::exit(0);
      },
      diedOfSegv, "");
}

TEST(FaultGuardDeath, ASegvSentToTheProcessIsNotTakenForAFault) {
  EXPECT_EXIT(
      {
        auto* wild = reinterpret_cast<volatile char*>(kWild);
        static_cast<void>(faultOf([wild] { guardMemory("getx", [wild] { return *wild; }); }));
        std::raise(SIGSEGV);
        std::exit(0);
      },
      diedOfSegv, "");
}

}  // namespace
}  // namespace vorn::builtins
