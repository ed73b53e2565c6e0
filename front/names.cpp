// The name rules.
#include "front/names.h"

#include "support/assert.h"

namespace vorn::front {

namespace {

bool isIdentifier(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!isLowerOrUnderscore(c)) return false;
  }
  return true;
}

}  // namespace

bool isName(std::string_view text) {
  if (text.empty()) return false;
  if (isLowerOrUnderscore(text[0])) return isIdentifier(text);
  if (text[0] != '[') return text.size() == 1 && isOneByteName(static_cast<unsigned char>(text[0]));
  return text.size() == 3 && text[2] == ']' && isNameOperator(text[1]);
}

std::string canonicalName(std::string_view text) {
  CORE_ASSERT(isName(text));
  if (text[0] == '[') return std::string(1, text[1]);
  return std::string(text);
}

bool isStoredName(std::string_view bytes) {
  if (bytes.empty()) return false;
  if (isLowerOrUnderscore(bytes[0])) return isIdentifier(bytes);
  if (bytes.size() != 1) return false;
  return isOneByteName(static_cast<unsigned char>(bytes[0])) || isNameOperator(bytes[0]);
}

}  // namespace vorn::front
