// Making a report and its printed form.
#include "support/report.h"

namespace vorn::support {

ErrorReport makeReport(std::string type, std::string message, std::string name,
                       std::int64_t position) {
  ErrorReport report;
  report.type = std::move(type);
  report.message = std::move(message);
  report.name = std::move(name);
  report.position = position;
  return report;
}

std::string formatReport(const ErrorReport& report) {
  if (report.ok()) return "No errors.\n";
  std::string out = "Error.\n Type: " + report.type + "\n";
  if (!report.name.empty()) out += " Name: " + report.name + "\n";
  out += report.message + "\n";
  out += "\\/\n";
  return out;
}

std::string exchangeNulNewline(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) {
    if (c == '\0') {
      c = '\n';
    } else if (c == '\n') {
      c = '\0';
    }
  }
  return out;
}

}  // namespace vorn::support
