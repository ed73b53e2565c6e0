// The fourteen levels of the expression parser, loosest first.
//
// Levels 0 to 7 are binary: each cuts its text at its separators outside bracket groups. A text
// with none of a level's separators passes through that level unchanged, so parseFrom finds the
// loosest level present in one scan and goes there directly, and a text that is one parenthesised
// group is unwrapped in a loop. Levels 8 to 13 work on operator runs and tight juxtaposition. Runs
// of operators and chains of separators are handled by loops, so only bracket nesting costs
// native stack: two to four small frames per group.
#include "front/parser.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "driver/assert.h"

namespace vorn::front {

using cells::CellRef;

namespace {

constexpr int kNoSeparator = 8;

// Separators of the binary levels, loosest first, and whether each level groups to the right.
constexpr std::string_view kLevelSeparators[kNoSeparator] = {
    ";\\{", "?\n", "&|", "=<>#", "@ ", "+-:.", "*/%'", "^"};
constexpr bool kGroupsRight[kNoSeparator] = {true, false, true, true, false, false, false, true};

constexpr std::array<CharSet, kNoSeparator> makeLevelSets() {
  std::array<CharSet, kNoSeparator> sets{};
  for (int level = 0; level < kNoSeparator; ++level) sets[level] = CharSet(kLevelSeparators[level]);
  return sets;
}
constexpr std::array<CharSet, kNoSeparator> kLevelSets = makeLevelSets();

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

// Dispatch. A text cut at one level holds no separator of that level or of any looser one, so the
// loosest separator present says which level cuts it next; a text without separators goes to the
// unary levels, or straight to tight juxtaposition when it holds no unary operator either, and a
// text that is exactly one parenthesised group is the expression inside it.
CellRef Parser::parseFrom(Span span) const {
  for (;;) {
    TopLevelScan scan = scanTopLevel(span);
    if (scan.loosest < kNoSeparator) return binaryLevel(scan.loosest, span);
    if (span.empty()) return emptyOperand();
    if (scan.unary) return unaryOperators(span);
    if (!isWholeGroup(span)) return tight(span);
    span = Span{span.begin + 1, span.end - 1};
  }
}

bool Parser::isWholeGroup(Span span) const {
  return !span.empty() && source_.at(span.begin) == '(' && source_.match(span.begin) == span.end - 1;
}

Parser::TopLevelScan Parser::scanTopLevel(Span span) const {
  TopLevelScan scan{kNoSeparator, false};
  for (std::int64_t i = span.begin; i < span.end && scan.loosest > 0; i = source_.skip(i)) {
    char c = source_.at(i);
    scan.loosest = std::min(scan.loosest, levelOf(c));
    scan.unary = scan.unary || kUnaryOperators.has(c);
  }
  return scan;
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
  const CharSet& separators = kLevelSets[level];
  if (kGroupsRight[level]) {
    std::int64_t at = lastTopLevel(source_, span.end, span, separators);
    CellRef acc = parseFrom(Span{at < 0 ? span.begin : afterSeparator(source_, at), span.end});
    while (at >= 0) {
      std::int64_t before = lastTopLevel(source_, at, span, separators);
      Span left{before < 0 ? span.begin : afterSeparator(source_, before), at};
      acc = join(at, parseFrom(left), std::move(acc));
      at = before;
    }
    return acc;
  }
  std::int64_t at = firstTopLevel(source_, span.begin, span, separators);
  CellRef acc = parseFrom(Span{span.begin, at});
  while (at >= 0) {
    std::int64_t from = afterSeparator(source_, at);
    std::int64_t after = firstTopLevel(source_, from, span, separators);
    acc = join(at, std::move(acc), parseFrom(Span{from, after < 0 ? span.end : after}));
    at = after;
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
  std::int64_t at = lastTopLevel(source_, span.end, span, kComma);
  CellRef acc = expression(Span{at < 0 ? span.begin : at + 1, span.end});
  while (at >= 0) {
    std::int64_t before = lastTopLevel(source_, at, span, kComma);
    acc = binary(',', expression(Span{before < 0 ? span.begin : before + 1, at}), std::move(acc));
    at = before;
  }
  return acc;
}

// Levels 8 and 9, postfix and prefix operators: x! is (! x), x!~ is (~ (! x)), !~x is
// (! (~ x)), !x! is (! (! x)); an operator with nothing to apply to takes the empty operand.
CellRef Parser::unaryOperators(Span span) const {
  std::int64_t end = span.end;
  while (end > span.begin && kUnaryOperators.has(source_.at(end - 1))) --end;
  std::int64_t begin = span.begin;
  while (begin < end && kUnaryOperators.has(source_.at(begin))) ++begin;
  CellRef acc;
  if (begin == end) {
    acc = emptyOperand();
  } else {
    Span operand{begin, end};
    acc = isWholeGroup(operand) ? parseFrom(operand) : innerRuns(operand);
  }
  for (std::int64_t k = begin; k-- > span.begin;) acc = apply(atom(source_.at(k)), std::move(acc));
  for (std::int64_t k = end; k < span.end; ++k) acc = apply(atom(source_.at(k)), std::move(acc));
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
  Span operand{runEnd, segment.end};
  CellRef acc = isWholeGroup(operand) ? parseFrom(operand) : tight(operand);
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
  std::int64_t from = inside.begin;
  for (;;) {
    std::int64_t comma = firstTopLevel(source_, from, inside, kComma);
    acc = apply(std::move(acc), expression(Span{from, comma < 0 ? inside.end : comma}));
    if (comma < 0) return;
    from = comma + 1;
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
