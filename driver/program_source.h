// The program's text, from a file, from standard input or from the command line, and the form in
// which the front end gets it: a first line starting with "#!" (the interpreter line of an
// executable script) blanked out, so that every other byte keeps its offset and line.
#pragma once

#include <optional>
#include <string>

#include "driver/command_line.h"

namespace vorn::driver {

struct ProgramSource {
  std::string name;     // how source excerpts name it: the path, "<stdin>" or "<-e>"
  std::string program;  // the bytes the front end reads: any "#!" line blanked
};

// The whole program file as bytes, or nothing when it cannot be opened or read as a file.
std::optional<std::string> readProgramFile(const char* path);

// The program the command line names; nothing when its file or standard input cannot be read.
// Standard input is read to its end, so the program finds its own input at end of file.
std::optional<ProgramSource> readProgram(const CommandLine& line);

// `text` with the bytes of a first line that starts with "#!" replaced by spaces (its newline
// kept); any other text unchanged. Blanks at the start of a program are dropped by normalising,
// so this is the same as skipping the line, and offsets still count from the top of the file.
std::string withoutScriptLine(std::string text);

}  // namespace vorn::driver
