// The rules of global names, in one place: how a name is written in program text, the name it is
// stored under, and which stored byte strings are names. Everything that asks whether bytes are a
// name (the loader, the checker's desugarings, term analysis, the printer) asks here.
#pragma once

#include <string>
#include <string_view>

namespace vorn::front {

// The 27 operator characters a bracketed global name such as "[+]" may hold.
inline constexpr std::string_view kNameOperatorBytes = "{,}~!@#$%^&*<>-|+/=\\.`'\":;?";

inline bool isNameOperator(char c) { return kNameOperatorBytes.find(c) != std::string_view::npos; }
inline bool isLowerOrUnderscore(char c) { return c == '_' || (c >= 'a' && c <= 'z'); }
// A byte that is a whole name on its own: 1..31, 'A'..'Z' or 127..255.
inline bool isOneByteName(unsigned char c) { return (c >= 1 && c <= 31) || (c >= 'A' && c <= 'Z') || c >= 127; }

// Names as written: runs of '_' and 'a'..'z'; one byte 1..31, 'A'..'Z' or 127..255; or an
// operator character in square brackets ("[+]").
bool isName(std::string_view text);
// The name under which `text` (which must be a name) is stored: "[+]" becomes "+".
std::string canonicalName(std::string_view text);
// Names as stored: a run of '_' and 'a'..'z', or one byte that is a name on its own or an
// operator character.
bool isStoredName(std::string_view bytes);

}  // namespace vorn::front
