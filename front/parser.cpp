// The fourteen levels of the expression parser, loosest first.
//
// Levels 0 to 7 are binary: each cuts its text at its separators outside bracket groups. A text
// with none of a level's separators passes through that level unchanged, so parseFrom finds the
// loosest level present in one scan and goes there directly; a text that is one parenthesised
// group is unwrapped in a loop. Levels 8 to 13 work on operator runs and tight juxtaposition. Runs
// of prefix and postfix operators are handled by loops, so only bracket nesting costs native
// stack, a few small frames per group.
#include "front/parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "driver/assert.h"

namespace vorn::front {

using cells::CellRef;

namespace {

constexpr int kNoSeparator = 8;

// Separators of the binary levels, loosest first, and whether each level groups to the right.
constexpr std::string_view kLevelSeparators[kNoSeparator] = {
    ";\\{", "?\n", "&|", "=<>#", "@ ", "+-:.", "*/%'", "^"};
constexpr bool kGroupsRight[kNoSeparator] = {true, false, true, true, false, false, false, true};

constexpr std::array<std::uint8_t, 256> makeLevelTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& level : table) level = kNoSeparator;
  for (int level = 0; level < kNoSeparator; ++level) {
    for (char c : kLevelSeparators[level]) {
      table[static_cast<unsigned char>(c)] = static_cast<std::uint8_t>(level);
    }
  }
  return table;
}
constexpr std::array<std::uint8_t, 256> kLevelOf = makeLevelTable();

int levelOf(char c) { return kLevelOf[static_cast<unsigned char>(c)]; }

// Bytes that never start a piece of tight juxtaposition by themselves: the operator characters
// (less the wing and comma bytes), the brackets, the comma, space and newline.
constexpr CharSet kTightDelimiters{"~!@#$%^&*<>-|+/=\\.`'\":;?(){},[] \n"};
constexpr CharSet kComma{","};

CellRef atom(char c) {
  // A zero byte in the text stands for a newline (the newline itself is a separator).
  if (c == '\0') c = '\n';
  return CellRef(std::string_view(&c, 1));
}
CellRef emptyOperand() { return CellRef("}"); }
CellRef apply(CellRef function, CellRef argument) {
  return cells::makePair(std::move(function), std::move(argument));
}
CellRef binary(char op, CellRef left, CellRef right) {
  return apply(apply(atom(op), std::move(left)), std::move(right));
}

// A text literal keeps its brackets; newlines are dropped and zero bytes become newlines.
CellRef textLiteral(std::string_view piece) {
  std::string bytes;
  bytes.reserve(piece.size());
  for (char c : piece) {
    if (c != '\n') bytes += c == '\0' ? '\n' : c;
  }
  return CellRef(std::string_view(bytes));
}

}  // namespace

// Dispatch: a text enters at `level`; binary levels without separators in it are passed over,
// and a text that is exactly one parenthesised group is the expression inside it.
CellRef Parser::parseFrom(int level, Span span) const {
  for (;;) {
    if (level < kNoSeparator) {
      int loosest = loosestLevel(span);
      if (loosest < kNoSeparator) return binaryLevel(loosest, span);
    }
    bool group = !span.empty() && source_.at(span.begin) == '(' &&
                 source_.match(span.begin) == span.end - 1;
    if (!group) return postfix(span);
    span = Span{span.begin + 1, span.end - 1};
    level = 0;
  }
}

int Parser::loosestLevel(Span span) const {
  int loosest = kNoSeparator;
  for (std::int64_t i = span.begin; i < span.end && loosest > 0; i = source_.skip(i)) {
    loosest = std::min(loosest, levelOf(source_.at(i)));
  }
  return loosest;
}

// Levels 0..7:
//   0  a;b  a\b  a{w}b   right   ((c L) R); a wing gives ((({ L) W) R)
//   1  a?b  a<newline>b  left    ((? L) R); a newline feeds L into R: (R L)
//   2  a&b  a|b          right   ((c L) R)
//   3  a=b a<b a>b a#b   right   ((c L) R)
//   4  a@b  a b          left    ((@ L) R); a space is application (L R)
//   5  a+b a-b a:b a.b   left    ((c L) R)
//   6  a*b a/b a%b a'b   left    ((c L) R)
//   7  a^b               right   ((c L) R)
// Empty pieces parse to the empty operand.
CellRef Parser::binaryLevel(int level, Span span) const {
  std::vector<std::int64_t> separators;
  for (std::int64_t i = span.begin; i < span.end; i = source_.skip(i)) {
    if (levelOf(source_.at(i)) == level) separators.push_back(i);
  }
  std::vector<Span> pieces = segments(source_, span, separators);
  int next = level + 1;
  if (kGroupsRight[level]) {
    CellRef acc = parseFrom(next, pieces.back());
    for (std::size_t k = separators.size(); k-- > 0;) {
      acc = join(separators[k], parseFrom(next, pieces[k]), std::move(acc));
    }
    return acc;
  }
  CellRef acc = parseFrom(next, pieces.front());
  for (std::size_t k = 0; k < separators.size(); ++k) {
    acc = join(separators[k], std::move(acc), parseFrom(next, pieces[k + 1]));
  }
  return acc;
}

CellRef Parser::join(std::int64_t separator, CellRef left, CellRef right) const {
  char c = source_.at(separator);
  switch (c) {
    case '{': {
      CellRef wing = wingList(Span{separator + 1, source_.match(separator)});
      return apply(apply(apply(atom('{'), std::move(left)), std::move(wing)), std::move(right));
    }
    case '\n': return apply(std::move(right), std::move(left));
    case ' ': return apply(std::move(left), std::move(right));
    default: return binary(c, std::move(left), std::move(right));
  }
}

// Wing contents: a,b,c is ((, a) ((, b) c)); one item is itself; nothing is "}".
CellRef Parser::wingList(Span span) const {
  std::vector<std::int64_t> commas = topLevelPositions(source_, span, kComma);
  std::vector<Span> items = segments(source_, span, commas);
  CellRef acc = expression(items.back());
  for (std::size_t k = commas.size(); k-- > 0;) {
    acc = binary(',', expression(items[k]), std::move(acc));
  }
  return acc;
}

// Level 8, postfix: x! is (! x), x!~ is (~ (! x)); an empty text is the empty operand.
CellRef Parser::postfix(Span span) const {
  if (span.empty()) return emptyOperand();
  std::int64_t end = span.end;
  while (end > span.begin && kUnaryOperators.has(source_.at(end - 1))) --end;
  CellRef acc = end == span.begin ? emptyOperand() : prefix(Span{span.begin, end});
  for (std::int64_t k = end; k < span.end; ++k) acc = apply(atom(source_.at(k)), std::move(acc));
  return acc;
}

// Level 9, prefix: !x is (! x), !~x is (! (~ x)). The text ends in an operand.
CellRef Parser::prefix(Span span) const {
  CORE_ASSERT(!span.empty());
  std::int64_t begin = span.begin;
  while (begin < span.end && kUnaryOperators.has(source_.at(begin))) ++begin;
  CORE_ASSERT(begin < span.end);
  CellRef acc = innerRuns(Span{begin, span.end});
  for (std::int64_t k = begin; k-- > span.begin;) acc = apply(atom(source_.at(k)), std::move(acc));
  return acc;
}

// Level 10, inner operator runs: h!x is (h (! x)), h!x~y is ((h (! x)) (~ y)). Each run with the
// text up to the next run is one operator-led segment. The text begins and ends with an operand.
CellRef Parser::innerRuns(Span span) const {
  std::int64_t run = firstTopLevel(source_, span.begin, span, kUnaryOperators);
  if (run < 0) return tight(span);
  CellRef acc = tight(Span{span.begin, run});
  while (run >= 0) {
    std::int64_t runEnd = run;
    while (runEnd < span.end && kUnaryOperators.has(source_.at(runEnd))) ++runEnd;
    std::int64_t next = firstTopLevel(source_, runEnd, span, kUnaryOperators);
    acc = apply(std::move(acc), operatorLed(Span{run, next < 0 ? span.end : next}, runEnd));
    run = next;
  }
  return acc;
}

// Level 11, an operator-led segment: !!x is (! (! x)); what follows the run is tight.
CellRef Parser::operatorLed(Span segment, std::int64_t runEnd) const {
  CORE_ASSERT(segment.size() >= 2);
  CORE_ASSERT(runEnd < segment.end);
  CellRef acc = tight(Span{runEnd, segment.end});
  for (std::int64_t k = runEnd; k-- > segment.begin;) {
    acc = apply(atom(source_.at(k)), std::move(acc));
  }
  return acc;
}

// Level 12, tight juxtaposition: BKK is ((B K) K), a2 is (a 2), c(d)e is ((c d) e). A piece in
// parentheses after the first is a call list: h(a,b) is ((h a) b) and h() is (h "}").
CellRef Parser::tight(Span span) const {
  CORE_ASSERT(!span.empty());
  auto next = [this](std::int64_t i) {
    char c = source_.at(i);
    return c == '(' || c == '[' ? source_.match(i) + 1 : i + 1;
  };
  CellRef acc;
  std::int64_t start = span.begin;
  for (std::int64_t i = next(span.begin); i < span.end; i = next(i)) {
    if (startsPiece(i)) {
      addPiece(acc, Span{start, i});
      start = i;
    }
  }
  addPiece(acc, Span{start, span.end});
  return acc;
}

bool Parser::startsPiece(std::int64_t i) const {
  char c = source_.at(i);
  char before = source_.at(i - 1);
  if (before == ')' || before == ']' || c == '(' || c == '[') return true;
  if (isLowerOrUnderscore(c)) return !isLowerOrUnderscore(before);
  if (isDigit(c)) return !isDigit(before);
  return !kTightDelimiters.has(c);
}

void Parser::addPiece(CellRef& acc, Span piece) const {
  if (acc.empty()) {
    acc = primary(piece);
    return;
  }
  if (source_.at(piece.begin) != '(') {
    acc = apply(std::move(acc), primary(piece));
    return;
  }
  Span inside{piece.begin + 1, piece.end - 1};
  CORE_ASSERT(source_.match(piece.begin) == inside.end);
  std::vector<std::int64_t> commas = topLevelPositions(source_, inside, kComma);
  for (Span argument : segments(source_, inside, commas)) {
    acc = apply(std::move(acc), expression(argument));
  }
}

// Level 13, primary: a number or identifier as it stands, a text literal, a parenthesised
// expression, or a single byte (a capital, a control or high byte).
CellRef Parser::primary(Span piece) const {
  CORE_ASSERT(!piece.empty());
  char c = source_.at(piece.begin);
  if (isDigit(c) || isLowerOrUnderscore(c)) return CellRef(source_.view(piece));
  if (c == '[') return textLiteral(source_.view(piece));
  if (c == '(') {
    CORE_ASSERT(source_.match(piece.begin) == piece.end - 1);
    return expression(Span{piece.begin + 1, piece.end - 1});
  }
  CORE_ASSERT(piece.size() == 1);
  return atom(c);
}

CellRef parseExpression(std::string_view text) {
  Parser parser{std::string(text)};
  return parser.expression(parser.source().whole());
}

CellRef parseWingList(std::string_view text) {
  Parser parser{std::string(text)};
  return parser.wingList(parser.source().whole());
}

}  // namespace vorn::front
