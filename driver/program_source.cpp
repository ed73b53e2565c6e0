// Reading the program: in chunks of at most 4095 bytes until a read gives nothing, without any
// newline translation.
#include "driver/program_source.h"

#include <sys/stat.h>

#include <cstdio>

namespace vorn::driver {

namespace {

// Everything the stream holds, or nothing when a read fails.
std::optional<std::string> readStream(std::FILE* stream) {
  std::string text;
  // A regular file says how large it is: the text then grows once instead of doubling its way
  // up (a program of 50 MiB would touch twice its size in copies). The reads stay the same.
  struct stat status {};
  if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    text.reserve(static_cast<std::size_t>(status.st_size));
  }
  char chunk[4095];
  for (;;) {
    std::size_t got = std::fread(chunk, 1, sizeof chunk, stream);
    if (got == 0) break;
    text.append(chunk, got);
  }
  if (std::ferror(stream) != 0) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> readProgramFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::nullopt;
  // A directory opens but cannot be read: that is an unreadable program file, not an empty one.
  std::optional<std::string> text = readStream(file);
  std::fclose(file);
  return text;
}

std::optional<ProgramSource> readProgram(const CommandLine& line) {
  ProgramSource source;
  std::optional<std::string> text;
  switch (line.from) {
    case ProgramFrom::kFile:
      source.name = std::string(line.program);
      text = readProgramFile(source.name.c_str());
      break;
    case ProgramFrom::kStandardInput:
      source.name = "<stdin>";
      text = readStream(stdin);
      break;
    case ProgramFrom::kText:
      source.name = "<-e>";
      text = std::string(line.program);
      break;
    case ProgramFrom::kNothing:
      return std::nullopt;
  }
  if (!text) return std::nullopt;
  source.program = withoutScriptLine(std::move(*text));
  return source;
}

std::string withoutScriptLine(std::string text) {
  if (text.rfind("#!", 0) != 0) return text;
  std::size_t end = text.find('\n');
  if (end == std::string::npos) end = text.size();
  text.replace(0, end, end, ' ');
  return text;
}

}  // namespace vorn::driver
