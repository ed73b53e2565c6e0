// Fuzz target: any bytes as a program file, through bracket validation, normalisation, parsing
// and loading into the global table.
#include "front/loader.h"
#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vorn::session::startUp();
  vorn::fuzz::render(vorn::front::loadProgram(vorn::fuzz::inputText(data, size)));
  return 0;
}
