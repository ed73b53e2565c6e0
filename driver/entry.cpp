// The process entry: usage and start checks, reading the file, the session's run, and the exit
// status from the result's low bits or the report on stderr.
#include "driver/entry.h"

#include <cstdio>

#include "cells/integer.h"
#include "driver/terminal.h"
#include "session/session.h"
#include "support/assert.h"
#include "support/report.h"

namespace vorn::driver {

namespace {

void printUsage() {
  std::fputs("Error.\n Type: Usage\nUsage: vorn file arg0 arg1 arg2 ...\n\\/\n", stderr);
}

void printStartReport(const char* path) {
  std::string text = "Error.\n Type: Start\n Name: \"" + escapeBytes(path) +
                     "\"\nCould not read program file.\n\\/\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
}

int printReport(const support::ErrorReport& report) {
  // What the program wrote before it failed comes out before the report, not after it.
  std::fflush(stdout);
  std::string text = "\033[m" + displayForm(support::formatReport(report));
  std::fwrite(text.data(), 1, text.size(), stderr);
  return kFailureStatus;
}

}  // namespace

std::optional<std::string> readProgramFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::nullopt;
  std::string text;
  char chunk[4095];
  for (;;) {
    std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got == 0) break;
    text.append(chunk, got);
  }
  // A directory opens but cannot be read: that is an unreadable program file, not an empty one.
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return text;
}

int vornMain(int argc, char** argv) {
  ENTRY_ASSERT(argc != 0);
  if (argc == 1) {
    printUsage();
    return kUsageStatus;
  }
  const char* path = argv[1];
  std::optional<std::string> text = readProgramFile(path);
  if (!text) {
    printStartReport(path);
    return kFailureStatus;
  }
  session::RunOutcome outcome = session::runText(*text, argv + 2);
  if (!outcome.report.ok()) return printReport(outcome.report);
  auto value = static_cast<std::uint64_t>(cells::integerToInt64(outcome.result));
  return static_cast<int>(static_cast<std::uint32_t>(value));
}

}  // namespace vorn::driver
