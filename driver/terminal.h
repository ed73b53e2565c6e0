// The forms in which reports reach the terminal: bytes with colour escapes and visible keys, and
// the bracketed hexadecimal form of a file path.
#pragma once

#include <string>
#include <string_view>

namespace vorn::driver {

// The bytes with colour escapes: newline and 32..126 as they are, every other byte as its key in
// the character code, in red (class 1) or green (class 2).
std::string displayForm(std::string_view bytes);

// Every byte outside 32..126, and both square brackets, written as "[" + two hex digits + "]".
std::string escapeBytes(std::string_view bytes);

}  // namespace vorn::driver
