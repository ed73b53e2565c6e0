// Program text as bytes: the character classes, the white-space normaliser, bracket matching with the search for separators outside bracket groups, and the bracket
// validator with its "Match" and "Comma" failures. Positions are 0-based byte offsets.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "front/names.h"

namespace vorn::front {

// ---- Character classes ----------------------------------------------------------------------

// A set of byte values, tested in constant time.
class CharSet {
 public:
  constexpr CharSet() = default;
  constexpr explicit CharSet(std::string_view bytes) {
    for (char c : bytes) add(c);
  }
  constexpr void add(char c) {
    auto b = static_cast<unsigned char>(c);
    words_[b >> 6] |= std::uint64_t{1} << (b & 63);
  }
  constexpr bool has(char c) const {
    auto b = static_cast<unsigned char>(c);
    return (words_[b >> 6] >> (b & 63)) & 1;
  }

 private:
  std::uint64_t words_[4] = {};
};

// Only space and newline are blanks; tab and carriage return are ordinary bytes.
inline constexpr CharSet kBlanks{" \n"};
// Newline, space and the twenty binary operator characters.
inline constexpr CharSet kOperatorOrBlank{"\n #%&'*+,-./:;<=>?@\\^|"};
// The prefix and postfix operators: tilde, exclamation mark, double quote, dollar and backtick.
inline constexpr CharSet kUnaryOperators{"~!\"$`"};

inline bool isBlank(char c) { return c == ' ' || c == '\n'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// ---- Normalisation ----------------------------------------------------------------------------

// Trims blanks at both ends, drops every run of blanks that touches an operator or the inner side
// of a bracket, turns every other run into one newline (if it held one) or one space, and inside
// text literals drops each newline together with the spaces just before it.
std::string normalise(std::string_view text);

// ---- Positions and brackets -----------------------------------------------------------------

// A half-open range [begin, end) of byte positions in one text.
struct Span {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  bool empty() const { return begin >= end; }
  std::int64_t size() const { return end - begin; }
};

// Stands for "no position" in messages.
inline constexpr std::int64_t kNoPosition = std::int64_t{1} << 30;

// Five base-64 digits, most significant first; "!!!!!" for a position that five digits cannot
// write (kNoPosition and beyond).
std::string positionCode(std::int64_t position);

// "parenthesis", "bracket" or "wing" for the six bracket bytes; any other byte is an internal error.
std::string_view bracketKind(char bracket);

// The index of the bracket that matches the one at i (forward from an opening bracket, backward
// from a closing one), or i when the byte there is not a bracket. From a square bracket only
// square brackets count; from a round or curly one the two kinds count alike and square groups
// are jumped over whole. The group must be balanced.
std::int64_t matchingBracket(std::string_view text, std::int64_t i);

// Every index, ascending, whose byte is in `set` and which lies outside all bracket groups.
std::vector<std::int64_t> topLevelPositions(std::string_view text, const CharSet& set);
// The first such index at or after `start` (which must itself be outside all groups), or -1.
std::int64_t firstTopLevel(std::int64_t start, std::string_view text, const CharSet& set);

// A balanced text together with its matching-bracket table, built once in linear time, so that
// the search for separators jumps over any group in constant time. Brackets inside text literals
// are plain bytes and match themselves. The table agrees with matchingBracket on every bracket
// outside a text literal.
class BracketedText {
 public:
  // `text` must be balanced, as the validator accepts it (or as the Prelude is).
  explicit BracketedText(std::string text);

  std::string_view text() const { return text_; }
  std::int64_t size() const { return static_cast<std::int64_t>(text_.size()); }
  char at(std::int64_t i) const { return text_[static_cast<std::size_t>(i)]; }
  std::string_view view(Span s) const {
    return std::string_view(text_).substr(static_cast<std::size_t>(s.begin),
                                          static_cast<std::size_t>(s.size()));
  }
  Span whole() const { return Span{0, size()}; }
  std::int64_t match(std::int64_t i) const {
    auto at = static_cast<std::size_t>(i);
    if (!isBracket(text_[at])) return i;
    std::size_t k = bracketRank(at);
    return partners64_.empty() ? static_cast<std::int64_t>(partners32_[k]) : partners64_[k];
  }
  // The index just past the item at top-level index i: past the group that i opens, else i + 1.
  std::int64_t skip(std::int64_t i) const {
    std::int64_t m = match(i);
    return (m > i ? m : i) + 1;
  }

 private:
  // A byte table rather than a CharSet: this test runs on every byte the parser walks over.
  static constexpr std::array<bool, 256> kBrackets = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : std::string_view("()[]{}")) table[c] = true;
    return table;
  }();
  static bool isBracket(char c) { return kBrackets[static_cast<unsigned char>(c)]; }

  // One block of 64 bytes of the text: which of them are brackets, and how many brackets stand
  // before the block. A bracket's partner is found by its rank among the brackets, so the table
  // costs a quarter of a byte per byte of text plus one entry per bracket, where an entry per
  // byte would cost 4 bytes per byte of a program that may be 50 MiB of few brackets.
  struct Block {
    std::uint64_t brackets = 0;
    std::uint64_t before = 0;
  };
  std::size_t bracketRank(std::size_t at) const {
    const Block& block = blocks_[at >> 6];
    std::uint64_t below = block.brackets & ((std::uint64_t{1} << (at & 63)) - 1);
    return static_cast<std::size_t>(block.before) + static_cast<std::size_t>(std::popcount(below));
  }
  // For each bracket, in order, the index of its matching bracket, or its own index (a bracket
  // inside a text literal). 4 bytes each while every index fits, 8 only beyond 4 GiB.
  template <typename Index>
  void pairAll(std::vector<Index>& partners);

  std::string text_;
  std::vector<Block> blocks_;
  std::vector<std::uint32_t> partners32_;
  std::vector<std::int64_t> partners64_;
};

// The positions in `span` of bytes from `set` that lie outside all groups of the span.
std::vector<std::int64_t> topLevelPositions(const BracketedText& text, Span span, const CharSet& set);
// The first such position at or after `start` (a top-level position of the span), or -1.
std::int64_t firstTopLevel(const BracketedText& text, std::int64_t start, Span span,
                           const CharSet& set);
// The last such position before `before` (the end of the span or a top-level position in it),
// walking back over whole groups; -1 if none.
std::int64_t lastTopLevel(const BracketedText& text, std::int64_t before, Span span,
                          const CharSet& set);
// Where the text after the separator at `position` begins: past the group it opens, if it opens
// one, otherwise right after it.
std::int64_t afterSeparator(const BracketedText& text, std::int64_t position);
// The pieces that separators at `positions` (ascending, top-level in `span`) cut the span into:
// the text before the first, the texts between neighbours and the text after the last.
std::vector<Span> segments(const BracketedText& text, Span span,
                           const std::vector<std::int64_t>& positions);

// ---- Validation -----------------------------------------------------------------------------

// Why a raw text was refused: the type word, the offending position in the raw text, and the
// whole failure string (type word, "[" + position code + "]", message).
struct BracketFailure {
  std::string type;
  std::int64_t position = 0;
  std::string text;
};

// Checks that every bracket of the raw text is matched by one of its kind ("Match") and that no
// comma stands directly inside a parenthesis that is not a call list ("Comma").
std::optional<BracketFailure> validateBrackets(std::string_view text);

}  // namespace vorn::front
