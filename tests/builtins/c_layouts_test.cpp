// The layout text: regions split around each field, gaps written as unnamed regions, and the
// sizes it gives agreeing with the builtins that answer the same sizes.
#include "builtins/c_layouts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "builtins/table.h"
#include "cells/integer.h"

namespace vorn::builtins {
namespace {

TEST(Layout, TheWholeText) {
  EXPECT_EQ(layoutText(),
            "[[addrinfo[ai_flags[[4]]][ai_family[[4]]][ai_socktype[[4]]][ai_protocol[[4]]]"
            "[ai_addrlen[[4]]][[4]][ai_addr[[8]]][ai_canonname[[8]]][ai_next[[8]]]]"
            "[dirent[d_ino[[4]]][d_off[[4]]][d_reclen[[2]]][[6]][d_namlen[[8]]][d_type[[4]]]"
            "[d_name[[261]]][[7]]]"
            "[fd_set[[520]]][size_t[[8]]][socklen_t[[4]]][time_t[[8]]]]");
}

// The total of the region widths in the item of `type`.
std::size_t itemSize(const std::string& text, const std::string& type) {
  std::size_t at = text.find("[" + type + "[");
  EXPECT_NE(at, std::string::npos) << type;
  if (at == std::string::npos) return 0;
  std::size_t size = 0;
  int depth = 0;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text.compare(i, 2, "[[") == 0) {
      std::size_t end = text.find("]]", i);
      size += std::stoul(text.substr(i + 2, end - i - 2));
      i = end + 1;
      continue;
    }
    if (text[i] == '[') ++depth;
    if (text[i] == ']' && --depth == 0) break;
  }
  return size;
}

// The builtins that tell a program how big a structure is give what the text says it is.
TEST(Layout, TheSizeBuiltinsAgreeWithTheText) {
  const std::string text = layoutText();
  for (const char* type : {"addrinfo", "dirent", "time_t"}) {
    CellRef size = builtinTable().at(type).entry(CellRef(type));
    EXPECT_EQ(cells::integerToInt64(size), static_cast<std::int64_t>(itemSize(text, type))) << type;
  }
  EXPECT_EQ(itemSize(text, "fd_set"), kFdSetSize);
}

TEST(Layout, FieldsInAnyOrderSplitTheRightRegion) {
  const LayoutField fields[] = {{"mid", 2, 4}, {"low", 1, 0}, {"top", 2, 8}};
  EXPECT_EQ(layoutItem("t", 10, fields), "[t[low[[1]]][[3]][mid[[2]]][[2]][top[[2]]]]");
}

TEST(LayoutDeath, AFieldOverlappingAnotherIsAnInternalError) {
  const LayoutField overlapping[] = {{"a", 4, 0}, {"b", 4, 2}};
  EXPECT_DEATH(layoutItem("t", 8, overlapping), "ASSERTION FAILED:b:");
  const LayoutField crossing[] = {{"a", 2, 4}, {"b", 4, 2}};
  EXPECT_DEATH(layoutItem("t", 8, crossing), "ASSERTION FAILED:b:");
  const LayoutField past[] = {{"a", 4, 6}};
  EXPECT_DEATH(layoutItem("t", 8, past), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::builtins
