// Test helper: the fourteen parser levels written the slow, literal way, each level copying its
// pieces and searching them with the scanning matchingBracket, and producing the tree's text
// directly. The real parser skips levels, unwraps groups in a loop and works on one bracket
// table; comparing the two on many texts checks that none of that changes a tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "front/source_text.h"

namespace vorn::front::testing {

class ReferenceParser {
 public:
  static std::string expression(const std::string& t) { return level(0, t); }

  static std::string wingList(const std::string& t) {
    std::vector<std::string> items = cut(t, topLevelPositions(t, CharSet(",")));
    std::string acc = expression(items.back());
    for (std::size_t k = items.size() - 1; k-- > 0;) acc = binary(",", expression(items[k]), acc);
    return acc;
  }

 // Set when a text reached a place where the levels assert (an empty prefix text, a short
  // operator segment, an empty or over-long primary).
  inline static bool broken = false;

 private:
  static std::string fail() {
    broken = true;
    return "?";
  }
  static std::string apply(const std::string& f, const std::string& x) {
    return "(" + f + " " + x + ")";
  }
  static std::string binary(const std::string& op, const std::string& l, const std::string& r) {
    return apply(apply(op, l), r);
  }
  static bool unary(char c) { return kUnaryOperators.has(c); }

  static std::int64_t next(const std::string& t, std::int64_t i) {
    char c = t[static_cast<std::size_t>(i)];
    return c == '(' || c == '[' || c == '{' ? matchingBracket(t, i) + 1 : i + 1;
  }

  // The pieces before, between and after the positions; a "{" separator covers its group.
  static std::vector<std::string> cut(const std::string& t, const std::vector<std::int64_t>& at) {
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::int64_t p : at) {
      pieces.push_back(t.substr(from, static_cast<std::size_t>(p) - from));
      from = static_cast<std::size_t>(next(t, p));
    }
    pieces.push_back(t.substr(from));
    return pieces;
  }

  static std::string level(int n, const std::string& t) {
    static const char* const kSeparators[] = {";\\{", "?\n", "&|", "=<>#", "@ ", "+-:.", "*/%'", "^"};
    static const bool kRight[] = {true, false, true, true, false, false, false, true};
    if (n >= 8) return postfix(t);
    std::vector<std::int64_t> at = topLevelPositions(t, CharSet(kSeparators[n]));
    if (at.empty()) return level(n + 1, t);
    std::vector<std::string> pieces = cut(t, at);
    auto join = [&](std::size_t k, const std::string& l, const std::string& r) {
      char c = t[static_cast<std::size_t>(at[k])];
      if (c == '{') {
        std::size_t open = static_cast<std::size_t>(at[k]);
        std::size_t close = static_cast<std::size_t>(matchingBracket(t, at[k]));
        return apply(apply(apply("{", l), wingList(t.substr(open + 1, close - open - 1))), r);
      }
      if (c == '\n') return apply(r, l);
      if (c == ' ') return apply(l, r);
      return binary(std::string(1, c), l, r);
    };
    if (kRight[n]) {
      std::string acc = level(n + 1, pieces.back());
      for (std::size_t k = at.size(); k-- > 0;) acc = join(k, level(n + 1, pieces[k]), acc);
      return acc;
    }
    std::string acc = level(n + 1, pieces.front());
    for (std::size_t k = 0; k < at.size(); ++k) acc = join(k, acc, level(n + 1, pieces[k + 1]));
    return acc;
  }

  static std::string postfix(const std::string& t) {
    if (t.empty()) return "}";
    if (unary(t.back())) return apply(std::string(1, t.back()), postfix(t.substr(0, t.size() - 1)));
    return prefix(t);
  }

  static std::string prefix(const std::string& t) {
    if (t.empty()) return fail();
    if (unary(t[0])) return apply(std::string(1, t[0]), prefix(t.substr(1)));
    return runs(t);
  }

  static std::string runs(const std::string& t) {
    std::vector<std::int64_t> starts;
    auto size = static_cast<std::int64_t>(t.size());
    for (std::int64_t i = next(t, 0); i < size; i = next(t, i)) {
      if (unary(t[static_cast<std::size_t>(i)]) && !unary(t[static_cast<std::size_t>(i - 1)])) {
        starts.push_back(i);
      }
    }
    if (starts.empty()) return tight(t);
    std::string acc = tight(t.substr(0, static_cast<std::size_t>(starts[0])));
    for (std::size_t k = 0; k < starts.size(); ++k) {
      auto from = static_cast<std::size_t>(starts[k]);
      auto to = k + 1 < starts.size() ? static_cast<std::size_t>(starts[k + 1]) : t.size();
      acc = apply(acc, operatorLed(t.substr(from, to - from)));
    }
    return acc;
  }

  static std::string operatorLed(const std::string& t) {
    if (t.size() < 2) return fail();
    std::string op(1, t[0]);
    return apply(op, unary(t[1]) ? operatorLed(t.substr(1)) : tight(t.substr(1)));
  }

  static bool lower(char c) { return c == '_' || (c >= 'a' && c <= 'z'); }
  static bool digit(char c) { return c >= '0' && c <= '9'; }

  static bool startsPiece(const std::string& t, std::size_t i) {
    static const CharSet kDelimiters{"~!@#$%^&*<>-|+/=\\.`'\":;?(){},[] \n"};
    char c = t[i];
    char b = t[i - 1];
    return (lower(c) && !lower(b)) || (!kDelimiters.has(c) && !lower(c) && !digit(c)) ||
           c == '(' || c == '[' || (digit(c) && !digit(b)) || b == ')' || b == ']';
  }

  static std::string tight(const std::string& t) {
    if (t.empty()) return fail();
    auto step = [&](std::size_t i) {
      return t[i] == '(' || t[i] == '[' ? static_cast<std::size_t>(matchingBracket(t, static_cast<std::int64_t>(i))) + 1 : i + 1;
    };
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = step(0); i < t.size(); i = step(i)) {
      if (startsPiece(t, i)) {
        pieces.push_back(t.substr(start, i - start));
        start = i;
      }
    }
    pieces.push_back(t.substr(start));
    std::string acc = primary(pieces[0]);
    for (std::size_t k = 1; k < pieces.size(); ++k) {
      const std::string& p = pieces[k];
      if (p[0] != '(') {
        acc = apply(acc, primary(p));
        continue;
      }
      std::string inside = p.substr(1, p.size() - 2);
      for (const std::string& argument : cut(inside, topLevelPositions(inside, CharSet(",")))) {
        acc = apply(acc, expression(argument));
      }
    }
    return acc;
  }

  static std::string primary(const std::string& t) {
    if (t.empty()) return fail();
    if (digit(t[0]) || lower(t[0])) return t;
    if (t[0] == '[') {
      std::string out;
      for (char c : t) {
        if (c != '\n') out += c == '\0' ? '\n' : c;
      }
      return out;
    }
    if (t[0] == '(') return expression(t.substr(1, t.size() - 2));
    if (t.size() != 1) return fail();
    return t[0] == '\0' ? std::string("\n") : t;
  }
};

}  // namespace vorn::front::testing
