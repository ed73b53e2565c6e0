// The directory reader: opendir, readdir and closedir over scratch folders, read back through the
// 296-byte record exactly as a program reads it, by offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <unistd.h>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"

namespace vorn::builtins {
#define VORN_BUILTIN(name, arity, entry, family) CellRef entry(CellRef node);
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN
}  // namespace vorn::builtins

namespace {

using namespace vorn::builtins;
using vorn::cells::CellRef;
namespace fs = std::filesystem;

CellRef apply(const char* name, std::initializer_list<CellRef> args) {
  CellRef node(name);
  for (const CellRef& arg : args) node = vorn::cells::makePair(std::move(node), arg);
  return node;
}

CellRef number(std::int64_t value) { return vorn::cells::makeInteger(value); }
CellRef address(const void* p) { return number(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p))); }

std::int64_t valueOf(const CellRef& result) {
  EXPECT_TRUE(vorn::cells::isInteger(result)) << vorn::cells::atomBytes(result);
  return vorn::cells::integerToInt64(result);
}

// One record as a program sees it.
struct Record {
  std::uint32_t ino;
  std::int32_t off;
  std::uint16_t reclen;
  std::uint64_t namlen;
  std::uint32_t type;
  std::string name;
};

template <typename T>
T field(const char* record, std::size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

Record readRecord(const char* record) {
  return {field<std::uint32_t>(record, 0), field<std::int32_t>(record, 4),
          field<std::uint16_t>(record, 8), field<std::uint64_t>(record, 16),
          field<std::uint32_t>(record, 24), std::string(record + 28)};
}

// The hash as a program would compute it, written out independently.
std::int32_t djb2(const std::string& name) {
  std::uint32_t hash = 5381;
  for (unsigned char c : name) hash = hash * 33 + c;
  return static_cast<std::int32_t>(hash % 2147483648u);
}

CellRef openDirectory(const std::string& path) {
  return dirOpendir(apply("opendir", {address(path.c_str())}));
}

// Every record of the directory, in the order readdir gives them; the handle is closed after.
std::vector<Record> listAll(const std::string& path) {
  CellRef handle = openDirectory(path);
  EXPECT_NE(valueOf(handle), 0);
  std::vector<Record> records;
  for (;;) {
    std::int64_t record = valueOf(dirReaddir(apply("readdir", {handle})));
    if (record == 0) break;
    EXPECT_EQ(record, valueOf(handle)) << "the record lives at the handle's address";
    records.push_back(readRecord(reinterpret_cast<const char*>(record)));
  }
  EXPECT_EQ(valueOf(dirReaddir(apply("readdir", {handle}))), 0) << "the end stays the end";
  EXPECT_EQ(valueOf(dirClosedir(apply("closedir", {handle}))), 0);
  return records;
}

class DirectoriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn-dirs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override { fs::remove_all(scratch_); }

  fs::path scratch_;
};

TEST_F(DirectoriesTest, EachRecordCarriesTheHashOfTheNextName) {
  std::ofstream(scratch_ / "alpha") << "a";
  std::ofstream(scratch_ / "beta.txt") << "bb";
  std::vector<Record> records = listAll(scratch_.string());

  std::vector<std::string> names;
  for (const Record& r : records) names.push_back(r.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "alpha", "beta.txt"}));

  for (std::size_t i = 0; i < records.size(); ++i) {
    SCOPED_TRACE(records[i].name);
    std::int32_t expected = i + 1 < records.size() ? djb2(records[i + 1].name) : 2147483647;
    EXPECT_EQ(records[i].off, expected);
    EXPECT_EQ(records[i].ino, 0u);
    EXPECT_EQ(records[i].reclen, 296);
    EXPECT_EQ(records[i].namlen, records[i].name.size());
  }
}

TEST_F(DirectoriesTest, AnEmptyDirectoryListsItselfAndItsParent) {
  std::vector<Record> records = listAll(scratch_.string());
  ASSERT_EQ(records.size(), 2u);
  // The hashes of "." and ".." are 177619 and 5861473.
  const Record& first = records[0];
  EXPECT_EQ(first.off, records[1].name == "." ? 177619 : 5861473);
  EXPECT_EQ(records[1].off, 2147483647);
  EXPECT_EQ(first.type, 16384u);
}

TEST_F(DirectoriesTest, TypesOfEntries) {
  std::ofstream(scratch_ / "file") << "f";
  fs::create_directory(scratch_ / "sub");
  fs::create_symlink("file", scratch_ / "link");
  fs::create_symlink("nowhere", scratch_ / "dangling");
  std::vector<Record> records = listAll(scratch_.string());
  auto typeOf = [&](const std::string& name) -> std::uint32_t {
    for (const Record& r : records) {
      if (r.name == name) return r.type;
    }
    ADD_FAILURE() << name << " not listed";
    return 0;
  };
  EXPECT_EQ(typeOf("file"), 32768u);
  EXPECT_EQ(typeOf("sub"), 16384u);
  EXPECT_EQ(typeOf("link"), 49152u);
  EXPECT_EQ(typeOf("dangling"), 49152u);
  EXPECT_EQ(typeOf(".."), 16384u);
}

TEST(Directories, DevicesAreTypedAsDevices) {
  if (!fs::exists("/dev/null")) GTEST_SKIP() << "no /dev/null";
  bool found = false;
  for (const Record& r : listAll("/dev")) {
    if (r.name == "null") {
      found = true;
      EXPECT_EQ(r.type, 8192u);
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(DirectoriesTest, OpendirFailures) {
  std::ofstream(scratch_ / "plain") << "p";
  struct Case {
    const char* what;
    CellRef node;
    int error;
  };
  std::string missing = (scratch_ / "missing").string();
  std::string plain = (scratch_ / "plain").string();
  Case cases[] = {
      {"the null address", apply("opendir", {number(0)}), ENOENT},
      {"the empty string", apply("opendir", {address("")}), ENOENT},
      {"a missing path", apply("opendir", {address(missing.c_str())}), ENOENT},
      {"a regular file", apply("opendir", {address(plain.c_str())}), ENOTDIR},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    EXPECT_EQ(valueOf(dirOpendir(std::move(c.node))), 0);
    EXPECT_EQ(errno, c.error);
  }
}

TEST(Directories, ClosedirOfNullIsABadDescriptor) {
  errno = 0;
  EXPECT_EQ(valueOf(dirClosedir(apply("closedir", {number(0)}))), -1);
  EXPECT_EQ(errno, EBADF);
}

// A handle whose state pointer the program has cleared is refused by readdir and closedir, and
// closedir still frees the block.
TEST(Directories, AHandleWithoutStateIsRefused) {
  auto* handle = static_cast<char*>(std::calloc(1, 304));
  errno = 0;
  EXPECT_EQ(valueOf(dirReaddir(apply("readdir", {address(handle)}))), 0);
  EXPECT_EQ(errno, EBADF);
  errno = 0;
  EXPECT_EQ(valueOf(dirClosedir(apply("closedir", {address(handle)}))), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST(Directories, WrongKindsAndTheRecordSize) {
  for (const char* name : {"opendir", "readdir", "closedir"}) {
    SCOPED_TRACE(name);
    CellRef node = apply(name, {CellRef("[.]")});
    Entry entry = builtinTable().at(name).entry;
    EXPECT_EQ(vorn::cells::atomBytes(entry(std::move(node))), "Z");
  }
  EXPECT_EQ(valueOf(dirDirent(CellRef("dirent"))), 296);
}

}  // namespace
