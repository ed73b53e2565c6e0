// Report output. Everything goes through the display form, the excerpt too, so that no byte of a
// program or a path reaches the terminal as a control sequence.
#include "driver/report_output.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "driver/terminal.h"

namespace vorn::driver {

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void writeReport(const support::ErrorReport& report, const std::vector<ExcerptSource>& sources,
                 bool explain) {
  // What the program wrote before it failed comes out before the report, not after it.
  std::fflush(stdout);
  std::string text = "\033[m" + displayForm(support::formatReport(report));
  if (explain) text += displayForm(sourceExcerpt(report, sources));
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vorn::driver
