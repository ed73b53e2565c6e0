// Fuzz target: any bytes as a program file, loaded and then put through the whole-program checker.
#include "check/checker.h"
#include "front/loader.h"
#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::session::startUp();
  vorn::support::ErrorReport report = vorn::front::loadProgram(vorn::fuzz::inputText(data, size));
  if (report.ok()) report = vorn::check::checkProgram();
  vorn::fuzz::render(report);
  return 0;
}
