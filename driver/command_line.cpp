// Reading the options. "--help" and "--version" answer at once, whatever else is given; every
// other conflict is a usage error, reported before anything is read.
#include "driver/command_line.h"

#include <string_view>

namespace vorn::driver {

namespace {

CommandLine usageError(std::string_view word, std::string problem) {
  CommandLine line;
  line.action = Action::kUsage;
  line.problemWord = std::string(word);
  line.problem = std::move(problem);
  return line;
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv) {
  CommandLine line;
  bool check = false;
  bool interactive = false;
  int at = 1;
  while (at < argc) {
    std::string_view word = argv[at];
    if (word.empty() || word[0] != '-' || word == "-") break;
    ++at;
    if (word == "--") {
      if (at < argc) {
        line.from = ProgramFrom::kFile;
        line.program = argv[at++];
      }
      break;
    }
    if (word == "--help") {
      line.action = Action::kHelp;
      return line;
    }
    if (word == "--version") {
      line.action = Action::kVersion;
      return line;
    }
    if (word == "--check") {
      check = true;
    } else if (word == "--explain") {
      line.explain = true;
    } else if (word == "-i") {
      interactive = true;
    } else if (word == "-e") {
      if (at >= argc) return usageError(word, "The option needs the program text after it.");
      line.from = ProgramFrom::kText;
      line.program = argv[at++];
      break;
    } else {
      return usageError(word, "Unknown option; vorn --help lists the options.");
    }
  }
  if (line.from == ProgramFrom::kNothing && at < argc) {
    std::string_view word = argv[at++];
    line.from = word == "-" ? ProgramFrom::kStandardInput : ProgramFrom::kFile;
    line.program = word;
  }
  line.arguments = argv + at;
  if (check && interactive) return usageError("-i", "The options --check and -i exclude each other.");
  if (interactive) {
    if (at < argc) return usageError(argv[at], "An interactive session takes no program arguments.");
    line.action = Action::kInteractive;
    return line;
  }
  if (line.from == ProgramFrom::kNothing) {
    bool explain = line.explain;
    line = usageError("", "");
    line.explain = explain;
    return line;
  }
  if (check) line.action = Action::kCheck;
  return line;
}

}  // namespace vorn::driver
