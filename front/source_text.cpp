// Character classes, normalisation, bracket matching and the bracket validator.
#include "front/source_text.h"

#include <algorithm>

#include "cells/cell.h"
#include "support/assert.h"
#include "front/messages.h"

namespace vorn::front {

namespace {

bool isOpening(char c) { return c == '(' || c == '[' || c == '{'; }
bool isClosing(char c) { return c == ')' || c == ']' || c == '}'; }

char closerOf(char opening) {
  switch (opening) {
    case '(': return ')';
    case '[': return ']';
    case '{': return '}';
    default: CORE_UNREACHABLE();
  }
}

std::int64_t sizeOf(std::string_view text) { return static_cast<std::int64_t>(text.size()); }
char byteAt(std::string_view text, std::int64_t i) { return text[static_cast<std::size_t>(i)]; }

BracketFailure makeFailure(std::string type, std::int64_t position, std::string_view message) {
  BracketFailure failure;
  failure.text = type + "[" + positionCode(position) + "]" + std::string(message);
  failure.type = std::move(type);
  failure.position = position;
  return failure;
}

// Pairs the brackets of a raw text the way the validator reads it: inside a text literal only
// square brackets count. Calls onPair(open, close) for every matched pair and returns the first
// "Match" failure, if any.
template <class OnPair>
std::optional<BracketFailure> pairBrackets(std::string_view text, OnPair onPair) {
  std::vector<std::int64_t> open;
  for (std::int64_t i = 0; i < sizeOf(text); ++i) {
    char c = byteAt(text, i);
    bool inLiteral = !open.empty() && byteAt(text, open.back()) == '[';
    if (inLiteral && c != '[' && c != ']') continue;
    if (isOpening(c)) {
      open.push_back(i);
    } else if (isClosing(c)) {
      if (open.empty()) return makeFailure("Match", i, messages::leftDangling(bracketKind(c)));
      std::int64_t o = open.back();
      if (closerOf(byteAt(text, o)) != c) {
        return makeFailure("Match", o, messages::doesntFit(c, positionCode(i)));
      }
      open.pop_back();
      onPair(o, i);
    }
  }
  if (!open.empty()) {
    std::int64_t o = open.back();
    return makeFailure("Match", o, messages::rightDangling(bracketKind(byteAt(text, o))));
  }
  return std::nullopt;
}

// Whether the parenthesis opening at i is a call list: it follows a closed group or a byte that
// ends an operand. A parenthesis after "(", "{", "}" or a unary operator starts a text that the
// parser reads as a grouping, so it is no call list either.
bool isCallList(std::string_view text, std::int64_t i) {
  if (i == 0) return false;
  char before = byteAt(text, i - 1);
  if (before == ')' || before == ']') return true;
  if (kOperatorOrBlank.has(before) || kUnaryOperators.has(before)) return false;
  return before != '(' && before != '{' && before != '}';
}

// The comma rule, scanning from the end towards the start so that of several offending
// parentheses the one that opens furthest right is reported, at its leftmost direct comma.
std::optional<BracketFailure> checkCommas(std::string_view text) {
  struct Frame {
    char close;
    std::int64_t comma;  // leftmost comma directly inside so far, or -1
  };
  std::vector<Frame> frames;
  for (std::int64_t i = sizeOf(text) - 1; i >= 0; --i) {
    char c = byteAt(text, i);
    if (!frames.empty() && frames.back().close == ']') {
      if (c == ']') frames.push_back({c, -1});
      if (c == '[') frames.pop_back();
      continue;
    }
    if (isClosing(c)) {
      frames.push_back({c, -1});
    } else if (c == ',') {
      if (!frames.empty() && frames.back().close == ')') frames.back().comma = i;
    } else if (c == '(' || c == '{') {
      CORE_ASSERT(!frames.empty());
      Frame frame = frames.back();
      frames.pop_back();
      if (c == '(' && frame.comma >= 0 && !isCallList(text, i)) {
        return makeFailure("Comma", frame.comma, messages::kComma);
      }
    }
  }
  return std::nullopt;
}

// Copies the text literal opening at i (up to its balanced ']', or to `limit`). Inside it a
// newline goes together with the spaces pending before it; other spaces are kept.
std::int64_t copyTextLiteral(std::string_view text, std::int64_t i, std::int64_t limit,
                             std::string& out) {
  std::int64_t depth = 0;
  std::size_t pending = 0;
  for (; i < limit; ++i) {
    char c = byteAt(text, i);
    if (c == '\n') {
      pending = 0;
      continue;
    }
    if (c == ' ') {
      ++pending;
      continue;
    }
    out.append(pending, ' ');
    pending = 0;
    out += c;
    if (c == '[') ++depth;
    if (c == ']' && --depth == 0) return i + 1;
  }
  out.append(pending, ' ');
  return limit;
}

// Whether a run of blanks between the bytes `before` and `after` disappears.
bool dropsBlankRun(char before, char after) {
  if (kOperatorOrBlank.has(before) || before == '{' || before == '(' || before == '}') return true;
  return kOperatorOrBlank.has(after) || after == '}' || after == ')' || after == '{';
}

std::int64_t nextTopLevel(std::string_view text, std::int64_t i) {
  return isOpening(byteAt(text, i)) ? matchingBracket(text, i) + 1 : i + 1;
}

// Walks from the square bracket at i in direction `step` until the count returns to zero.
std::int64_t scanSquare(std::string_view text, std::int64_t i, int step) {
  std::int64_t depth = 0;
  for (std::int64_t k = i;; k += step) {
    CORE_ASSERT(k >= 0 && k < sizeOf(text));
    char c = byteAt(text, k);
    if (c == '[') depth += step;
    if (c == ']') depth -= step;
    CORE_ASSERT(depth >= 0);
    if (depth == 0) return k;
  }
}

// Walks from the round or curly bracket at i in direction `step`, counting both kinds alike and
// jumping over square groups whole.
std::int64_t scanRound(std::string_view text, std::int64_t i, int step) {
  std::int64_t depth = 0;
  for (std::int64_t k = i;; k += step) {
    CORE_ASSERT(k >= 0 && k < sizeOf(text));
    char c = byteAt(text, k);
    if (c == (step > 0 ? '[' : ']')) {
      k = scanSquare(text, k, step);
      continue;
    }
    if (c == '(' || c == '{') depth += step;
    if (c == ')' || c == '}') depth -= step;
    CORE_ASSERT(depth >= 0);
    if (depth == 0) return k;
  }
}

}  // namespace

// ---- Normalisation ----------------------------------------------------------------------------

std::string normalise(std::string_view text) {
  std::int64_t first = 0;
  std::int64_t last = sizeOf(text) - 1;
  while (first <= last && isBlank(byteAt(text, first))) ++first;
  while (last >= first && isBlank(byteAt(text, last))) --last;
  std::string out;
  if (first > last) return out;
  out.reserve(static_cast<std::size_t>(last - first + 1));
  std::int64_t i = first;
  while (i <= last) {
    char c = byteAt(text, i);
    if (c == '[') {
      i = copyTextLiteral(text, i, last + 1, out);
    } else if (!isBlank(c)) {
      out += c;
      ++i;
    } else {
      std::int64_t j = i;
      bool newline = false;
      while (isBlank(byteAt(text, j))) newline |= byteAt(text, j++) == '\n';
      if (!dropsBlankRun(byteAt(text, i - 1), byteAt(text, j))) out += newline ? '\n' : ' ';
      i = j;
    }
  }
  return out;
}

// ---- Positions and brackets -----------------------------------------------------------------

std::string positionCode(std::int64_t position) {
  if (position < 0 || position >= kNoPosition) return "!!!!!";
  std::string code(5, '_');
  for (int k = 4; k >= 0; --k) {
    code[static_cast<std::size_t>(k)] = cells::kDigits64[static_cast<std::size_t>(position % 64)];
    position /= 64;
  }
  return code;
}

std::string_view bracketKind(char bracket) {
  switch (bracket) {
    case '(':
    case ')': return "parenthesis";
    case '[':
    case ']': return "bracket";
    case '{':
    case '}': return "wing";
    default: CORE_UNREACHABLE();
  }
}

std::int64_t matchingBracket(std::string_view text, std::int64_t i) {
  CORE_ASSERT(i >= 0);
  CORE_ASSERT(i < sizeOf(text));
  switch (byteAt(text, i)) {
    case '[': return scanSquare(text, i, +1);
    case ']': return scanSquare(text, i, -1);
    case '(':
    case '{': return scanRound(text, i, +1);
    case ')':
    case '}': return scanRound(text, i, -1);
    default: return i;
  }
}

std::vector<std::int64_t> topLevelPositions(std::string_view text, const CharSet& set) {
  std::vector<std::int64_t> positions;
  for (std::int64_t i = 0; i < sizeOf(text); i = nextTopLevel(text, i)) {
    if (set.has(byteAt(text, i))) positions.push_back(i);
  }
  return positions;
}

std::int64_t firstTopLevel(std::int64_t start, std::string_view text, const CharSet& set) {
  for (std::int64_t i = start; i < sizeOf(text); i = nextTopLevel(text, i)) {
    if (set.has(byteAt(text, i))) return i;
  }
  return -1;
}

BracketedText::BracketedText(std::string text) : text_(std::move(text)) {
  if (text_.size() <= UINT32_MAX) {
    pairAll(partners32_);
  } else {
    pairAll(partners64_);
  }
}

template <typename Index>
void BracketedText::pairAll(std::vector<Index>& partners) {
  // Every bracket first matches itself; then the brackets, taken in order, are paired the way
  // the validator reads them: inside a text literal only square brackets count.
  blocks_.resize((text_.size() + 63) / 64);
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    Block& block = blocks_[b];
    block.before = partners.size();
    std::size_t end = std::min(text_.size(), (b + 1) * 64);
    for (std::size_t i = b * 64; i < end; ++i) {
      if (!isBracket(text_[i])) continue;
      block.brackets |= std::uint64_t{1} << (i & 63);
      partners.push_back(static_cast<Index>(i));
    }
  }
  std::vector<std::size_t> open;  // ranks of the brackets still open
  for (std::size_t k = 0; k < partners.size(); ++k) {
    char c = text_[static_cast<std::size_t>(partners[k])];
    bool inLiteral = !open.empty() && text_[static_cast<std::size_t>(partners[open.back()])] == '[';
    if (inLiteral && c != '[' && c != ']') continue;
    if (isOpening(c)) {
      open.push_back(k);
      continue;
    }
    CORE_ASSERT(!open.empty());
    std::size_t o = open.back();
    open.pop_back();
    CORE_ASSERT(closerOf(text_[static_cast<std::size_t>(partners[o])]) == c);
    std::swap(partners[o], partners[k]);
  }
  CORE_ASSERT(open.empty());
}

std::vector<std::int64_t> topLevelPositions(const BracketedText& text, Span span,
                                            const CharSet& set) {
  std::vector<std::int64_t> positions;
  for (std::int64_t i = span.begin; i < span.end; i = text.skip(i)) {
    if (set.has(text.at(i))) positions.push_back(i);
  }
  return positions;
}

std::int64_t firstTopLevel(const BracketedText& text, std::int64_t start, Span span,
                           const CharSet& set) {
  for (std::int64_t i = start; i < span.end; i = text.skip(i)) {
    if (set.has(text.at(i))) return i;
  }
  return -1;
}

std::int64_t lastTopLevel(const BracketedText& text, std::int64_t before, Span span,
                          const CharSet& set) {
  for (std::int64_t i = before - 1; i >= span.begin; --i) {
    // A group is one item, found at its opening bracket.
    std::int64_t m = text.match(i);
    if (m < i) i = m;
    if (set.has(text.at(i))) return i;
  }
  return -1;
}

std::int64_t afterSeparator(const BracketedText& text, std::int64_t position) {
  return text.skip(position);
}

std::vector<Span> segments(const BracketedText& text, Span span,
                           const std::vector<std::int64_t>& positions) {
  std::vector<Span> pieces;
  pieces.reserve(positions.size() + 1);
  std::int64_t from = span.begin;
  for (std::int64_t position : positions) {
    pieces.push_back(Span{from, position});
    from = afterSeparator(text, position);
  }
  pieces.push_back(Span{from, span.end});
  return pieces;
}

// ---- Validation -----------------------------------------------------------------------------

std::optional<BracketFailure> validateBrackets(std::string_view text) {
  auto failure = pairBrackets(text, [](std::int64_t, std::int64_t) {});
  if (failure) return failure;
  return checkCommas(text);
}

}  // namespace vorn::front
