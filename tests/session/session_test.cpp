// The run driver's clipping of shown results: bytes are counted, not characters.
#include "session/session.h"

#include <gtest/gtest.h>

namespace vorn::session {
namespace {

TEST(ClipText, KeepsUpTo56BytesAndShortensLongerTextsTo56) {
  EXPECT_EQ(clipText(""), "");
  EXPECT_EQ(clipText(std::string(56, 'a')), std::string(56, 'a'));
  EXPECT_EQ(clipText(std::string(57, 'a')), std::string(53, 'a') + "...");
  EXPECT_EQ(clipText(std::string(5000, 'b')).size(), 56u);
  // A two-byte character counts as two bytes, and may be cut in the middle.
  std::string wide;
  for (int i = 0; i < 30; ++i) wide += "\xC3\xA9";
  EXPECT_EQ(clipText(wide), wide.substr(0, 53) + "...");
  // Zero bytes are bytes like any other.
  std::string zeros(60, '\0');
  EXPECT_EQ(clipText(zeros), std::string(53, '\0') + "...");
}

}  // namespace
}  // namespace vorn::session
