// The form in which reports reach the terminal: bytes with colour escapes and visible keys. (The
// bracketed hexadecimal form of a file path is cells::hexEscapes.)
#pragma once

#include <string>
#include <string_view>

namespace vorn::driver {

// The bytes with colour escapes: newline and 32..126 as they are, every other byte as its key in
// the character code, in red (class 1) or green (class 2).
std::string displayForm(std::string_view bytes);

}  // namespace vorn::driver
