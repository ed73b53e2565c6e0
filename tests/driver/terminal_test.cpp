// The display form in which reports reach the terminal.
#include "driver/terminal.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn::driver {
namespace {

TEST(Terminal, DisplayForm) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"", ""},
      {"plain text\n", "plain text\n"},
      {std::string("a\xC8" "b"), "a\033[31mH\033[mb"},
      {std::string("\0\1", 2), "\033[32mJA\033[m"},
      {"\xA0", "\033[32m9\033[m"},
      {"\x7F\x80\x97\xFF", "\033[32m~!0]\033[m"},
      {"\x1B\x1F\x0B", "\033[32m([K\033[m"},
      {"\xC8\n", "\033[31mH\033[m\n"},
      {"\xC8\x01", "\033[31mH\033[32mA\033[m"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(displayForm(c.in), c.out);
  }
}

// Every byte outside newline and 32..126 shows as one visible character: 161..254 in red as the
// byte minus 128, the rest in green, and no two bytes of one colour look alike.
TEST(Terminal, EveryUnprintableByteHasItsOwnKey) {
  std::string red, green;
  for (int b = 0; b < 256; ++b) {
    if (b == '\n' || (b >= 32 && b <= 126)) continue;
    std::string shown = displayForm(std::string(1, static_cast<char>(b)));
    SCOPED_TRACE(b);
    ASSERT_EQ(shown.size(), 9u);  // escape, key, reset
    if (b >= 161 && b <= 254) {
      EXPECT_EQ(shown.substr(0, 5), "\033[31m");
      EXPECT_EQ(shown[5], static_cast<char>(b - 128));
      red += shown[5];
    } else {
      EXPECT_EQ(shown.substr(0, 5), "\033[32m");
      EXPECT_EQ(green.find(shown[5]), std::string::npos);
      green += shown[5];
    }
  }
  EXPECT_EQ(green.size(), 66u);
  EXPECT_EQ(red.size(), 94u);
}

}  // namespace
}  // namespace vorn::driver
