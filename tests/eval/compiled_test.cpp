// Compiled definitions: which definitions compile, and that their code computes what the machine
// computes. The code is called directly here, so these tests hold it to the machine in every
// build, whether or not the reducer itself enters compiled code.
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
  // The code of the named definition, or nullptr when it is refused.
  static const Code* codeOf(const std::string& name) {
    CellRef head(name);
    return codeFor(resolveHead(head.get()));
  }

  // The compiled code's value (or the marker that ends the evaluation) for the definition applied to the values of `args`, shown.
  static std::string runCompiled(const std::string& name, const std::vector<std::string>& args) {
    const Code* code = codeOf(name);
    if (code == nullptr) return "refused";
    std::vector<CellRef> values;
    for (const std::string& a : args) values.push_back(evaluate(parse(a)));
    return showSource(run(*code, std::move(values)).value);
  }
};

TEST_F(CompiledTest, WhichDefinitionsCompile) {
  struct Case {
    const char* definitions;
    bool compiles;  // the first definition, named fn
  };
  const Case cases[] = {
      {",fn\\n\\(n<2) n (fn(n-1)+fn(n-2))", true},
      {",fn\\x\\plus x 1", true},
      {",fn\\x\\y\\(less x y) (mult x 3) (cent y 7)", true},
      {",fn\\x\\(x=0) 1 (gn x),gn\\y\\wave y", true},
      {",fn\\n\\(n<1) 1 (gn(n-1)),gn\\n\\(n<1) 0 (fn(n-1))", true},  // mutual recursion
      {",fn\\x\\plus x [a]", false},                               // a text constant
      {",fn\\x\\K x 1", false},                                     // a lazy letter as a head
      {",fn\\x\\(y\\y) x", false},                                  // a lambda
      {",fn\\x\\plus x", false},                                    // a partial application
      {",fn\\x\\left x", false},                                    // a builtin outside arithmetic
      {",fn\\x\\gn x,gn\\y\\K y", false},                             // a callee that is refused
      {",fn\\x\\gn x 1,gn\\y\\z\\plus y z,hn\\q\\q", true},
      {",fn\\x\\gn x,gn\\y\\z\\plus y z", false},                     // an unsaturated call
      {",fn\\plus 1 2", false},                                     // no binders
      {",fn\\n\\(n<2) n 1,K\\a\\b\\b", false},                      // a program's own K
      {",fn\\n\\(n<2) n 1,H\\a\\K", false},                         // a program's own H
      {",fn\\x\\plus x 1,T\\a\\b\\a", false},                       // a program's own T
      {",fn\\x\\plus x 1,T\\b\\a\\a b", true},                      // the Prelude's T, other letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.definitions);
    SetUp();
    load(c.definitions);
    EXPECT_EQ(codeOf("fn") != nullptr, c.compiles);
  }
}

TEST_F(CompiledTest, ValuesAreTheMachines) {
  load(",fib\\n\\(n<2) n (fib(n-1)+fib(n-2)),"
       "pick\\x\\y\\(less x y) (mult x 3) (cent y 7),"
       "cond\\x\\(over 10 x) 1 2,"
       "nest\\x\\plus ((x<3) 100 200) x,"
       "twice\\x\\y\\plus (pick x y) (pick y x)");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* call;
  };
  const Case cases[] = {
      {"fib", {"15"}, "fib 15"},
      {"fib", {"0"}, "fib 0"},
      {"pick", {"2", "9"}, "pick 2 9"},
      {"pick", {"9", "2"}, "pick 9 2"},
      {"pick", {"[a]", "2"}, "pick [a] 2"},  // the comparison gives Z: the machine takes over
      {"cond", {"0"}, "cond 0"},             // over gives Z
      {"cond", {"5"}, "cond 5"},             // over gives a number, applied to both branches
      {"nest", {"1"}, "nest 1"},
      {"nest", {"7"}, "nest 7"},
      {"twice", {"4", "011"}, "twice 4 011"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ(runCompiled(c.name, c.args), eval(c.call));
  }
}

TEST_F(CompiledTest, ACallerOfARedefinedCalleeCallsTheNewDefinition) {
  load(",fn\\x\\gn x,gn\\y\\plus y 1");
  EXPECT_EQ(runCompiled("fn", {"1"}), "2");
  program::globals().define("gn", parse("y\\plus y 100"));
  EXPECT_EQ(runCompiled("fn", {"1"}), "101");
  EXPECT_EQ(eval("fn 1"), "101");
}

TEST_F(CompiledTest, AHundredThousandNestedCallsOnASmallStack) {
  load(",count\\n\\(n<1) 0 (1+count(n-1))");
  int status = support::runOnSmallStack([&] {
    return runCompiled("count", {"100000"}) == "100000" ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vorn::eval::compiled
