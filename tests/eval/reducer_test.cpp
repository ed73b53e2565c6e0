// The reducer, driven directly: every rule of the rewrite table and the machine's evaluation order.
#include "eval/reducer.h"

#include "cells/real.h"
#include "eval/analysis.h"
#include "eval_fixture.h"
#include "tests/support/small_stack.h"

namespace vorn::eval {
namespace {

class ReducerTest : public EvalTest {
 protected:
  // The term that one rewrite of (I term) leaves.
  static CellRef rewritten(CellRef term) {
    return cells::right(rewrite(cells::makePair(CellRef("I"), std::move(term))));
  }
};

TEST_F(ReducerTest, ValuesNeedNoSteps) {
  CellRef v = parse("plus 1");
  EXPECT_EQ(evaluate(v).get(), v.get());
}

TEST_F(ReducerTest, CombinatorsAndOperators) {
  struct Case {
    const char* term;
    const char* value;
  };
  const Case cases[] = {
      {"I 5", "5"},
      {"K 1 2", "1"},
      {"H 1 2", "2"},
      {"S K K 7", "7"},
      {"B I I 3", "3"},
      {"C K 1 2", "2"},
      {"T 1 I", "1"},
      {"V 1 2 K", "1"},
      {"K&K", "K"},
      {"K&H", "H"},
      {"H|K", "K"},
      {"!K", "H"},
      {"!H", "K"},
      {"(x\\x) 9", "9"},
      {"(x\\y\\x) 1 2", "1"},
      {"x{4}x", "4"},
      {"x{I 4}K x", "K4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.term);
    EXPECT_EQ(eval(c.term), c.value);
  }
}

TEST_F(ReducerTest, LazyCombinatorsDropArgumentsUnevaluated) {
  load(",spin\\x\\spin x");
  EXPECT_EQ(eval("K 1 (spin 0)"), "1");
  EXPECT_EQ(eval("H (spin 0) 2"), "2");
}

TEST_F(ReducerTest, LazyPartialResultHasItsArgumentEvaluated) {
  EXPECT_EQ(eval("K (I 5)"), "K5");
}

TEST_F(ReducerTest, StrictHeadsSeeOnlyValues) {
  // Step until S is rewritten: by then its shared argument is a value, computed once.
  CellRef state = cells::makePair(CellRef("I"), parse("S K K (I (I 3))"));
  for (int i = 0; i < 100; ++i) {
    Cell* r = cells::rightOf(state.get());
    Cell* head = r;
    while (!cells::isAtomCell(head)) head = cells::leftOf(head);
    if (cells::atomBytesOf(head) == "S" && arity(r) == 0 && hasLazyHead(r) == false &&
        !cells::redexFlag(r)) {
      EXPECT_EQ(cells::atomBytesOf(cells::rightOf(r)), "3");
      return;
    }
    state = step(state);
  }
  FAIL() << "S was never ready to rewrite";
}

TEST_F(ReducerTest, ParameterlessDefinitionsAreMemoised) {
  load(",three\\S K K 3");
  EXPECT_EQ(eval("I three"), "3");
  EXPECT_EQ(cells::atomBytes(CellRef::borrow(program::findGlobal("three"))), "3");
}

TEST_F(ReducerTest, MemoisedLambdaIsWrappedToKeepArityZero) {
  load(",ident\\K (x\\x) 0");
  EXPECT_EQ(eval("ident 8"), "8");
  EXPECT_EQ(binderKind(CellRef::borrow(program::findGlobal("ident")).get()), BinderKind::Other);
  EXPECT_EQ(eval("ident 9"), "9");
}

TEST_F(ReducerTest, RecomputedDefinitionsAreNotStored) {
  load(",again()\\S K K 3");
  EXPECT_EQ(eval("I again"), "3");
  EXPECT_EQ(showSource(CellRef::borrow(program::findGlobal("again"))), "(I SKK3)");
}

TEST_F(ReducerTest, SelfNeedingDefinitionGivesTheCycleMarker) {
  load(",loop\\I loop");
  CellRef result = evaluate(parse("K loop 1"));
  EXPECT_EQ(cells::atomBytes(result), ")loop");
}

TEST_F(ReducerTest, UnknownHeadGivesTheMissingNameMarker) {
  CellRef term = cells::makePair(CellRef("Foo"), CellRef("1"));
  EXPECT_EQ(cells::atomBytes(evaluate(term)), "]Foo");
  // The empty Atom is never a name, not even the entry's.
  CellRef empty = cells::makePair(CellRef(""), CellRef("1"));
  EXPECT_EQ(cells::atomBytes(evaluate(empty)), "]");
}

TEST_F(ReducerTest, NumbersAppliedAsFunctions) {
  EXPECT_EQ(eval("0 1 2"), "1");
  struct Case {
    const char* term;
    const char* value;
  };
  // n a rewrites to V b m: b tells the sign, m the magnitude's bits past its low run of ones.
  const Case cases[] = {
      {"5 I", "VH0"},   // 101: one low 1, nothing between it and the top
      {"6 I", "VH1"},   // 110: no low 1, bit 1 set below the top
      {"05 I", "VK0"},  // -5
      {"7 I", "VH000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.term);
    EXPECT_EQ(showSource(rewritten(parse(c.term))), c.value);
  }
  // A power of two leaves no digits: m is the empty Atom, which applies to the missing-name marker.
  CellRef four = rewritten(parse("4 I"));
  EXPECT_EQ(cells::atomBytes(cells::right(four)), "");
}

TEST_F(ReducerTest, TextsAppliedAsFunctions) {
  EXPECT_EQ(showSource(rewritten(parse("[] T"))), "(T XJ K)");
  // G takes the last element: a byte comes back as its name in the code map.
  EXPECT_EQ(showSource(rewritten(parse("[ab[cd]] G"))), "V[ab][cd]");
  CellRef lastByte = rewritten(parse("[ab] G"));
  EXPECT_EQ(cells::atomBytes(cells::left(lastByte)).size(), 0u);  // (V [a]) is a Pair
  EXPECT_EQ(cells::firstByte(cells::right(lastByte)), '[');
  // A raw newline element has no name; it comes back as its escape group.
  CellRef nl = cells::makePair(CellRef(std::string_view("[a\n]")), CellRef("G"));
  EXPECT_EQ(cells::atomBytes(cells::right(rewritten(nl))), "[p]");
}

TEST_F(ReducerTest, BlobsAndRealsAppliedAsFunctions) {
  CellRef blob = cells::makePair(cells::makeBlob("abc"), CellRef("K"));
  CellRef halves = rewritten(blob);
  EXPECT_EQ(cells::atomBytes(cells::right(cells::left(halves))), "(b)ab");
  EXPECT_EQ(cells::atomBytes(cells::right(halves)), "(a)c");
  CellRef empty = cells::makePair(cells::makeBlob(""), CellRef("K"));
  EXPECT_EQ(cells::atomBytes(rewritten(empty)), "Z");
  // Bytes that only start like a blob are no data to take apart, and no internal error either.
  for (const char* malformed : {"(", "(!)x", "(ab"}) {
    SCOPED_TRACE(malformed);
    EXPECT_EQ(cells::atomBytes(rewritten(cells::makePair(CellRef(malformed), CellRef("K")))), "Z");
  }
  CellRef one = cells::makePair(cells::makeBlob("\x01"), CellRef("K"));
  EXPECT_EQ(showSource(rewritten(one)),
            "(V (J JIH JHH) (J JHH JHH))");
  CellRef real = cells::makePair(cells::makeReal(1.0), CellRef("I"));
  CellRef bits = rewritten(real);
  EXPECT_EQ(cells::atomBytes(cells::right(bits)), "I");
  // 1.0 is 0x3FF0000000000000: bit 0 (the leftmost leaf) is 0 and bit 62 is 0, bit 61 is 1.
  Cell* tree = cells::leftOf(bits.get());
  Cell* leaf = tree;
  while (!cells::isAtomCell(leaf)) leaf = cells::rightOf(cells::leftOf(leaf));
  EXPECT_EQ(cells::atomBytesOf(leaf), "H");
}

TEST_F(ReducerTest, TermsAMillionLevelsDeepOnASmallStack) {
  constexpr std::size_t kDepth = 1000000;
  auto repeat = [](std::string_view part, std::size_t times) {
    std::string out;
    for (std::size_t k = 0; k < times; ++k) out += part;
    return out;
  };
  struct Case {
    const char* name;
    std::string term;
  };
  const Case cases[] = {
      {"nested arguments", repeat("plus 1 (", kDepth) + "0" + repeat(")", kDepth)},
      {"a left-grouping chain", std::string("0") + repeat("+1", kDepth)},
      // The argument is substituted into a body a million levels deep.
      {"a deep body", std::string("(x\\") + repeat("plus x (", kDepth) + "0" + repeat(")", kDepth) + ")1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string value;
    int status = support::runOnSmallStack([&] {
      value = eval(c.term);
      return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(value, std::to_string(kDepth));
  }
}

}  // namespace
}  // namespace vorn::eval
