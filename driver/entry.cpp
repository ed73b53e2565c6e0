// The process entry: usage and start checks, reading the program, the session's run, and the exit
// status from the result's low bits or the report on stderr. `vorn file args...` with no option
// behaves exactly as it always has; the options only add.
#include "driver/entry.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "cells/integer.h"
#include "cells/text.h"
#include "driver/command_line.h"
#include "driver/console.h"
#include "driver/program_source.h"
#include "driver/report_output.h"
#include "driver/version.h"
#include "session/session.h"
#include "support/assert.h"
#include "support/report.h"

namespace vorn::driver {

namespace {

constexpr std::string_view kHelp =
    "Usage: vorn [option ...] file [arg ...]\n"
    "       vorn [option ...] - [arg ...]\n"
    "       vorn [option ...] -e text [arg ...]\n"
    "       vorn -i [file]\n"
    "\n"
    "Runs a program written in the vorn language: loads and checks it, evaluates its entry\n"
    "applied to the address of the arguments, and exits with the integer it returns.\n"
    "\n"
    "Options (they come before the program):\n"
    "  -           read the program from standard input (the program then finds its own\n"
    "              input at end of file)\n"
    "  -e text     the program is the text; the words after it are its arguments\n"
    "  --check     load and check only: no output and status 0 when the program would run,\n"
    "              otherwise the report a run would give\n"
    "  --explain   after a report, show the source line it points at (always done when\n"
    "              stderr is a terminal)\n"
    "  -i [file]   interactive session on the file's definitions: a line starting with\n"
    "              name\\ defines, any other line is evaluated and its value printed;\n"
    "              :quit or end of input ends it, Ctrl-C interrupts an evaluation\n"
    "  --help      print this text\n"
    "  --version   print the version\n"
    "  --          end of options: the next word is the program file even if it starts\n"
    "              with - (or write ./-name)\n"
    "\n"
    "A first line starting with #! is skipped, so a program can be an executable script.\n"
    "\n"
    "Exit status: the program's result (its low 8 bits); 1 for a usage error; 128 when a\n"
    "failure was reported on stderr.\n"
    "\n"
    "Documentation: man vorn; the language guide language.md in the docs folder of the\n"
    "source tree or of the installation (share/doc/vorn).\n";

void writeText(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

int printUsage(const CommandLine& line) {
  if (line.problem.empty()) {
    writeText(stderr, "Error.\n Type: Usage\nUsage: vorn file arg0 arg1 arg2 ...\n\\/\n");
  } else {
    writeText(stderr, "Error.\n Type: Usage\n Name: \"" + cells::hexEscapes(line.problemWord) + "\"\n" +
                          line.problem + "\n\\/\n");
  }
  return kUsageStatus;
}

int printStartReport(std::string_view path) {
  writeText(stderr, "Error.\n Type: Start\n Name: \"" + cells::hexEscapes(path) +
                        "\"\nCould not read program file.\n\\/\n");
  return kFailureStatus;
}

int reportFailure(const support::ErrorReport& report, const ProgramSource& source, bool explain) {
  writeReport(report, {{source.name, source.program, 1}}, explain);
  return kFailureStatus;
}

}  // namespace

int vornMain(int argc, char** argv) {
  ENTRY_ASSERT(argc != 0);
  CommandLine line = parseCommandLine(argc, argv);
  bool explain = line.explain || stderrIsTerminal();
  switch (line.action) {
    case Action::kHelp:
      writeText(stdout, kHelp);
      return 0;
    case Action::kVersion:
      writeText(stdout, "vorn " + std::string(kVersion) + "\n");
      return 0;
    case Action::kUsage:
      return printUsage(line);
    default:
      break;
  }
  std::optional<ProgramSource> source;
  if (line.from != ProgramFrom::kNothing) {
    source = readProgram(line);
    if (!source) return printStartReport(line.from == ProgramFrom::kStandardInput ? "-" : line.program);
  }
  if (line.action == Action::kInteractive) return runConsole(source, explain);
  if (line.action == Action::kCheck) {
    support::ErrorReport report = session::checkText(source->program);
    return report.ok() ? 0 : reportFailure(report, *source, explain);
  }
  session::RunOutcome outcome = session::runText(source->program, line.arguments);
  if (!outcome.report.ok()) return reportFailure(outcome.report, *source, explain);
  auto value = static_cast<std::uint64_t>(cells::integerToInt64(outcome.result));
  return static_cast<int>(static_cast<std::uint32_t>(value));
}

}  // namespace vorn::driver
