// The builtin table: every name with its arity, the one shared entry, and refilling after the
// program's tables are reset.
#include "builtins/table.h"

#include <gtest/gtest.h>

#include <string>

namespace vorn::builtins {
namespace {

TEST(BuiltinTable, HoldsEveryNameWithItsArity) {
  BuiltinTable& table = builtinTable();
  EXPECT_EQ(table.size(), 222u);
  struct Case {
    const char* name;
    int arity;
  };
  const Case cases[] = {{"plus", 2},   {"buck", 1},        {"cork", 3},     {"rand", 0},
                        {"strtol", 3}, {"fread", 4},       {"getnameinfo", 7}, {"sendto", 6},
                        {"setsockopt", 5}, {"fd_set", 2}, {"strftime", 4}, {"ewouldblock", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(table.count(c.name), 1u);
    EXPECT_EQ(table.at(c.name).arity, c.arity);
  }
  for (const auto& [name, builtin] : table) {
    SCOPED_TRACE(name);
    EXPECT_LE(builtin.arity, 7);
    EXPECT_NE(builtin.entry, nullptr);
    for (char c : name) EXPECT_TRUE(c == '_' || (c >= 'a' && c <= 'z'));
  }
}

// Every entry reads exactly the arguments of its row: the calling convention asserts when an
// entry's own count differs from the node's depth. Each is called with arguments of no kind any
// reader accepts, so nothing reaches the C library but calls that do no harm; abort and getchar,
// which take no argument to refuse, are left out.
TEST(BuiltinTable, EveryEntryReadsTheArityOfItsRow) {
  for (const auto& [name, builtin] : builtinTable()) {
    if (name == "abort" || name == "getchar") continue;
    SCOPED_TRACE(name);
    CellRef node(name);
    for (int k = 0; k < builtin.arity; ++k) node = cells::makePair(std::move(node), CellRef("q"));
    CellRef result = builtin.entry(std::move(node));
    EXPECT_NE(result.get(), nullptr);
  }
}

TEST(BuiltinTable, TwoNamesShareOneEntry) {
  BuiltinTable& table = builtinTable();
  EXPECT_EQ(table.at("ai_passive").entry, table.at("sock_stream").entry);
}

TEST(BuiltinTable, EmptiedByTheProgramsResetAndFilledAgain) {
  builtinTable();
  program::tables().reset();
  EXPECT_TRUE(program::tables().builtins().empty());
  EXPECT_EQ(builtinTable().size(), 222u);
}

}  // namespace
}  // namespace vorn::builtins
