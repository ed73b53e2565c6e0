// A slow, obviously correct reference for exact arithmetic, used by tests to check the real
// implementation: decimal strings handled one digit at a time, as on paper. Magnitudes have no
// leading zeros ("0" is zero); signed values carry a leading '-'.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorn::reference {

// Joins without operator+ on a literal, which trips a false -Wrestrict warning in GCC 12.
inline std::string join(std::string_view a, std::string_view b) {
  std::string r(a);
  r += b;
  return r;
}

inline std::string stripZeros(const std::string& s) {
  std::size_t i = 0;
  while (i + 1 < s.size() && s[i] == '0') ++i;
  return s.substr(i);
}

inline int compareMagnitudes(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a < b ? -1 : (a > b ? 1 : 0);
}

inline std::string addMagnitudes(const std::string& a, const std::string& b) {
  std::string r;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
    int d = carry;
    if (i < a.size()) d += a[a.size() - 1 - i] - '0';
    if (i < b.size()) d += b[b.size() - 1 - i] - '0';
    r.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  std::reverse(r.begin(), r.end());
  return stripZeros(r);
}

// a - b for a >= b.
inline std::string subtractMagnitudes(const std::string& a, const std::string& b) {
  std::string r(a.size(), '0');
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int d = (a[a.size() - 1 - i] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
    borrow = d < 0 ? 1 : 0;
    r[a.size() - 1 - i] = static_cast<char>('0' + (d + 10) % 10);
  }
  return stripZeros(r);
}

inline std::string multiplyMagnitudes(const std::string& a, const std::string& b) {
  std::vector<int> cols(a.size() + b.size(), 0);
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < b.size(); ++j) cols[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (std::size_t k = cols.size(); k-- > 1;) {
    cols[k - 1] += cols[k] / 10;
    cols[k] %= 10;
  }
  std::string r;
  for (int c : cols) r.push_back(static_cast<char>('0' + c));
  return stripZeros(r);
}

// Long division one decimal digit at a time, each quotient digit found by repeated subtraction.
inline std::pair<std::string, std::string> divideMagnitudes(const std::string& a, const std::string& b) {
  std::string q, rest = "0";
  for (char c : a) {
    rest = stripZeros(join(rest, std::string(1, c)));
    int digit = 0;
    while (compareMagnitudes(rest, b) >= 0) {
      rest = subtractMagnitudes(rest, b);
      ++digit;
    }
    q.push_back(static_cast<char>('0' + digit));
  }
  return {stripZeros(q), rest};
}

// ---- Signed values ('-' prefix) -------------------------------------------------------------

struct Signed {
  bool negative;
  std::string magnitude;
};

inline Signed split(const std::string& s) {
  if (!s.empty() && s[0] == '-') return {true, s.substr(1)};
  return {false, s};
}

inline std::string make(bool negative, const std::string& magnitude) {
  return negative && magnitude != "0" ? join("-", magnitude) : magnitude;
}

inline std::string add(const std::string& x, const std::string& y) {
  Signed a = split(x), b = split(y);
  if (a.negative == b.negative) return make(a.negative, addMagnitudes(a.magnitude, b.magnitude));
  if (compareMagnitudes(a.magnitude, b.magnitude) >= 0) {
    return make(a.negative, subtractMagnitudes(a.magnitude, b.magnitude));
  }
  return make(b.negative, subtractMagnitudes(b.magnitude, a.magnitude));
}

inline std::string negate(const std::string& x) {
  Signed a = split(x);
  return make(!a.negative, a.magnitude);
}

inline std::string subtract(const std::string& x, const std::string& y) { return add(x, negate(y)); }

inline std::string multiply(const std::string& x, const std::string& y) {
  Signed a = split(x), b = split(y);
  return make(a.negative != b.negative, multiplyMagnitudes(a.magnitude, b.magnitude));
}

inline int compare(const std::string& x, const std::string& y) {
  Signed a = split(x), b = split(y);
  if (a.magnitude == "0" && b.magnitude == "0") return 0;
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  int m = compareMagnitudes(a.magnitude, b.magnitude);
  return a.negative ? -m : m;
}

// ---- The language's integer texts: "042" for -42 ---------------------------------------------

inline std::string toLanguage(const std::string& x) {
  Signed a = split(x);
  return a.negative ? join("0", a.magnitude) : a.magnitude;
}

// Random magnitudes of n digits whose digits are uniform, mostly nines, or mostly zeros: the
// last two reach the rare carry, borrow and quotient-correction paths.
inline std::string randomDigits(std::mt19937_64& rng, std::size_t n) {
  std::string s;
  int style = static_cast<int>(rng() % 3);
  for (std::size_t i = 0; i < n; ++i) {
    int d = static_cast<int>(rng() % 10);
    if (style == 1 && rng() % 8 != 0) d = 9;
    if (style == 2 && rng() % 8 != 0) d = 0;
    s.push_back(static_cast<char>('0' + d));
  }
  if (s[0] == '0') s[0] = static_cast<char>('1' + rng() % 9);
  return s;
}

}  // namespace vorn::reference
