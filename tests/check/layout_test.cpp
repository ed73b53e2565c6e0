// The layout text: regions split around each field, gaps written as unnamed regions.
#include "check/layout.h"

#include <gtest/gtest.h>

namespace vorn::check {
namespace {

TEST(Layout, TheWholeText) {
  EXPECT_EQ(layoutText(),
            "[[addrinfo[ai_flags[[4]]][ai_family[[4]]][ai_socktype[[4]]][ai_protocol[[4]]]"
            "[ai_addrlen[[4]]][[4]][ai_addr[[8]]][ai_canonname[[8]]][ai_next[[8]]]]"
            "[dirent[d_ino[[4]]][d_off[[4]]][d_reclen[[2]]][[6]][d_namlen[[8]]][d_type[[4]]]"
            "[d_name[[261]]][[7]]]"
            "[fd_set[[520]]][size_t[[8]]][socklen_t[[4]]][time_t[[8]]]]");
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
}  // namespace vorn::check
