// Stand-ins for the stages that are not built yet. Each says so plainly instead of pretending.
#include "eval/run.h"

namespace vorn::eval {
driver::ErrorReport runProgram(driver::ErrorReport report, char**) {
  report.type = "Build";
  report.message = "Evaluation is not built yet.";
  return report;
}
cells::CellRef resultOfRun() { return cells::CellRef("0"); }
std::string clipText(std::string_view text) {
  if (text.size() <= 56) return std::string(text);
  return std::string(text.substr(0, 53)) + "...";
}
}  // namespace vorn::eval
