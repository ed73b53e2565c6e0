// Reading the command line: options before the program, "--", "-" and -e, and the usage errors.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/program_source.h"

namespace vorn::driver {
namespace {

// A C argument vector over the given words, with "vorn" in front and a null entry behind.
class Argv {
 public:
  explicit Argv(std::vector<std::string> words) : words_(std::move(words)) {
    words_.insert(words_.begin(), "vorn");
    for (std::string& word : words_) pointers_.push_back(word.data());
    pointers_.push_back(nullptr);
  }
  int count() const { return static_cast<int>(words_.size()); }
  char** vector() { return pointers_.data(); }

 private:
  std::vector<std::string> words_;
  std::vector<char*> pointers_;
};

std::vector<std::string> wordsFrom(char** arguments) {
  std::vector<std::string> words;
  for (; *arguments != nullptr; ++arguments) words.emplace_back(*arguments);
  return words;
}

TEST(CommandLine, ReadsTheProgramAndItsArguments) {
  struct Case {
    std::vector<std::string> argv;
    Action action;
    ProgramFrom from;
    std::string program;
    bool explain;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {{"p.vn"}, Action::kRun, ProgramFrom::kFile, "p.vn", false, {}},
      {{"p.vn", "a", "--help", "-e"}, Action::kRun, ProgramFrom::kFile, "p.vn", false, {"a", "--help", "-e"}},
      {{"", "x"}, Action::kRun, ProgramFrom::kFile, "", false, {"x"}},
      {{"-", "a"}, Action::kRun, ProgramFrom::kStandardInput, "-", false, {"a"}},
      {{"--", "-p.vn", "-x"}, Action::kRun, ProgramFrom::kFile, "-p.vn", false, {"-x"}},
      {{"--", "-"}, Action::kRun, ProgramFrom::kFile, "-", false, {}},
      {{"-e", "main", "-i", "--"}, Action::kRun, ProgramFrom::kText, "main", false, {"-i", "--"}},
      {{"--explain", "--check", "p.vn", "a"}, Action::kCheck, ProgramFrom::kFile, "p.vn", true, {"a"}},
      {{"--check", "-e", ""}, Action::kCheck, ProgramFrom::kText, "", false, {}},
      {{"-i"}, Action::kInteractive, ProgramFrom::kNothing, "", false, {}},
      {{"-i", "--explain", "lib.vn"}, Action::kInteractive, ProgramFrom::kFile, "lib.vn", true, {}},
      {{"-i", "-e", ",f\\x\\x"}, Action::kInteractive, ProgramFrom::kText, ",f\\x\\x", false, {}},
      {{"--check", "--version", "-x"}, Action::kVersion, ProgramFrom::kNothing, "", false, {}},
      {{"-i", "--help"}, Action::kHelp, ProgramFrom::kNothing, "", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.argv));
    Argv argv(c.argv);
    CommandLine line = parseCommandLine(argv.count(), argv.vector());
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.from, c.from);
    EXPECT_EQ(line.program, c.program);
    EXPECT_EQ(line.explain, c.explain);
    if (line.arguments != nullptr) {
      EXPECT_EQ(wordsFrom(line.arguments), c.arguments);
    }
  }
}

TEST(CommandLine, UsageErrors) {
  struct Case {
    std::vector<std::string> argv;
    std::string word;  // empty: the classic usage report
  };
  const Case cases[] = {
      {{}, ""},
      {{"--"}, ""},
      {{"--explain"}, ""},
      {{"--check"}, ""},
      {{"-x", "p.vn"}, "-x"},
      {{"--chek", "p.vn"}, "--chek"},
      {{"-e"}, "-e"},
      {{"-i", "--check", "p.vn"}, "-i"},
      {{"-i", "p.vn", "arg"}, "arg"},
      {{"-i", "-e", "text", "arg"}, "arg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.argv));
    Argv argv(c.argv);
    CommandLine line = parseCommandLine(argv.count(), argv.vector());
    EXPECT_EQ(line.action, Action::kUsage);
    EXPECT_EQ(line.problemWord, c.word);
    EXPECT_EQ(line.problem.empty(), c.word.empty());
  }
}

TEST(ProgramSource, AFirstLineStartingWithHashBangIsBlankedInPlace) {
  EXPECT_EQ(withoutScriptLine("#!/usr/bin/vorn\nmain"), std::string(15, ' ') + "\nmain");
  EXPECT_EQ(withoutScriptLine("#!"), "  ");
  EXPECT_EQ(withoutScriptLine("#!x\r\nmain\n#!y"), "    \nmain\n#!y");
  // Only a first line that starts with the two bytes.
  EXPECT_EQ(withoutScriptLine(" #!x\nmain"), " #!x\nmain");
  EXPECT_EQ(withoutScriptLine("#x\nmain"), "#x\nmain");
  EXPECT_EQ(withoutScriptLine("main\n#!x"), "main\n#!x");
  EXPECT_EQ(withoutScriptLine(""), "");
}

}  // namespace
}  // namespace vorn::driver
