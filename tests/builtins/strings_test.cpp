// Strings, blocks and the heap: what a blob, a text and an integer address look like to the C
// functions, the plain-loop comparisons and copies, the argument tests, tokenising, and the Atoms
// that a search result keeps alive. Every address used is a buffer of the test or a heap block
// the test allocates and frees.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "builtins/convention.h"
#include "cells/allocator.h"
#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"

namespace vorn::builtins {

#define VORN_DECLARE(entry) CellRef entry(CellRef node);
VORN_DECLARE(strStrlen) VORN_DECLARE(strStrnlen) VORN_DECLARE(strStrcmp) VORN_DECLARE(strStrncmp)
VORN_DECLARE(strStrcasecmp) VORN_DECLARE(strStrncasecmp) VORN_DECLARE(strStrcpy)
VORN_DECLARE(strStrncpy) VORN_DECLARE(strStrcat) VORN_DECLARE(strStrncat) VORN_DECLARE(strStrchr)
VORN_DECLARE(strStrrchr) VORN_DECLARE(strStrstr) VORN_DECLARE(strStrpbrk) VORN_DECLARE(strStrspn)
VORN_DECLARE(strStrtok) VORN_DECLARE(strStrtokR) VORN_DECLARE(strStrdup) VORN_DECLARE(strMemchr)
VORN_DECLARE(strMemcmp) VORN_DECLARE(strMemcpy) VORN_DECLARE(strMemmove) VORN_DECLARE(strMemset)
VORN_DECLARE(strBzero) VORN_DECLARE(strMalloc) VORN_DECLARE(strCalloc) VORN_DECLARE(strRealloc)
VORN_DECLARE(strFree) VORN_DECLARE(memGetx)
#undef VORN_DECLARE

namespace {

using Entry = CellRef (*)(CellRef);

std::int64_t numeric(const void* p) { return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(p)); }
CellRef address(const void* p) { return cells::makeInteger(numeric(p)); }
CellRef number(std::int64_t n) { return cells::makeInteger(n); }
CellRef blob(std::string_view payload) { return cells::makeBlob(payload); }
// A text Atom with its brackets, e.g. text("abc") is the Atom "[abc]".
CellRef text(std::string_view inside) { return cells::makeText(inside); }

std::string call(Entry entry, CellRef a) { return std::string(cells::atomBytes(entry(cells::makePair(CellRef("f"), a)))); }
std::string call(Entry entry, CellRef a, CellRef b) {
  return std::string(cells::atomBytes(entry(cells::nest3(CellRef("f"), a, b))));
}
std::string call(Entry entry, CellRef a, CellRef b, CellRef c) {
  return std::string(cells::atomBytes(entry(cells::nest4(CellRef("f"), a, b, c))));
}
// The address a pointer-returning entry gave, as a machine pointer.
const char* pointerOf(const std::string& result) {
  return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(std::stoull(result)));
}

// ---- What the C function sees -------------------------------------------------------------

TEST(Strings, LengthSeesBlobPayloadTextWithBracketsAndAddressedBytes) {
  char buffer[] = "hello";
  struct Case {
    const char* name;
    CellRef s;
    const char* expected;
  } cases[] = {
      {"blob", blob("abc"), "3"},
      {"blob stops at an inner NUL", blob(std::string_view("ab\0cd", 5)), "2"},
      {"empty blob", blob(""), "0"},
      {"text counts its brackets", text("abc"), "5"},
      {"integer address", address(buffer), "5"},
      {"address inside a buffer", address(buffer + 3), "2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(call(strStrlen, c.s), c.expected);
  }
  EXPECT_EQ(call(strStrnlen, blob("abcdef"), number(4)), "4");
  EXPECT_EQ(call(strStrnlen, text("ab"), number(40)), "4");
}

TEST(Strings, TextMadeOfPiecesIsSeenJoined) {
  CellRef pieces = cells::makePair(text("ab"), text("cd"));
  std::string joined = cells::textBytes(pieces);
  std::string expected = std::to_string(joined.size() + 2);
  EXPECT_EQ(call(strStrlen, pieces), expected);
  EXPECT_EQ(call(strStrcmp, pieces, cells::flattenText(pieces)), "0");
}

TEST(Strings, EveryStringArgumentRefusesRealsNamesAndPlainPairs) {
  CellRef wrong[] = {cells::makeReal(1.0), CellRef("abc"), cells::makePair(CellRef("1"), CellRef("2"))};
  for (const CellRef& w : wrong) {
    EXPECT_EQ(call(strStrlen, w), "Z");
    EXPECT_EQ(call(strStrcmp, w, blob("a")), "Z");
    EXPECT_EQ(call(strStrcmp, blob("a"), w), "Z");
    EXPECT_EQ(call(strStrchr, w, number('a')), "Z");
    EXPECT_EQ(call(strStrstr, blob("a"), w), "Z");
    EXPECT_EQ(call(strStrdup, w), "Z");
  }
  EXPECT_EQ(call(strStrchr, blob("a"), blob("a")), "Z");  // the character is an integer
  EXPECT_EQ(call(strStrnlen, blob("a"), cells::makeReal(1.0)), "Z");
}

// ---- Comparison ---------------------------------------------------------------------------

TEST(Strings, CompareIsBytewiseUnsignedAndGivesOnlyMinusOneZeroOne) {
  char high[] = {static_cast<char>(200), 0};
  char low[] = {100, 0};
  struct Case {
    const char* name;
    CellRef a, b;
    const char* expected;
  } cases[] = {
      {"a before b", blob("a"), blob("b"), "01"},
      {"b after a", blob("b"), blob("a"), "1"},
      {"equal", blob("same"), blob("same"), "0"},
      {"far apart still 1", blob("z"), blob("A"), "1"},
      {"prefix is smaller", blob("ab"), blob("abc"), "01"},
      {"longer is larger", blob("abc"), blob("ab"), "1"},
      {"byte 200 above byte 100", address(high), address(low), "1"},
      {"byte 100 below byte 200", address(low), address(high), "01"},
      {"byte 200 above ascii", blob("\xC8"), blob("a"), "1"},
      {"text against blob sees the brackets", text("a"), blob("[a]"), "0"},
      {"empty strings", blob(""), address(""), "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(call(strStrcmp, c.a, c.b), c.expected);
  }
}

TEST(Strings, LibraryComparisonsKeepTheirSignAndBound) {
  auto sign = [](const std::string& r) { return r == "0" ? 0 : (r[0] == '0' ? -1 : 1); };
  EXPECT_EQ(call(strStrncmp, blob("abcx"), blob("abcy"), number(3)), "0");
  EXPECT_EQ(sign(call(strStrncmp, blob("abcx"), blob("abcy"), number(4))), -1);
  EXPECT_EQ(call(strStrcasecmp, blob("HeLLo"), blob("hello")), "0");
  EXPECT_EQ(sign(call(strStrcasecmp, blob("b"), blob("A"))), 1);
  EXPECT_EQ(call(strStrncasecmp, blob("ABCx"), blob("abcY"), number(3)), "0");
  EXPECT_EQ(sign(call(strStrncasecmp, blob("ABCx"), blob("abcY"), number(4))), -1);
  EXPECT_EQ(call(strStrncmp, blob("a"), blob("b"), text("3")), "Z");
}

// ---- Copies into integer destinations -----------------------------------------------------

TEST(Strings, CopyReturnsItsDestinationAndRefusesATextOrBlobDestination) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  CellRef destination = address(buffer);
  EXPECT_EQ(call(strStrcpy, destination, text("hi")), std::to_string(numeric(buffer)));
  EXPECT_STREQ(buffer, "[hi]");
  EXPECT_EQ(buffer[5], '#');  // exactly the bytes and their NUL
  EXPECT_EQ(call(strStrcpy, text("xx"), blob("hi")), "Z");
  EXPECT_EQ(call(strStrcpy, blob("xx"), blob("hi")), "Z");
  EXPECT_EQ(call(strStrcpy, destination, cells::makeReal(2.0)), "Z");
  EXPECT_STREQ(buffer, "[hi]");
}

TEST(Strings, CatAppendsAtTheDestinationsNul) {
  char buffer[16] = "ab";
  std::memset(buffer + 3, '#', sizeof buffer - 3);
  EXPECT_EQ(call(strStrcat, address(buffer), blob("cd")), std::to_string(numeric(buffer)));
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(buffer[5], '#');
  EXPECT_EQ(call(strStrncat, address(buffer), text("efgh"), number(2)), std::to_string(numeric(buffer)));
  EXPECT_STREQ(buffer, "abcd[e");
  EXPECT_EQ(call(strStrcat, text("x"), blob("cd")), "Z");
  EXPECT_STREQ(buffer, "abcd[e");
}

TEST(Strings, BoundedCopyTakesAnAddressSourceAndPads) {
  char source[] = "xy";
  char buffer[6];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(call(strStrncpy, address(buffer), address(source), number(5)), std::to_string(numeric(buffer)));
  EXPECT_EQ(std::string(buffer, 6), std::string("xy\0\0\0#", 6));
  EXPECT_EQ(call(strStrncpy, address(buffer), blob("xy"), number(5)), "Z");  // source is an address only
}

TEST(Strings, DuplicateMakesAHeapCopyTheProgramFrees) {
  std::string result = call(strStrdup, text("dup"));
  char* copy = const_cast<char*>(pointerOf(result));
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "[dup]");
  EXPECT_EQ(call(strFree, CellRef(result)), "I");
}

// ---- Searches and the Atoms they keep alive -----------------------------------------------

TEST(Strings, SearchesReturnAddressesInsideTheViewedBytes) {
  char buffer[] = "a,b;c,b";
  CellRef heldText = text("key=value");
  CellRef heldBlob = blob("path/to/file");
  const char* textStart = cells::atomData(heldText.get());
  const char* blobStart = cells::blobPayload(heldBlob.get()).data();
  struct Case {
    const char* name;
    std::string result;
    const char* expected;  // null: the search found nothing
  } cases[] = {
      {"strchr address", call(strStrchr, address(buffer), number(';')), buffer + 3},
      {"strchr finds the NUL", call(strStrchr, address(buffer), number(0)), buffer + 7},
      {"strchr low 32 bits", call(strStrchr, address(buffer), number(0x100000000LL + 'c')), buffer + 4},
      {"strchr missing", call(strStrchr, address(buffer), number('q')), nullptr},
      {"strrchr address", call(strStrrchr, address(buffer), number('b')), buffer + 6},
      {"strchr text", call(strStrchr, heldText, number('=')), textStart + 4},
      {"strchr text bracket", call(strStrchr, heldText, number('[')), textStart},
      {"strrchr blob", call(strStrrchr, heldBlob, number('/')), blobStart + 7},
      {"strstr blob", call(strStrstr, heldBlob, blob("to")), blobStart + 5},
      {"strstr missing", call(strStrstr, heldBlob, blob("xyz")), nullptr},
      {"strstr text needle", call(strStrstr, address(buffer), text("b")), nullptr},
      {"strpbrk", call(strStrpbrk, address(buffer), blob(";,")), buffer + 1},
      {"strpbrk text", call(strStrpbrk, heldText, blob("=e")), textStart + 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.expected == nullptr) {
      EXPECT_EQ(c.result, "0");
    } else {
      EXPECT_EQ(c.result, std::to_string(numeric(c.expected)));
    }
  }
  EXPECT_EQ(call(strStrspn, address(buffer), blob("a,")), "2");
  EXPECT_EQ(call(strStrspn, text("ab"), blob("[ab")), "3");
}

TEST(Strings, AnAtomASearchPointsIntoOutlivesItsLastHolder) {
  std::int64_t before = cells::liveCellBlocks();
  std::string found;
  {
    CellRef fresh = blob("transient bytes");
    found = call(strStrchr, fresh, number('b'));
    ASSERT_NE(found, "0");
    // A second search into the same Atom adds nothing more to keep.
    EXPECT_NE(call(strStrstr, fresh, blob("by")), "0");
  }
  EXPECT_EQ(cells::liveCellBlocks(), before + 1);
  EXPECT_EQ(call(memGetx, CellRef(found)), std::to_string('b'));
  EXPECT_STREQ(pointerOf(found), "bytes");
}

TEST(Strings, AFailedSearchKeepsNothing) {
  std::int64_t before = cells::liveCellBlocks();
  {
    CellRef fresh = text("nothing here");
    EXPECT_EQ(call(strStrchr, fresh, number('#')), "0");
    EXPECT_EQ(call(strStrpbrk, fresh, blob("#$")), "0");
  }
  EXPECT_EQ(cells::liveCellBlocks(), before);
}

// A text in pieces has no bytes of its own: the search works on a flattened copy, kept alive.
TEST(Strings, SearchInATextOfPiecesPointsIntoALastingFlatCopy) {
  std::string found;
  std::string joined;
  {
    CellRef pieces = cells::makePair(text("left"), text("right"));
    joined = std::string(cells::atomBytes(cells::flattenText(pieces)));
    found = call(strStrchr, pieces, number('r'));
  }
  ASSERT_NE(found, "0");
  EXPECT_EQ(std::string(pointerOf(found)), joined.substr(joined.find('r')));
}

// ---- Tokenising -------------------------------------------------------------------------------

TEST(Strings, TokeniserContinuesFromZeroUntilTheEnd) {
  static char line[] = ",alpha,,beta;gamma,";
  CellRef delimiters = blob(",;");
  std::string first = call(strStrtok, address(line), delimiters);
  EXPECT_EQ(first, std::to_string(numeric(line + 1)));
  EXPECT_STREQ(pointerOf(first), "alpha");
  std::string second = call(strStrtok, number(0), delimiters);
  EXPECT_STREQ(pointerOf(second), "beta");
  std::string third = call(strStrtok, number(0), text(""));  // the delimiters may change; "[]" now
  EXPECT_STREQ(pointerOf(third), "gamma,");
  EXPECT_EQ(call(strStrtok, number(0), delimiters), "0");
  EXPECT_EQ(call(strStrtok, number(0), delimiters), "0");
  EXPECT_EQ(call(strStrtok, blob("a,b"), delimiters), "Z");  // the string is an address only
}

TEST(Strings, ReentrantTokenisersKeepTheirOwnSlots) {
  char a[] = "1 2";
  char b[] = "x-y";
  char* slotA = nullptr;
  char* slotB = nullptr;
  EXPECT_STREQ(pointerOf(call(strStrtokR, address(a), blob(" "), address(&slotA))), "1");
  EXPECT_STREQ(pointerOf(call(strStrtokR, address(b), blob("-"), address(&slotB))), "x");
  EXPECT_STREQ(pointerOf(call(strStrtokR, number(0), blob(" "), address(&slotA))), "2");
  EXPECT_STREQ(pointerOf(call(strStrtokR, number(0), blob("-"), address(&slotB))), "y");
  EXPECT_EQ(call(strStrtokR, number(0), blob(" "), address(&slotA)), "0");
}

TEST(Strings, ReentrantTokeniserRefusesAMissingPosition) {
  char* empty = nullptr;
  errno = 0;
  EXPECT_EQ(call(strStrtokR, number(0), blob(" "), address(&empty)), "0");
  EXPECT_EQ(errno, EINVAL);
  char line[] = "a b";
  errno = 0;
  EXPECT_EQ(call(strStrtokR, address(line), blob(" "), number(0)), "0");
  EXPECT_EQ(errno, EINVAL);
  EXPECT_STREQ(line, "a b");
  EXPECT_EQ(call(strStrtokR, address(line), blob(" "), cells::makeReal(0.0)), "Z");
}

// ---- Blocks ---------------------------------------------------------------------------------

TEST(Memory, ZeroingTakesACountThatIsNotNegative) {
  unsigned char buffer[4] = {1, 2, 3, 4};
  EXPECT_EQ(call(strBzero, address(buffer), number(0)), "I");
  EXPECT_EQ(call(strBzero, address(buffer), number(-1)), "Z");
  EXPECT_EQ(call(strBzero, text("x"), number(2)), "Z");
  EXPECT_EQ(buffer[0], 1);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(call(strBzero, address(buffer), number(3)), "I");
  EXPECT_EQ(buffer[2], 0);
  EXPECT_EQ(buffer[3], 4);
}

TEST(Memory, BlockFunctionsPassThroughTheLibrary) {
  char block[] = "0123456789";
  EXPECT_EQ(call(strMemchr, address(block), number('7'), number(10)), std::to_string(numeric(block + 7)));
  EXPECT_EQ(call(strMemchr, address(block), number('7'), number(7)), "0");
  EXPECT_EQ(call(strMemcmp, address(block), address(block), number(10)), "0");
  EXPECT_EQ(call(strMemcmp, address(block), blob("0123"), number(4)), "Z");
  EXPECT_EQ(call(strMemmove, address(block + 2), address(block), number(5)), std::to_string(numeric(block + 2)));
  EXPECT_STREQ(block, "0101234789");
  char target[4] = {};
  EXPECT_EQ(call(strMemcpy, address(target), address(block + 7), number(3)), std::to_string(numeric(target)));
  EXPECT_STREQ(target, "789");
  EXPECT_EQ(call(strMemset, address(target), number(0x141), number(2)), std::to_string(numeric(target)));
  EXPECT_STREQ(target, "AA9");
}

TEST(Memory, HeapBlocksComeAndGoThroughIntegers) {
  std::string block = call(strMalloc, number(8));
  ASSERT_NE(block, "0");
  std::memcpy(const_cast<char*>(pointerOf(block)), "abcdefg", 8);
  std::string grown = call(strRealloc, CellRef(block), number(4096));
  ASSERT_NE(grown, "0");
  EXPECT_STREQ(pointerOf(grown), "abcdefg");
  EXPECT_EQ(call(strFree, CellRef(grown)), "I");

  std::string zeroed = call(strCalloc, number(4), number(8));
  ASSERT_NE(zeroed, "0");
  for (int i = 0; i < 32; ++i) EXPECT_EQ(pointerOf(zeroed)[i], 0);
  EXPECT_EQ(call(strFree, CellRef(zeroed)), "I");

  EXPECT_EQ(call(strFree, number(0)), "I");
  EXPECT_EQ(call(strMalloc, text("8")), "Z");
  EXPECT_EQ(call(strCalloc, number(1), cells::makeReal(1.0)), "Z");
  EXPECT_EQ(call(strRealloc, blob(""), number(1)), "Z");
}

}  // namespace
}  // namespace vorn::builtins
