// The session loop. SIGINT is caught only here: the handler sets the flag that the machine polls,
// and is installed without SA_RESTART, so that a read waiting for input returns at once (the
// prompt's, or a program's own). A plain run never installs it.
#include "driver/console.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/entry.h"
#include "driver/line_reader.h"
#include "driver/report_output.h"
#include "driver/terminal.h"
#include "driver/version.h"
#include "session/interactive.h"
#include "support/interrupt.h"

namespace vorn::driver {

namespace {

using session::LineOutcome;

void onInterrupt(int) { support::interruptRequested.store(true); }

void armInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  // A session started with SIGINT blocked would never see Ctrl-C.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
}

void writeOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// The reports of a line point into the line itself first, then into the program file.
std::vector<ExcerptSource> sourcesFor(const std::string& line, int number,
                                      const std::optional<ProgramSource>& program) {
  std::vector<ExcerptSource> sources{{"<input>", line, number}};
  if (program) sources.push_back({program->name, program->program, 1});
  return sources;
}

}  // namespace

int runConsole(const std::optional<ProgramSource>& program, bool explain) {
  armInterrupt();
  std::optional<std::string_view> text;
  if (program) text = program->program;
  support::ErrorReport started = session::startInteractive(text);
  if (!started.ok()) {
    std::vector<ExcerptSource> sources;
    if (program) sources.push_back({program->name, program->program, 1});
    writeReport(started, sources, explain);
    return kFailureStatus;
  }
  LineReader reader;
  bool showBytes = isatty(STDOUT_FILENO) == 1;
  if (reader.editing()) {
    writeOut("vorn " + std::string(kVersion) +
             ": enter definitions or expressions; :quit or Ctrl-D ends, Ctrl-C interrupts.\n");
  }
  int number = 0;
  for (;;) {
    support::interruptRequested.store(false);
    std::clearerr(stdin);  // an interrupted read of a program leaves the error flag set
    std::string line;
    LineReader::Got got = reader.read(line);
    if (got == LineReader::Got::kEnd) break;
    if (got == LineReader::Got::kInterrupted) continue;
    ++number;
    if (session::isQuitCommand(line)) break;
    if (line.find_first_not_of(" \t\r") != std::string::npos) reader.remember(line);
    LineOutcome outcome = session::enterLine(line);
    switch (outcome.kind) {
      case LineOutcome::Kind::kNothing:
      case LineOutcome::Kind::kDefined:
        break;
      case LineOutcome::Kind::kValue:
        // On a terminal unprintable bytes show as their keys, as in reports.
        writeOut((showBytes ? displayForm(outcome.shown) : outcome.shown) + "\n");
        break;
      case LineOutcome::Kind::kReport:
        writeReport(outcome.report, sourcesFor(line, number, program), explain);
        break;
      case LineOutcome::Kind::kInterrupted:
        std::fflush(stdout);
        std::fputs("Interrupted.\n", stderr);
        break;
    }
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace vorn::driver
