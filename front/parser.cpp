// The fourteen levels of the expression parser, loosest first.
//
// Levels 0 to 7 are binary: each cuts its text at its separators outside bracket groups. A text
// with none of a level's separators passes through that level unchanged, so the dispatch finds
// the loosest level present in one scan and goes there directly, and a text that is one
// parenthesised group is unwrapped in a loop. Levels 8 to 13 work on operator runs and tight
// juxtaposition.
//
// Nothing here recurses. Parsing a span means planning it: the level that cuts the span lists, in
// the order a recursive parser would take them, the steps that make its tree: sub-spans to parse,
// leaves to make, and joins that take the trees made so far off a stack of values. The steps go on
// one work list, so deep bracket nesting and long chains only lengthen that list.
#include "front/parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "support/assert.h"

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

// The one-byte Atoms of one parser's text: every operator, one-letter name, digit or capital
// leaf of the same byte is the same Cell, made once. Trees are only ever shared, never changed,
// so nothing can tell, and a program of millions of small definitions holds a few hundred such
// Atoms instead of several per definition (interning would merge them later anyway).
class OneByteAtoms {
 public:
  CellRef operator()(char c) {
    // A zero byte in the text stands for a newline (the newline itself is a separator).
    if (c == '\0') c = '\n';
    CellRef& made = made_[static_cast<unsigned char>(c)];
    if (made.empty()) made = CellRef(std::string_view(&c, 1));
    return made;
  }

 private:
  std::array<CellRef, 256> made_;
};

CellRef apply(CellRef function, CellRef argument) {
  return cells::makePair(std::move(function), std::move(argument));
}
CellRef binary(CellRef op, CellRef left, CellRef right) {
  return apply(apply(std::move(op), std::move(left)), std::move(right));
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

// A binary join of L and R at a separator other than a wing: a newline feeds L into R, a space
// applies L to R, any other separator c gives ((c L) R).
CellRef join(char separator, CellRef left, CellRef right, OneByteAtoms& atom) {
  switch (separator) {
    case '\n': return apply(std::move(right), std::move(left));
    case ' ': return apply(std::move(left), std::move(right));
    default: return binary(atom(separator), std::move(left), std::move(right));
  }
}

// The loosest binary level with a separator outside groups (kNoSeparator for none), and whether a
// unary operator stands outside groups.
struct TopLevelScan {
  int loosest;
  bool unary;
};

// The steps of a parse. Parse and WingList plan a span; Leaf and Empty push a value; Apply,
// JoinRight, JoinLeft and Wrap combine the values on top (see ParseRun::perform).
enum class Op : std::uint8_t { Parse, WingList, Leaf, Empty, Apply, JoinRight, JoinLeft, Wrap };

struct Step {
  Op op;
  Span span;   // the text to plan or the leaf; a join's separator at span.begin; Wrap's prefix
  Span extra;  // Wrap's postfix
};

}  // namespace

struct ParseLists {
  std::vector<Step> steps;
  std::vector<CellRef> values;
  OneByteAtoms atoms;
};

namespace {

// One parse of one span: the work list of steps, run last-planned-first, and the values made.
class ParseRun {
 public:
  // The work list and the value stack are the parser's, kept between runs: a program of millions
  // of small definitions parses each in a run of its own, and would otherwise grow both lists
  // from nothing every time.
  ParseRun(const BracketedText& source, ParseLists& lists)
      : source_(source), steps_(lists.steps), values_(lists.values), atom_(lists.atoms) {}

  // Runs the steps until the one value of the first step is made.
  CellRef run(Step first) {
    steps_.push_back(first);
    while (!steps_.empty()) {
      Step step = steps_.back();
      steps_.pop_back();
      // A step lists the steps it plans in the order they run; the work list wants them reversed.
      std::size_t planned = steps_.size();
      perform(step);
      std::reverse(steps_.begin() + static_cast<std::ptrdiff_t>(planned), steps_.end());
    }
    CORE_ASSERT(values_.size() == 1);
    return pop();
  }

 private:
  void perform(const Step& step);
  void plan(Op op, Span span = {}, Span extra = {}) { steps_.push_back(Step{op, span, extra}); }
  CellRef pop() {
    CellRef top = std::move(values_.back());
    values_.pop_back();
    return top;
  }

  void parse(Span span);
  bool isWholeGroup(Span span) const;
  TopLevelScan scanTopLevel(Span span) const;
  void binaryLevel(int level, Span span);
  void joinRight(std::int64_t separator);
  void joinLeft(std::int64_t separator);
  void wingList(Span span);
  void unaryOperators(Span span);
  void innerRuns(Span span);
  void operatorLed(Span segment, std::int64_t runEnd);
  void wrap(Span prefix, Span postfix);
  void tight(Span span);
  void piece(Span piece, bool first);
  bool startsPiece(std::int64_t i) const;
  void primary(Span piece);
  CellRef leaf(Span piece) const;

  const BracketedText& source_;
  std::vector<Step>& steps_;
  std::vector<CellRef>& values_;
  OneByteAtoms& atom_;
};

void ParseRun::perform(const Step& step) {
  switch (step.op) {
    case Op::Parse: return parse(step.span);
    case Op::WingList: return wingList(step.span);
    case Op::Leaf: return values_.push_back(leaf(step.span));
    case Op::Empty: return values_.push_back(atom_('}'));
    case Op::Apply: {
      CellRef argument = pop();
      CellRef function = pop();
      return values_.push_back(apply(std::move(function), std::move(argument)));
    }
    case Op::JoinRight: return joinRight(step.span.begin);
    case Op::JoinLeft: return joinLeft(step.span.begin);
    case Op::Wrap: return wrap(step.span, step.extra);
  }
}

// Dispatch. A text cut at one level holds no separator of that level or of any looser one, so the
// loosest separator present says which level cuts it next; a text without separators goes to the
// unary levels, or straight to tight juxtaposition when it holds no unary operator either, and a
// text that is exactly one parenthesised group is the expression inside it.
void ParseRun::parse(Span span) {
  for (;;) {
    TopLevelScan scan = scanTopLevel(span);
    if (scan.loosest < kNoSeparator) return binaryLevel(scan.loosest, span);
    if (span.empty()) return plan(Op::Empty);
    if (scan.unary) return unaryOperators(span);
    if (!isWholeGroup(span)) return tight(span);
    span = Span{span.begin + 1, span.end - 1};
  }
}

bool ParseRun::isWholeGroup(Span span) const {
  return !span.empty() && source_.at(span.begin) == '(' && source_.match(span.begin) == span.end - 1;
}

TopLevelScan ParseRun::scanTopLevel(Span span) const {
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
// Empty pieces parse to the empty operand. A right-grouping level parses its last piece first and
// then each piece before a separator, from the last separator to the first; a left-grouping one
// goes from the first piece on.
void ParseRun::binaryLevel(int level, Span span) {
  const CharSet& separators = kLevelSets[level];
  if (kGroupsRight[level]) {
    std::int64_t at = lastTopLevel(source_, span.end, span, separators);
    plan(Op::Parse, Span{at < 0 ? span.begin : afterSeparator(source_, at), span.end});
    while (at >= 0) {
      std::int64_t before = lastTopLevel(source_, at, span, separators);
      plan(Op::Parse, Span{before < 0 ? span.begin : afterSeparator(source_, before), at});
      if (source_.at(at) == '{') plan(Op::WingList, Span{at + 1, source_.match(at)});
      plan(Op::JoinRight, Span{at, at});
      at = before;
    }
    return;
  }
  std::int64_t at = firstTopLevel(source_, span.begin, span, separators);
  plan(Op::Parse, Span{span.begin, at});
  while (at >= 0) {
    std::int64_t from = afterSeparator(source_, at);
    std::int64_t after = firstTopLevel(source_, from, span, separators);
    plan(Op::Parse, Span{from, after < 0 ? span.end : after});
    plan(Op::JoinLeft, Span{at, at});
    at = after;
  }
}

// The values are R (the accumulated right side), then L, then for a wing W on top.
void ParseRun::joinRight(std::int64_t separator) {
  if (source_.at(separator) == '{') {
    CellRef wing = pop();
    CellRef left = pop();
    CellRef right = pop();
    values_.push_back(apply(apply(apply(atom_('{'), std::move(left)), std::move(wing)), std::move(right)));
    return;
  }
  CellRef left = pop();
  CellRef right = pop();
  values_.push_back(join(source_.at(separator), std::move(left), std::move(right), atom_));
}

// The values are L (the accumulated left side), then R on top.
void ParseRun::joinLeft(std::int64_t separator) {
  CellRef right = pop();
  CellRef left = pop();
  values_.push_back(join(source_.at(separator), std::move(left), std::move(right), atom_));
}

// Wing contents: a,b,c is ((, a) ((, b) c)); one item is itself; nothing is "}".
void ParseRun::wingList(Span span) {
  std::int64_t at = lastTopLevel(source_, span.end, span, kComma);
  plan(Op::Parse, Span{at < 0 ? span.begin : at + 1, span.end});
  while (at >= 0) {
    std::int64_t before = lastTopLevel(source_, at, span, kComma);
    plan(Op::Parse, Span{before < 0 ? span.begin : before + 1, at});
    plan(Op::JoinRight, Span{at, at});
    at = before;
  }
}

// Levels 8 and 9, postfix and prefix operators: x! is (! x), x!~ is (~ (! x)), !~x is
// (! (~ x)), !x! is (! (! x)); an operator with nothing to apply to takes the empty operand.
void ParseRun::unaryOperators(Span span) {
  std::int64_t end = span.end;
  while (end > span.begin && kUnaryOperators.has(source_.at(end - 1))) --end;
  std::int64_t begin = span.begin;
  while (begin < end && kUnaryOperators.has(source_.at(begin))) ++begin;
  Span operand{begin, end};
  if (begin == end) {
    plan(Op::Empty);
  } else if (isWholeGroup(operand)) {
    plan(Op::Parse, operand);
  } else {
    innerRuns(operand);
  }
  plan(Op::Wrap, Span{span.begin, begin}, Span{end, span.end});
}

// Level 10, inner operator runs: h!x is (h (! x)), h!x~y is ((h (! x)) (~ y)). Each run with the
// text up to the next run is one operator-led segment. The text begins and ends with an operand.
void ParseRun::innerRuns(Span span) {
  std::int64_t run = firstTopLevel(source_, span.begin, span, kUnaryOperators);
  if (run < 0) return tight(span);
  tight(Span{span.begin, run});
  while (run >= 0) {
    std::int64_t runEnd = run;
    while (runEnd < span.end && kUnaryOperators.has(source_.at(runEnd))) ++runEnd;
    std::int64_t next = firstTopLevel(source_, runEnd, span, kUnaryOperators);
    operatorLed(Span{run, next < 0 ? span.end : next}, runEnd);
    plan(Op::Apply);
    run = next;
  }
}

// Level 11, an operator-led segment: !!x is (! (! x)); what follows the run is tight.
void ParseRun::operatorLed(Span segment, std::int64_t runEnd) {
  CORE_ASSERT(segment.size() >= 2);
  CORE_ASSERT(runEnd < segment.end);
  Span operand{runEnd, segment.end};
  if (isWholeGroup(operand)) {
    plan(Op::Parse, operand);
  } else {
    tight(operand);
  }
  plan(Op::Wrap, Span{segment.begin, runEnd}, Span{runEnd, runEnd});
}

// Applies the operator bytes of `prefix` to the value on top, the last byte first, then those of
// `postfix` in order.
void ParseRun::wrap(Span prefix, Span postfix) {
  CellRef acc = pop();
  for (std::int64_t k = prefix.end; k-- > prefix.begin;) acc = apply(atom_(source_.at(k)), std::move(acc));
  for (std::int64_t k = postfix.begin; k < postfix.end; ++k) {
    acc = apply(atom_(source_.at(k)), std::move(acc));
  }
  values_.push_back(std::move(acc));
}

// Level 12, tight juxtaposition: BKK is ((B K) K), a2 is (a 2), c(d)e is ((c d) e). A piece in
// parentheses after the first is a call list: h(a,b) is ((h a) b) and h() is (h "}").
void ParseRun::tight(Span span) {
  CORE_ASSERT(!span.empty());
  auto next = [this](std::int64_t i) {
    char c = source_.at(i);
    return c == '(' || c == '[' ? source_.match(i) + 1 : i + 1;
  };
  std::int64_t start = span.begin;
  for (std::int64_t i = next(span.begin); i < span.end; i = next(i)) {
    if (!startsPiece(i)) continue;
    piece(Span{start, i}, start == span.begin);
    start = i;
  }
  piece(Span{start, span.end}, start == span.begin);
}

// The first piece is a primary; a later one is applied to what is made so far, and a later one
// in parentheses is a call list whose arguments are applied in turn.
void ParseRun::piece(Span piece, bool first) {
  if (first || source_.at(piece.begin) != '(') {
    primary(piece);
    if (!first) plan(Op::Apply);
    return;
  }
  Span inside{piece.begin + 1, piece.end - 1};
  CORE_ASSERT(source_.match(piece.begin) == inside.end);
  for (std::int64_t from = inside.begin;;) {
    std::int64_t comma = firstTopLevel(source_, from, inside, kComma);
    plan(Op::Parse, Span{from, comma < 0 ? inside.end : comma});
    plan(Op::Apply);
    if (comma < 0) return;
    from = comma + 1;
  }
}

bool ParseRun::startsPiece(std::int64_t i) const {
  char c = source_.at(i);
  char before = source_.at(i - 1);
  if (before == ')' || before == ']' || c == '(' || c == '[') return true;
  if (isLowerOrUnderscore(c)) return !isLowerOrUnderscore(before);
  if (isDigit(c)) return !isDigit(before);
  return !kTightDelimiters.has(c);
}

// Level 13, primary: a number or identifier as it stands, a text literal, a parenthesised
// expression, or a single byte (a capital, a control or high byte).
void ParseRun::primary(Span piece) {
  CORE_ASSERT(!piece.empty());
  if (source_.at(piece.begin) != '(') return plan(Op::Leaf, piece);
  CORE_ASSERT(source_.match(piece.begin) == piece.end - 1);
  plan(Op::Parse, Span{piece.begin + 1, piece.end - 1});
}

CellRef ParseRun::leaf(Span piece) const {
  char c = source_.at(piece.begin);
  if (isDigit(c) || isLowerOrUnderscore(c)) {
    return piece.size() == 1 ? atom_(c) : CellRef(source_.view(piece));
  }
  if (c == '[') return textLiteral(source_.view(piece));
  CORE_ASSERT(piece.size() == 1);
  return atom_(c);
}

}  // namespace

Parser::Parser(std::string text) : source_(std::move(text)), lists_(std::make_unique<ParseLists>()) {}

Parser::~Parser() = default;

CellRef Parser::expression(Span span) const {
  return ParseRun(source_, *lists_).run(Step{Op::Parse, span, {}});
}

CellRef Parser::wingList(Span span) const {
  return ParseRun(source_, *lists_).run(Step{Op::WingList, span, {}});
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
