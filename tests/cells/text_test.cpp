// Text: text Atoms and text Pairs, flattening, the character code, the code map and the names of
// numbers.
#include "cells/text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cells/integer.h"

namespace vorn::cells {
namespace {

TEST(Text, MakeTextAndItsBytes) {
  struct Case {
    std::string bytes;
  };
  const Case cases[] = {{""}, {"ab"}, {std::string("a\0b", 3)}, {"[x]"}, {std::string(300, '\xff')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    CellRef text = makeText(c.bytes);
    EXPECT_EQ(atomSize(text), c.bytes.size() + 2);
    EXPECT_EQ(atomBytes(text), "[" + c.bytes + "]");
    EXPECT_EQ(textBytes(text), c.bytes);
    EXPECT_EQ(valueKind(text), 'u');
  }
}

TEST(Text, TextClassIsWorkedOutAndMarkedAsTheAnalysisWould) {
  CellRef ab("[ab]"), cde("[cde]");
  CellRef pair = makePair(ab, cde);
  CellRef outer = makePair(pair, CellRef("[]"));
  ASSERT_FALSE(isAnalysed(outer.get()));
  EXPECT_TRUE(isTextClass(outer.get()));
  EXPECT_TRUE(isTextClassCell(outer.get()));
  EXPECT_TRUE(isTextClassCell(pair.get()));
  EXPECT_TRUE(isTextClassCell(ab.get()));
  EXPECT_EQ(extentField(pair.get()), 9u);   // 4 + 5
  EXPECT_EQ(extentField(outer.get()), 11u);  // 9 + 2

  CellRef mixed = makePair(CellRef("[a]"), CellRef("b"));
  EXPECT_FALSE(isTextClass(mixed.get()));
  EXPECT_FALSE(isAnalysed(mixed.get()));  // only the analysis may record a non-text Pair

  // An analysed Cell is taken at its word, even when its shape would say otherwise.
  CellRef judged = makePair(CellRef("[a]"), CellRef("[b]"));
  setArity(judged.get(), 0);
  EXPECT_FALSE(isTextClass(judged.get()));
  EXPECT_FALSE(isTextClass(makePair(judged, CellRef("[c]")).get()));
}

TEST(Text, SharedSubtreesAreWorkedOutOnce) {
  // Sixty levels of x = (x x): 2^60 leaves, which a walk without sharing could never finish.
  CellRef x("[z]");
  for (int i = 0; i < 60; ++i) x = makePair(x, x);
  EXPECT_TRUE(isTextClass(x.get()));
  EXPECT_EQ(extentField(x.get()), 0u);  // the sum no longer fits
  EXPECT_EQ(valueKind(x), 'u');
}

TEST(Text, JoinGoesThroughTheCodeMap) {
  const std::string name145 = numberName(145);  // the key of entry 0: class 2 '0', byte 151
  struct Case {
    const char* what;
    std::string a;
    std::string b;
    std::string joined;
  };
  const Case cases[] = {
      {"plain text nests", "[ab]", "[cd]", "[ab[cd]]"},
      {"empty texts", "[]", "[]", "[[]]"},
      {"a name becomes its byte", "[ab]", name145, "[ab\x97]"},
      {"a byte becomes its name", "[ab]", "\x97", "[ab" + name145 + "]"},
      {"a name outside the map stays", "[ab]", numberName(3), "[ab[[[]]]]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(joinText(c.a, c.b), c.joined);
  }
}

TEST(Text, FlatteningJoinsEveryPairAsJoinTextDoes) {
  CellRef tree = makePair(makePair(CellRef("[ab]"), CellRef(numberName(145))), CellRef("[cd]"));
  CellRef flat = flattenText(tree);
  EXPECT_EQ(atomBytes(flat), "[ab\x97[cd]]");
  EXPECT_EQ(textBytes(tree), "ab\x97[cd]");
  CellRef atom("[xy]");
  EXPECT_EQ(flattenText(atom).get(), atom.get());  // an Atom is already flat
}

// A text of a million pieces "[x]" nested to the left, (((e p) p) p)..., and to the right,
// (p (p (p ...))). Walked on the test's ordinary stack: recursion per piece would overflow it.
TEST(Text, MillionPieceTextsFlattenInOnePass) {
  constexpr std::size_t kPieces = 1'000'000;
  CellRef piece("[x]");
  CellRef leftDeep("[]");
  CellRef rightDeep = piece;
  for (std::size_t i = 0; i < kPieces; ++i) leftDeep = makePair(std::move(leftDeep), piece);
  for (std::size_t i = 1; i < kPieces; ++i) rightDeep = makePair(piece, std::move(rightDeep));

  std::string leftExpected = "[";
  for (std::size_t i = 0; i < kPieces; ++i) leftExpected += "[x]";
  leftExpected += "]";
  CellRef leftFlat = flattenText(leftDeep);
  EXPECT_TRUE(atomBytes(leftFlat) == leftExpected);
  EXPECT_EQ(extentField(leftDeep.get()), leftExpected.size());

  std::string rightExpected;
  for (std::size_t i = 0; i < kPieces; ++i) rightExpected += "[x";
  rightExpected.append(kPieces, ']');
  std::string rightBytes = textBytes(rightDeep);
  EXPECT_TRUE(rightBytes == rightExpected.substr(1, rightExpected.size() - 2));
}

TEST(Text, CharCodeOfTheKeys) {
  struct Case {
    int keyClass;
    char character;
    unsigned byte;
  };
  const Case cases[] = {
      {2, 'j', 0},    {2, 'J', 0},   {2, '9', 160}, {1, 'A', 193}, {3, 'A', 65},
      {2, '~', 127},  {2, '!', 128}, {2, '?', 150}, {2, 'a', 1},   {2, 'k', 11},
      {2, 'Z', 26},   {2, ',', 10},  {2, '(', 27},  {2, '[', 31},  {2, '_', 32},
      {2, ']', 255},  {1, ' ', 32},  {2, '\n', 10}, {1, '~', 254}, {3, '[', 91},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.keyClass) + c.character);
    EXPECT_EQ(charCode(c.keyClass, c.character), c.byte);
  }
}

TEST(Text, EveryByteHasExactlyOneKeyInTheTable) {
  std::set<unsigned> seen;
  for (unsigned entry = 0; entry < 256; ++entry) {
    CodeKey key = codeTableEntry(entry);
    SCOPED_TRACE(entry);
    ASSERT_TRUE(key.keyClass >= 1 && key.keyClass <= 3);
    unsigned byte = charCode(key.keyClass, key.character);
    EXPECT_TRUE(seen.insert(byte).second);
    CodeKey back = keyOfByte(static_cast<unsigned char>(byte));
    EXPECT_EQ(back.keyClass, key.keyClass);
    EXPECT_EQ(back.character, key.character);
  }
  EXPECT_EQ(seen.size(), 256u);
}

TEST(Text, NamesOfNumbers) {
  const char* firstNames[] = {"[]", "[[]]", "[[][]]", "[[[]]]", "[[[]][]]", "[[][][]]"};
  for (unsigned n = 0; n < 6; ++n) EXPECT_EQ(numberName(n), firstNames[n]);
  EXPECT_EQ(numberName(145), "[[][[]][[]]]");
  std::set<std::string> names;
  for (unsigned n = 0; n <= 676; ++n) names.insert(numberName(n));
  EXPECT_EQ(names.size(), 677u);
}

TEST(Text, CodeMapPairsNamesAndBytesBothWays) {
  const auto& map = codeMap();
  EXPECT_EQ(map.size(), 2u * 253u);  // every entry but the newline and the two brackets
  for (unsigned entry = 0; entry < 256; ++entry) {
    CodeKey key = codeTableEntry(entry);
    std::string byte(1, static_cast<char>(charCode(key.keyClass, key.character)));
    std::string name = numberName(entry + 145);
    SCOPED_TRACE(name);
    if (byte == "\n" || byte == "[" || byte == "]") {
      EXPECT_EQ(map.count(byte), 0u);
      EXPECT_EQ(map.count(name), 0u);
    } else {
      EXPECT_EQ(map.at(name), byte);
      EXPECT_EQ(map.at(byte), name);
    }
  }
  EXPECT_EQ(&codeMap(), &map);  // made once
}

TEST(Text, EscapedForms) {
  struct Case {
    std::string in, groups, hex;
  };
  const Case cases[] = {
      {"", "", ""},
      {"a b/c.vn", "a b/c.vn", "a b/c.vn"},
      {"a\tb", "a\tb", "a[09]b"},
      {"[x]\n\x7F\xFF", "[q]x[r][p]\x7F\xFF", "[5B]x[5D][0A][7F][FF]"},
      {std::string("\0]", 2), std::string("\0[r]", 4), "[00][5D]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(escapeGroups(c.in), c.groups);
    EXPECT_EQ(hexEscapes(c.in), c.hex);
  }
  // Each escape group is one element that stands for its byte again.
  for (char byte : {'\n', '[', ']'}) {
    std::string_view group = escapeGroup(byte);
    ASSERT_EQ(textElements(group).size(), 1u);
    EXPECT_EQ(elementByte(group), static_cast<unsigned char>(byte));
    EXPECT_EQ(atomBytes(elementAtom(std::string(1, byte))), group);
  }
  EXPECT_TRUE(escapeGroup('p').empty());
}

TEST(Text, ElementsOfSingleBytesAndGroups) {
  EXPECT_EQ(atomBytes(elementAtom("[ab]")), "[ab]");          // a group stays itself
  EXPECT_EQ(atomBytes(elementAtom("a")), codeMap().at("a"));  // a byte becomes its name
  EXPECT_EQ(elementByte("a"), 'a');
  EXPECT_EQ(elementByte(std::string_view("\0", 1)), 10);  // zero and newline exchanged
  EXPECT_EQ(elementByte("\n"), 0);
  EXPECT_EQ(elementByte("[ab]"), std::nullopt);
}

// The elements read from the front, read back from the end, and split off one by one from the end
// are the same, balanced or not (builtins can make unbalanced text Atoms).
TEST(Text, ElementsReadFromEitherEndAgree) {
  std::uint32_t x = 2463534242u;
  const char alphabet[] = "[[]]ab\nc";
  for (int round = 0; round < 3000; ++round) {
    std::string content;
    for (int n = round % 19; n-- > 0;) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      content += alphabet[x % 8];
    }
    SCOPED_TRACE(content);
    std::vector<std::string> forward;
    for (ElementRange e : textElements(content)) forward.push_back(content.substr(e.start, e.length));
    std::vector<std::string> backward;
    std::vector<std::size_t> starts = groupStarts(content);
    for (std::size_t end = content.size(); end-- > 0;) {
      std::size_t start = elementStart(content, starts, 0, end);
      backward.insert(backward.begin(), content.substr(start, end - start + 1));
      end = start;
    }
    ASSERT_EQ(forward, backward);
    CellRef text = makeText(content);
    for (std::size_t k = forward.size(); k-- > 0;) {
      TextSplit split = splitLastElement(text.get());
      ASSERT_EQ(atomBytes(split.last), atomBytes(elementAtom(forward[k])));
      text = split.init;
    }
    EXPECT_EQ(atomBytes(text), "[]");
  }
}

TEST(TextDeath, FailuresStopTheProcess) {
  // The fatal error writes its line on stdout; the child sends stdout to stderr to show it.
  EXPECT_DEATH(
      {
        dup2(2, 1);
        charCode(2, '\x01');
      },
      "REDVFAIL: nopqchar");
  EXPECT_DEATH(charCode(4, 'a'), "ASSERTION FAILED:b:");
  EXPECT_DEATH(numberName(677), "ASSERTION FAILED:b:");
  EXPECT_DEATH(textBytes(makePair(CellRef("[a]"), CellRef("b"))), "ASSERTION FAILED:b:");
  EXPECT_DEATH(flattenText(makePair(CellRef("f"), CellRef("[b]"))), "ASSERTION FAILED:b:");
}

}  // namespace
}  // namespace vorn::cells
