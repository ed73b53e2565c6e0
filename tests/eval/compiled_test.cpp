// Compiled definitions: which definitions compile, and that a program computes exactly what the
// machine alone computes, whether its calls run compiled code, fall back to the machine, or
// alternate between the two.
#include <string>
#include <vector>

#include "eval/compiled_compiler.h"
#include "eval/compiled_executor.h"
#include "eval/resolution.h"
#include "eval_fixture.h"
#include "tests/support/small_stack.h"

namespace vorn::eval::compiled {
namespace {

class CompiledTest : public EvalTest {
 protected:
  void TearDown() override { useCompiledDefinitions(true); }

  // The code of the named definition, or nullptr when it is refused.
  static const Code* codeOf(const std::string& name) {
    CellRef head(name);
    return codeFor(resolveHead(head.get()), false);
  }

  static int fallbacksOf(const Code& code) {
    int n = 0;
    for (const Instr& in : code.instrs) n += in.op == Op::Fallback ? 1 : 0;
    return n;
  }

  // The value of `call` shown, with compiled code or with the machine alone.
  static std::string evalWith(bool compiled, const std::string& call) {
    useCompiledDefinitions(compiled);
    std::string shown = eval(call);
    useCompiledDefinitions(true);
    return shown;
  }

  // Loads the definitions afresh for each mode and compares the values of the calls.
  void expectSameValues(const std::string& definitions, const std::vector<std::string>& calls) {
    for (const std::string& call : calls) {
      SCOPED_TRACE(definitions + " | " + call);
      SetUp();
      load(definitions);
      std::string machine = evalWith(false, call);
      SetUp();
      load(definitions);
      EXPECT_EQ(evalWith(true, call), machine);
    }
  }
};

TEST_F(CompiledTest, WhichDefinitionsCompileAndWhatFallsBack) {
  struct Case {
    const char* definitions;
    bool compiles;  // the first definition, named fn
    int fallbacks;  // Fallback instructions in its code
  };
  const Case cases[] = {
      {",fn\\n\\(n<2) n (fn(n-1)+fn(n-2))", true, 0},
      {",fn\\x\\y\\(less x y) (mult x 3) (cent y 7)", true, 0},
      {",fn\\n\\(n<1) 1 (gn(n-1)),gn\\n\\(n<1) 0 (fn(n-1))", true, 0},  // mutual recursion
      {",fn\\x\\plus x [a]", true, 0},                                  // a text constant
      {",fn\\x\\K x 1", true, 0},                                       // the Prelude's K
      {",fn\\x\\(y\\plus y y) x", true, 0},                             // an applied lambda
      {",fn\\x\\y{plus x 1}mult y y", true, 0},                         // a binding
      {",fn\\x\\plus x", true, 0},                                      // a partial application
      {",fn\\x\\J x (fn x)", true, 0},                                  // a J list cell
      {",fn\\x\\left x", true, 0},                                      // any builtin
      {",fn\\l\\l 0 (h\\t\\plus h (fn t))", true, 0},                   // matching a list
      {",fn\\x\\y\\plus (x y) 1", true, 0},                             // a letter's value applied
      {",fn\\x\\y\\(x y) 1 2", true, 0},                                // ... as a condition
      {",fn\\x\\plus 1 (y\\plus x y)", true, 1},                        // a lambda built
      {",fn\\x\\plus 1 (5 x)", true, 1},                                // a number applied
      {",fn\\x\\K x 1 2", false, 0},                                    // all of it the machine's
      {",fn\\plus 1 2", false, 0},                                      // no binders
      {",fn\\n\\(n<2) n 1,K\\a\\b\\b", false, 0},                       // a program's own K
      {",fn\\x\\plus x 1,T\\a\\b\\a", false, 0},                        // a program's own T
      {",fn\\x\\plus x 1,T\\b\\a\\a b", true, 0},                       // the Prelude's T, other letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definitions);
    SetUp();
    load(c.definitions);
    const Code* code = codeOf("fn");
    ASSERT_EQ(code != nullptr, c.compiles);
    if (code != nullptr) {
      EXPECT_EQ(fallbacksOf(*code), c.fallbacks);
    }
  }
}

TEST_F(CompiledTest, ValuesAreTheMachines) {
  expectSameValues(",fib\\n\\(n<2) n (fib(n-1)+fib(n-2)),"
                   "pick\\x\\y\\(less x y) (mult x 3) (cent y 7),"
                   "cond\\x\\(over 10 x) 1 2,"
                   "nest\\x\\plus ((x<3) 100 200) x,"
                   "twice\\x\\y\\plus (pick x y) (pick y x)",
                   {"fib 15", "fib 0", "pick 2 9", "pick 9 2",
                    "pick [a] 2",   // the comparison gives Z: the machine takes over
                    "cond 0",       // over gives Z
                    "cond 5",       // over gives a number, applied to both branches
                    "nest 1", "nest 7", "twice 4 011"});
}

TEST_F(CompiledTest, ListsLambdasAndBindingsAreTheMachines) {
  expectSameValues(
      ",range\\a\\b\\(a<b) (J a (range (a+1) b)) K,"
      "sum\\l\\s\\l s (h\\t\\sum t (s+h)),"
      "map\\f\\l\\l K (h\\t\\J (f h) (map f t)),"
      "keep\\p\\l\\l K (h\\t\\(p h) (J h (keep p t)) (keep p t)),"
      "rev\\l\\a\\l a (h\\t\\rev t (J h a)),"
      "adder\\n\\x\\plus x n,"
      "both\\x\\x{plus x 1}J x x,"
      "shadow\\h\\l\\l h (h\\t\\J h t),"
      "same2\\x\\raws (J 1 2) (J 1 2),"
      "same3\\x\\raws (J x 2) (J x 2),"
      "lisp2\\x\\lisp (J x (J 1 K)),"
      "last\\l\\l Z (h\\t\\t h (a\\b\\last t))",
      {"sum (range 0 100) 0", "map (adder 5) (range 0 4)", "keep (x\\less x 3) (range 0 6)",
       "rev (range 0 5) K", "both 4", "shadow 9 (range 3 5)", "shadow 9 K", "same2 0", "same3 0",
       "lisp2 7", "last (range 0 4)", "sum 5 0", "sum [abc] 0", "map 3 K", "adder 1",
       "range 0 3"});
}

TEST_F(CompiledTest, StopsEffectsAndMemosAreTheMachines) {
  expectSameValues(",loop\\x\\loop x,"
                   "nowhere\\x\\plus x (Nowhere x),"
                   "lazy\\x\\K x (loop 1),"
                   "memo\\x\\plus x base,"
                   "base\\plus 40 2,"
                   "cycle\\x\\plus x again,"
                   "again\\plus 1 again",
                   {"lazy 3", "memo 1", "cycle 1", "nowhere 2"});
}

// A call whose value is a condition is evaluated with the branches waiting on top: a lazy partial
// application at the top of its body takes them unevaluated, where in value context its arguments
// would be evaluated first (here: a cycle, which would end the evaluation).
TEST_F(CompiledTest, ConditionsOnCallsAreEvaluatedWithTheBranchesWaiting) {
  expectSameValues(",loop\\x\\loop x,"
                   "lz\\x\\J (plus x cyc) 1,cyc\\plus 1 cyc,"
                   "viacall\\x\\(lz x) 5 H,"
                   "vialambda\\f\\(f 1) 5 H,"
                   "ev\\n\\(n=0) (J 1 2) ((ev (n-1)) H K),"
                   "od\\n\\(n=0) K ((od (n-1)) H K),"
                   "isK\\x\\(same x 0) K H,"
                   "count\\l\\n\\l n (h\\t\\(isK h) (count t (n+1)) (count t n))",
                   {"viacall 1", "vialambda (x\\J (plus x cyc) 1)", "vialambda (x\\less x 2)", "ev 0", "ev 1",
                    "ev 5", "od 7", "od 30", "count (J 0 (J 1 (J 0 K))) 0"});
}

// A letter's value decides whether its arguments are evaluated first: a lazy head takes them as
// they stand, and a value taking fewer arguments than it is given is rewritten before the rest.
TEST_F(CompiledTest, ALettersValueAppliedEvaluatesItsArgumentsAsTheMachineDoes) {
  expectSameValues(",cyc\\plus 1 cyc,"
                   "give\\g\\g 1 (plus 2 cyc),"
                   "twice\\f\\x\\f (f x),"
                   "inc\\n\\n+1,"
                   "pick\\b\\x\\(b x) (plus x 1) (plus x cyc),"
                   "more\\f\\f 1 2 3",
                   {"give K", "give H", "give (x\\y\\x)", "give 0", "give 5", "twice inc 1",
                    "twice (x\\x*2) 3", "twice (J 1) 2", "pick (x\\same x 4) 4", "pick same 4",
                    "pick K 4", "more (a\\b\\c\\plus a c)", "more K", "more (a\\b\\a)", "more plus"});
}

// The machine rewrites a lazy combinator with its arguments as they stand, unevaluated: such a call
// never runs compiled code, which holds values only.
TEST_F(CompiledTest, LazyCombinatorsTakeTheirArgumentsAsTheyStand) {
  expectSameValues(",S\\a\\b\\c\\a c b(c),D\\a\\b\\c\\d\\a b c(d),add\\x\\y\\plus x y",
                   {"D plus (plus 1 2) I 4", "D add (mult 2 3) (plus 1) 4", "B (plus 1) (mult 2) 5",
                    "C plus 1 (plus 2 3)", "S add (plus 1) 5", "V 1 2 plus"});
}

TEST_F(CompiledTest, ACallerOfARedefinedCalleeCallsTheNewDefinition) {
  load(",fn\\x\\gn x,gn\\y\\plus y 1");
  EXPECT_EQ(eval("fn 1"), "2");
  program::globals().define("gn", parse("y\\plus y 100"));
  EXPECT_EQ(eval("fn 1"), "101");
}

TEST_F(CompiledTest, DeepRecursionAndLongFallbackLoopsOnASmallStack) {
  // Built 100,000 calls deep; a loop whose every step falls back to the machine and back; a list
  // built and summed through matches.
  load(",count\\n\\(n<1) 0 (1+count(n-1)),"
       "spin\\n\\f\\(n<1) 0 (f (spin (n-1) f)),"
       "range\\a\\b\\(a<b) (J a (range (a+1) b)) K,"
       "sum\\l\\s\\l s (h\\t\\sum t (s+h)),"
       "ev\\n\\(n=0) (J 1 2) ((ev (n-1)) H K)");
  std::string deepConditions = evalWith(false, "ev 100000");
  int status = support::runOnSmallStack([&] {
    bool ok = eval("count 100000") == "100000" && eval("spin 100000 (x\\x)") == "0" &&
              eval("sum (range 0 100000) 0") == "4999950000" && eval("ev 100000") == deepConditions;
    return ok ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vorn::eval::compiled
