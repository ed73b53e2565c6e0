// The stream, file and descriptor bindings, called directly on hand-built nodes against files in
// a scratch folder and pipes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "builtins/table.h"
#include "cells/cell.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {
#define VORN_BUILTIN(name, arity, entry, family) CellRef entry(CellRef node);
#include "builtins/builtin_list.h"
#undef VORN_BUILTIN
}  // namespace vorn::builtins

namespace {

using namespace vorn::builtins;
using vorn::cells::CellRef;
namespace fs = std::filesystem;

// The builtin applied to its arguments, as the reducer hands it over.
CellRef apply(const char* name, std::initializer_list<CellRef> args) {
  CellRef node(name);
  for (const CellRef& arg : args) node = vorn::cells::makePair(std::move(node), arg);
  return node;
}

CellRef number(std::int64_t value) { return vorn::cells::makeInteger(value); }
CellRef address(const void* p) { return number(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p))); }
CellRef blob(const std::string& bytes) { return vorn::cells::makeBlob(bytes); }

std::int64_t valueOf(const CellRef& result) {
  EXPECT_TRUE(vorn::cells::isInteger(result)) << vorn::cells::atomBytes(result);
  return vorn::cells::integerToInt64(result);
}

template <typename T>
T* pointerOf(const CellRef& result) {
  return reinterpret_cast<T*>(static_cast<std::intptr_t>(valueOf(result)));
}

std::string atomOf(const CellRef& result) { return std::string(vorn::cells::atomBytes(result)); }

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class StreamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vorn-streams-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override { fs::remove_all(scratch_); }

  std::string at(const std::string& name) const { return (scratch_ / name).string(); }

  // Opens a file of the scratch folder through the binding.
  std::FILE* open(const std::string& name, const char* mode) {
    return pointerOf<std::FILE>(ioFopen(apply("fopen", {blob(at(name)), blob(mode)})));
  }

  fs::path scratch_;
};

TEST_F(StreamsTest, WritesSeeksAndReadsBackAFile) {
  std::FILE* stream = open("round.txt", "w+");
  ASSERT_NE(stream, nullptr);
  CellRef s = address(stream);

  // A text Atom is written as its own bytes, brackets included.
  EXPECT_EQ(valueOf(ioFwrite(apply("fwrite", {CellRef("[hello]"), number(1), number(7), s}))), 7);
  const char line[] = " line\nrest";
  EXPECT_GE(valueOf(ioFputs(apply("fputs", {address(line), s}))), 0);
  EXPECT_EQ(valueOf(ioFtell(apply("ftell", {s}))), 17);

  EXPECT_EQ(valueOf(ioFseek(apply("fseek", {s, number(0), number(SEEK_SET)}))), 0);
  char buffer[64] = {};
  EXPECT_EQ(pointerOf<char>(ioFgets(apply("fgets", {address(buffer), number(sizeof buffer), s}))), buffer);
  EXPECT_STREQ(buffer, "[hello] line\n");
  std::memset(buffer, 0, sizeof buffer);
  EXPECT_EQ(valueOf(ioFread(apply("fread", {address(buffer), number(1), number(sizeof buffer), s}))), 4);
  EXPECT_STREQ(buffer, "rest");
  EXPECT_NE(valueOf(ioFeof(apply("feof", {s}))), 0);
  EXPECT_EQ(valueOf(ioFerror(apply("ferror", {s}))), 0);

  EXPECT_EQ(atomOf(ioClearerr(apply("clearerr", {s}))), "I");
  EXPECT_EQ(valueOf(ioFeof(apply("feof", {s}))), 0);
  EXPECT_EQ(atomOf(ioRewind(apply("rewind", {s}))), "I");
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), '[');
  EXPECT_EQ(valueOf(ioUngetc(apply("ungetc", {number('<'), s}))), '<');
  EXPECT_EQ(valueOf(ioGetc(apply("getc", {s}))), '<');
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), 'h');
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
  EXPECT_EQ(fileText(at("round.txt")), "[hello] line\nrest");
}

TEST_F(StreamsTest, CharactersAndFlushReachTheFile) {
  std::FILE* stream = open("chars.txt", "w");
  ASSERT_NE(stream, nullptr);
  CellRef s = address(stream);
  // A character argument keeps its low 32 bits: 2^32 + 65 is 'A'.
  EXPECT_EQ(valueOf(ioFputc(apply("fputc", {number((std::int64_t{1} << 32) + 65), s}))), 'A');
  EXPECT_EQ(valueOf(ioPutc(apply("putc", {number('b'), s}))), 'b');
  EXPECT_EQ(valueOf(ioFflush(apply("fflush", {s}))), 0);
  EXPECT_EQ(fileText(at("chars.txt")), "Ab");
  EXPECT_GT(valueOf(ioFileno(apply("fileno", {s}))), 2);
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
}

TEST_F(StreamsTest, ATextPathIncludesItsBrackets) {
  fs::path old = fs::current_path();
  fs::current_path(scratch_);
  CellRef stream = ioFopen(apply("fopen", {CellRef("[note]"), blob("w")}));
  fs::current_path(old);
  ASSERT_NE(valueOf(stream), 0);
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {stream}))), 0);
  EXPECT_TRUE(fs::exists(scratch_ / "[note]"));
}

TEST_F(StreamsTest, RenameAndRemoveFiles) {
  std::ofstream(at("a.txt")) << "x";
  EXPECT_EQ(valueOf(ioRename(apply("rename", {blob(at("a.txt")), blob(at("b.txt"))}))), 0);
  EXPECT_FALSE(fs::exists(at("a.txt")));
  EXPECT_EQ(fileText(at("b.txt")), "x");
  EXPECT_EQ(valueOf(ioRemove(apply("remove", {blob(at("b.txt"))}))), 0);
  EXPECT_FALSE(fs::exists(at("b.txt")));
  errno = 0;
  EXPECT_EQ(valueOf(ioRemove(apply("remove", {blob(at("b.txt"))}))), -1);
  EXPECT_EQ(errno, ENOENT);
  // A failed fopen is the null address.
  EXPECT_EQ(valueOf(ioFopen(apply("fopen", {blob(at("missing")), blob("r")}))), 0);
}

TEST_F(StreamsTest, FseekTakesA32BitOffset) {
  std::ofstream(at("seek.txt")) << "0123456789";
  std::FILE* stream = open("seek.txt", "r");
  ASSERT_NE(stream, nullptr);
  CellRef s = address(stream);
  // 2^32 + 3 is 3; 2^32 - 2 is -2.
  EXPECT_EQ(valueOf(ioFseek(apply("fseek", {s, number((std::int64_t{1} << 32) + 3), number(SEEK_SET)}))), 0);
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), '3');
  EXPECT_EQ(valueOf(ioFseek(apply("fseek", {s, number((std::int64_t{1} << 32) - 2), number(SEEK_END)}))), 0);
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), '8');
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
}

TEST_F(StreamsTest, PositionsAreEightBytes) {
  std::ofstream(at("pos.txt")) << "abcdef";
  std::FILE* stream = open("pos.txt", "r");
  ASSERT_NE(stream, nullptr);
  CellRef s = address(stream);
  // Exactly eight bytes for the position: anything written beyond them is a sanitizer report.
  auto* position = static_cast<std::int64_t*>(std::malloc(8));
  EXPECT_EQ(valueOf(ioFseek(apply("fseek", {s, number(4), number(SEEK_SET)}))), 0);
  EXPECT_EQ(valueOf(ioFgetpos(apply("fgetpos", {s, address(position)}))), 0);
  EXPECT_EQ(*position, 4);
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), 'e');
  EXPECT_EQ(valueOf(ioFsetpos(apply("fsetpos", {s, address(position)}))), 0);
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {s}))), 'e');
  std::free(position);
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
}

TEST_F(StreamsTest, SetbufUsesTheProgramsBuffer) {
  std::FILE* stream = open("buffered.txt", "w");
  ASSERT_NE(stream, nullptr);
  CellRef s = address(stream);
  auto* buffer = static_cast<char*>(std::malloc(512));
  EXPECT_EQ(atomOf(ioSetbuf(apply("setbuf", {s, address(buffer)}))), "I");
  std::string text(3000, 'q');
  EXPECT_EQ(valueOf(ioFwrite(apply("fwrite", {blob(text), number(1), number(3000), s}))), 3000);
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
  std::free(buffer);
  EXPECT_EQ(fileText(at("buffered.txt")), text);

  // A null buffer makes the stream unbuffered: the bytes are in the file before any flush.
  stream = open("unbuffered.txt", "w");
  ASSERT_NE(stream, nullptr);
  s = address(stream);
  EXPECT_EQ(atomOf(ioSetbuf(apply("setbuf", {s, number(0)}))), "I");
  EXPECT_EQ(valueOf(ioFwrite(apply("fwrite", {blob("now"), number(1), number(3), s}))), 3);
  EXPECT_EQ(fileText(at("unbuffered.txt")), "now");
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {s}))), 0);
}

TEST_F(StreamsTest, DescriptorsReadAndWriteThroughAPipe) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), blob("abc"), number(3)}))), 3);
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), CellRef("[xy]"), number(4)}))), 4);
  // A text made of two pieces is written as its joined text, and only as far as that reaches.
  CellRef joined = vorn::cells::makePair(CellRef("[p]"), CellRef("[q]"));
  std::string flat(vorn::cells::atomBytes(vorn::cells::flattenText(joined)));
  auto size = static_cast<std::int64_t>(flat.size());
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), joined, number(size + 2)}))), -1);
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), joined, number(size)}))), size);
  char buffer[32] = {};
  EXPECT_EQ(valueOf(ioRead(apply("read", {number(ends[0]), address(buffer), number(sizeof buffer)}))), 7 + size);
  EXPECT_EQ(std::string(buffer), "abc[xy]" + flat);
  ::close(ends[1]);
  EXPECT_EQ(valueOf(ioRead(apply("read", {number(ends[0]), address(buffer), number(sizeof buffer)}))), 0);
  ::close(ends[0]);
}

TEST_F(StreamsTest, FdopenWrapsADescriptor) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], "z", 1), 1);
  ::close(ends[1]);
  CellRef stream = ioFdopen(apply("fdopen", {number(ends[0]), blob("r")}));
  ASSERT_NE(valueOf(stream), 0);
  EXPECT_EQ(valueOf(ioFileno(apply("fileno", {stream}))), ends[0]);
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {stream}))), 'z');
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {stream}))), EOF);
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {stream}))), 0);
}

TEST_F(StreamsTest, TemporaryFilesAndNames) {
  CellRef stream = ioTmpfile(CellRef("tmpfile"));
  ASSERT_NE(valueOf(stream), 0);
  EXPECT_EQ(valueOf(ioFputc(apply("fputc", {number('t'), stream}))), 't');
  EXPECT_EQ(atomOf(ioRewind(apply("rewind", {stream}))), "I");
  EXPECT_EQ(valueOf(ioFgetc(apply("fgetc", {stream}))), 't');
  EXPECT_EQ(valueOf(ioFclose(apply("fclose", {stream}))), 0);

  // The name fits a 14-byte buffer and names no file yet.
  auto* buffer = static_cast<char*>(std::malloc(14));
  EXPECT_EQ(pointerOf<char>(ioTmpnam(apply("tmpnam", {address(buffer)}))), buffer);
  EXPECT_LE(std::strlen(buffer), 13u);
  EXPECT_FALSE(fs::exists(buffer));
  std::string first = buffer;
  std::free(buffer);
  char* shared = pointerOf<char>(ioTmpnam(apply("tmpnam", {number(0)})));
  ASSERT_NE(shared, nullptr);
  EXPECT_NE(first, shared);
}

TEST(StreamsBindings, StandardStreamsAreTheRuntimes) {
  EXPECT_EQ(pointerOf<std::FILE>(ioStdout(CellRef("stdout"))), stdout);
  EXPECT_EQ(pointerOf<std::FILE>(ioStderr(CellRef("stderr"))), stderr);
  EXPECT_EQ(valueOf(ioFileno(apply("fileno", {ioStderr(CellRef("stderr"))}))), 2);
}

TEST(StreamsBindings, WrongKindsGiveZAndLeaveErrnoAlone) {
  struct Case {
    const char* what;
    Entry entry;
    CellRef node;
  };
  char buffer[8] = {};
  CellRef out = address(stdout);
  Case cases[] = {
      {"fputs of a text", ioFputs, apply("fputs", {CellRef("[hi]"), out})},
      {"fwrite of a negative size", ioFwrite, apply("fwrite", {CellRef("[hi]"), number(-1), number(1), out})},
      {"fwrite of a negative count", ioFwrite, apply("fwrite", {CellRef("[hi]"), number(1), number(-1), out})},
      {"fwrite of a real", ioFwrite, apply("fwrite", {vorn::cells::makeReal(1.0), number(1), number(1), out})},
      {"fopen of a real path", ioFopen, apply("fopen", {vorn::cells::makeReal(1.0), blob("r")})},
      {"fopen of a name as mode", ioFopen, apply("fopen", {blob("x"), CellRef("r")})},
      {"fgets into a text", ioFgets, apply("fgets", {CellRef("[buf]"), number(8), out})},
      {"fgets from a name", ioFgets, apply("fgets", {address(buffer), number(8), CellRef("stdin")})},
      {"fclose of a text", ioFclose, apply("fclose", {CellRef("[f]")})},
      {"read into a blob", ioRead, apply("read", {number(0), blob("b"), number(1)})},
      {"write of a pair", ioWrite, apply("write", {number(1), vorn::cells::makePair(CellRef("K"), CellRef("K")), number(1)})},
      {"puts of a real", ioPuts, apply("puts", {vorn::cells::makeReal(2.5)})},
      {"fseek with a text origin", ioFseek, apply("fseek", {out, number(0), CellRef("[0]")})},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 12345;
    EXPECT_EQ(atomOf(c.entry(std::move(c.node))), "Z");
    EXPECT_EQ(errno, 12345);
  }
}

// The null stream that a failed fopen returns, and null strings, are refused instead of crashing.
TEST(StreamsBindings, NullStreamsAndStringsAreRefused) {
  struct Case {
    const char* what;
    Entry entry;
    CellRef node;
    const char* result;
  };
  char buffer[8] = {};
  Case cases[] = {
      {"fclose", ioFclose, apply("fclose", {number(0)}), "01"},
      {"feof", ioFeof, apply("feof", {number(0)}), "01"},
      {"fgetc", ioFgetc, apply("fgetc", {number(0)}), "01"},
      {"ftell", ioFtell, apply("ftell", {number(0)}), "01"},
      {"rewind", ioRewind, apply("rewind", {number(0)}), "I"},
      {"fgets", ioFgets, apply("fgets", {address(buffer), number(8), number(0)}), "0"},
      {"fread", ioFread, apply("fread", {address(buffer), number(1), number(8), number(0)}), "0"},
      {"fwrite", ioFwrite, apply("fwrite", {blob("x"), number(1), number(1), number(0)}), "0"},
      {"fputc", ioFputc, apply("fputc", {number('x'), number(0)}), "01"},
      {"fputs of a null string", ioFputs, apply("fputs", {number(0), address(stdout)}), "01"},
      {"puts of a null string", ioPuts, apply("puts", {number(0)}), "01"},
      {"fseek", ioFseek, apply("fseek", {number(0), number(0), number(0)}), "01"},
      {"fgetpos", ioFgetpos, apply("fgetpos", {number(0), address(buffer)}), "01"},
      {"fopen with a null mode", ioFopen, apply("fopen", {blob("x"), number(0)}), "0"},
      {"fdopen with a null mode", ioFdopen, apply("fdopen", {number(0), number(0)}), "0"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    EXPECT_EQ(atomOf(c.entry(std::move(c.node))), c.result);
    EXPECT_EQ(errno, EINVAL);
  }
}

// An Atom's bytes end where the Atom ends (its NUL included): a count beyond them is refused and
// nothing is written.
TEST(StreamsBindings, WritesDoNotReadPastAnAtom) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::fcntl(ends[0], F_SETFL, O_NONBLOCK), 0);
  errno = 0;
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), CellRef("[ab]"), number(6)}))), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), blob("ab"), number(4)}))), -1);
  // Counts above INT_MAX are refused too.
  EXPECT_EQ(valueOf(ioWrite(apply("write", {number(ends[1]), number(0), number(std::int64_t{1} << 31)}))), -1);
  std::FILE* stream = ::fdopen(ends[1], "w");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(valueOf(ioFwrite(apply("fwrite", {blob("abcd"), number(2), number(3), address(stream)}))), 0);
  // The NUL after the Atom's bytes may be written.
  EXPECT_EQ(valueOf(ioFwrite(apply("fwrite", {CellRef("[ab]"), number(5), number(1), address(stream)}))), 1);
  std::fclose(stream);
  char buffer[16] = {};
  EXPECT_EQ(::read(ends[0], buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer, 5), std::string("[ab]\0", 5));
  ::close(ends[0]);
}

}  // namespace
