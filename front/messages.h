// The texts of the front end's user-facing failures, in one place. Each function returns the
// message only; the report type travels beside it.
#pragma once

#include <string>
#include <string_view>

namespace vorn::front::messages {

// A closing bracket of the wrong kind; `where` is the position code of the closing bracket.
inline std::string doesntFit(char closing, std::string_view where) {
  return "Doesn't fit '" + std::string(1, closing) + "' at [" + std::string(where) + "].";
}

// A closing bracket with nothing open.
inline std::string leftDangling(std::string_view kind) {
  return "Left dangling " + std::string(kind) + ".";
}

// An opening bracket still open at the end of the text.
inline std::string rightDangling(std::string_view kind) {
  return "Right dangling " + std::string(kind) + ".";
}

inline constexpr std::string_view kComma =
    "Comma encountered in parenthesization which is not a call list.";

inline std::string lowerName(std::string_view name) {
  return "Single lowercase letters (" + std::string(name) +
         ") cannot be defined as global variables.";
}

inline std::string builtInName(std::string_view name) {
  return "Built in function [" + std::string(name) + "] cannot be re-defined.";
}

}  // namespace vorn::front::messages
