// The command line: options, then the program (a file, standard input, or a text given with -e),
// then the program's own arguments. Options come before the program; "--" ends them; the first
// word that does not start with "-" is the program file, as it always was.
#pragma once

#include <string>
#include <string_view>

namespace vorn::driver {

enum class Action {
  kRun,          // run the program
  kCheck,        // --check: load and check only
  kInteractive,  // -i: an interactive session, on the program's definitions if one is given
  kHelp,         // --help
  kVersion,      // --version
  kUsage,        // a usage error: the usage report, exit status 1
};

enum class ProgramFrom {
  kNothing,        // no program given
  kFile,           // a path
  kStandardInput,  // "-"
  kText,           // -e TEXT
};

struct CommandLine {
  Action action = Action::kRun;
  ProgramFrom from = ProgramFrom::kNothing;
  std::string_view program;  // the path, or the text of -e
  bool explain = false;      // --explain: show where reports point even when stderr is no terminal
  char** arguments = nullptr;  // the program's arguments, null-terminated (a tail of argv)
  // For a usage error: the word at fault and what is wrong with it; both empty when simply no
  // program was given, which gives the classic usage report.
  std::string problemWord;
  std::string problem;
};

// Reads the process's argument vector (argv[argc] is null, as the C runtime guarantees).
CommandLine parseCommandLine(int argc, char** argv);

}  // namespace vorn::driver
