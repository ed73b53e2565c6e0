// What the fuzz targets share: a fresh interpreter for every input, and the report rendered the
// way the process entry renders it, so that formatting is exercised on whatever the input caused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/terminal.h"
#include "support/report.h"
#include "session/startup.h"

namespace vorn::fuzz {

inline std::string_view inputText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Renders the report as stderr would show it; the bytes themselves are not needed.
inline void render(const support::ErrorReport& report) {
  if (report.ok()) return;
  std::string shown = driver::displayForm(support::formatReport(report));
  if (shown.empty()) __builtin_trap();  // a report always has a banner
}

}  // namespace vorn::fuzz
