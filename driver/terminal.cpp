// The display form shows each unprintable byte as the key that the character code gives it, so
// a report and the text literal that would make the same bytes look alike.
#include "driver/terminal.h"

#include "cells/text.h"

namespace vorn::driver {

namespace {

enum class Shade { Plain, Red, Green };

bool isPlain(unsigned char c) { return c == '\n' || (c >= 32 && c <= 126); }

const char* escapeFor(Shade shade) {
  switch (shade) {
    case Shade::Plain: return "\033[m";
    case Shade::Red: return "\033[31m";
    case Shade::Green: return "\033[32m";
  }
  return "";
}

}  // namespace

std::string displayForm(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 16);
  Shade current = Shade::Plain;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    Shade shade = Shade::Plain;
    char shown = ch;
    if (!isPlain(c)) {
      cells::CodeKey key = cells::keyOfByte(c);
      shade = key.keyClass == 1 ? Shade::Red : Shade::Green;
      shown = key.character;
    }
    if (shade != current) {
      out += escapeFor(shade);
      current = shade;
    }
    out += shown;
  }
  if (current != Shade::Plain) out += "\033[m";
  return out;
}

}  // namespace vorn::driver
