// Every walk of the checker over terms a million levels deep, nested to the right, to the left and
// through binders, on a thread with a small native stack: the walks must keep their work lists on
// the heap. Each case checks what it finds at the bottom against the same walk on a shallow term.
#include <gtest/gtest.h>

#include <string>

#include "check/binders.h"
#include "check/checker.h"
#include "check/desugar.h"
#include "program/tables.h"
#include "front/loader.h"
#include "session/startup.h"
#include "term_builder.h"
#include "tests/support/small_stack.h"

namespace vorn::check {
namespace {

using cells::Cell;
using cells::CellRef;
using cells::makePair;
using testing::show;
using testing::term;

constexpr std::size_t kDepth = 1000000;

// (f (f ... (f bottom))), n applications.
CellRef rightDeep(std::string_view f, std::size_t n, CellRef bottom) {
  CellRef head(f);
  for (std::size_t i = 0; i < n; ++i) bottom = makePair(head, std::move(bottom));
  return bottom;
}

// ((((bottom x) x) ...) x), n applications.
CellRef leftDeep(CellRef bottom, std::string_view x, std::size_t n) {
  CellRef argument(x);
  for (std::size_t i = 0; i < n; ++i) bottom = makePair(std::move(bottom), argument);
  return bottom;
}

// ((\ v) ((\ v) ... body)), n lambdas.
CellRef lambdas(std::string_view v, std::size_t n, CellRef body) {
  CellRef head = makePair(CellRef("\\"), CellRef(v));
  for (std::size_t i = 0; i < n; ++i) body = makePair(head, std::move(body));
  return body;
}

const Cell* rightBottom(const Cell* t, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) t = cells::rightOf(t);
  return t;
}

const Cell* leftBottom(const Cell* t, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) t = cells::leftOf(t);
  return t;
}

int onSmallStack(const std::function<int()>& body) { return support::runOnSmallStack(body); }

TEST(DeepTerms, QuotesAreExpandedAtAnyDepth) {
  int failures = onSmallStack([] {
    const char* quoted = "(` (plus x 2))";
    std::string expected = show(expandQuotes(term(quoted)).get());
    int f = 0;
    CellRef right = rightDeep("f", kDepth, term(quoted));
    if (show(rightBottom(expandQuotes(right).get(), kDepth)) != expected) f |= 1;
    CellRef left = leftDeep(term(quoted), "y", kDepth);
    if (show(leftBottom(expandQuotes(left).get(), kDepth)) != expected) f |= 2;
    // A deep term without quotes comes back itself; quoted whole, it is shared as it is.
    CellRef plain = leftDeep(CellRef("g"), "y", kDepth);
    if (expandQuotes(plain).get() != plain.get()) f |= 4;
    CellRef whole = expandQuotes(makePair(CellRef("`"), plain));
    if (cells::rightOf(whole.get()) != plain.get()) f |= 8;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

TEST(DeepTerms, PairBindingsAreDesugaredAtAnyDepth) {
  int failures = onSmallStack([] {
    const char* binding = "({ (p q) x p)";
    std::string expected = show(desugarPairBindings(term(binding)).get());
    int f = 0;
    CellRef right = rightDeep("f", kDepth, term(binding));
    if (show(rightBottom(desugarPairBindings(right).get(), kDepth)) != expected) f |= 1;
    CellRef left = leftDeep(term(binding), "y", kDepth);
    if (show(leftBottom(desugarPairBindings(left).get(), kDepth)) != expected) f |= 2;
    CellRef plain = rightDeep("f", kDepth, CellRef("x"));
    if (desugarPairBindings(plain).get() != plain.get()) f |= 4;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

TEST(DeepTerms, FreeAndBinderNamesThroughAMillionBinders) {
  int failures = onSmallStack([] {
    int f = 0;
    // Under a million lambdas of x, only g is free; the bottom's x is bound.
    CellRef nested = lambdas("x", kDepth, term("(g x)"));
    NameSet free;
    collectFreeNames(nested.get(), free);
    if (free != NameSet{"g"}) f |= 1;
    NameSet binders;
    collectBinderNames(nested.get(), binders);
    if (binders != NameSet{"x"}) f |= 2;
    // Bindings: the bound terms are outside the binder's scope, the body inside.
    CellRef body = term("(v w)");
    CellRef head = makePair(CellRef("{"), CellRef("v"));
    for (std::size_t i = 0; i < kDepth; ++i) body = cells::nest3(head, CellRef("v"), std::move(body));
    free.clear();
    collectFreeNames(body.get(), free);
    if (free != NameSet{"v", "w"}) f |= 4;
    free.clear();
    collectFreeNames(leftDeep(CellRef("h"), "y", kDepth).get(), free);
    if (free != NameSet{"h", "y"}) f |= 8;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

TEST(DeepTerms, RenamingThroughAMillionBinders) {
  int failures = onSmallStack([] {
    int f = 0;
    CellRef nested = lambdas("long", kDepth, term("(g long)"));
    CellRef renamed = renameBound(nested, "long", CellRef("a"));
    if (show(cells::leftOf(renamed.get())) != "(\\ a)") f |= 1;
    if (show(rightBottom(renamed.get(), kDepth)) != "(g a)") f |= 2;
    // Outside any binder of the name nothing changes, and the term comes back itself.
    CellRef outside = leftDeep(CellRef("long"), "y", kDepth);
    if (renameBound(outside, "long", CellRef("a")).get() != outside.get()) f |= 4;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

TEST(DeepTerms, AFunkyBinderIsFoundAtAnyDepth) {
  int failures = onSmallStack([] {
    int f = 0;
    CellRef funky = term("(\\ (g y) y)");
    CellRef right = lambdas("x", kDepth, makePair(CellRef("h"), funky));
    if (findFunkyBinder(right.get()) != funky.get()) f |= 1;
    CellRef left = leftDeep(funky, "y", kDepth);
    if (findFunkyBinder(left.get()) != funky.get()) f |= 2;
    // Left before right: the funky binder at the bottom of the left spine is found first.
    CellRef both = makePair(left, term("(\\ 5 y)"));
    if (findFunkyBinder(both.get()) != funky.get()) f |= 4;
    if (findFunkyBinder(lambdas("x", kDepth, CellRef("x")).get()) != nullptr) f |= 8;
    return f;
  });
  EXPECT_EQ(failures, 0);
}

// Whole programs a million levels deep, through the loader and every rule of the checker.
class DeepPrograms : public ::testing::Test {
 protected:
  void SetUp() override { session::startUp(); }
  void TearDown() override { program::tables().reset(); }

  static std::string repeat(std::string_view part, std::size_t times) {
    std::string out;
    for (std::size_t k = 0; k < times; ++k) out += part;
    return out;
  }

  // Loads and checks the program on the small stack; the report as "type: message".
  static std::string check(const std::string& program) {
    std::string shown;
    int status = onSmallStack([&] {
      support::ErrorReport loaded = front::loadProgram(program);
      support::ErrorReport report = loaded.ok() ? checkProgram() : loaded;
      shown = report.type + ": " + report.message;
      return 0;
    });
    return status == 0 ? shown : "no thread";
  }
};

// Each level carries its own number, as gg(7, inner): sharing compares the levels with the
// terms already interned, and distinct levels keep each comparison short. (Levels all alike make
// sharing itself slow, comparing long chains with long chains, whatever the stack.) The
// parameters are letters: a long name would log the whole definition.
std::string numberedLevels() {
  std::string levels;
  for (std::size_t i = 0; i < kDepth; ++i) levels.append("gg(").append(std::to_string(i)).append(",");
  return levels;
}

TEST_F(DeepPrograms, RightNestingPasses) {
  // ((gg 0) ((gg 1) ... p)), nested through right children.
  std::string right = std::string("hh,hh\\p\\") + numberedLevels() + "p" + repeat(")", kDepth) + ",gg\\x\\y\\y";
  ASSERT_EQ(check(right), "Empty: ");
  const Cell* body = cells::rightOf(program::findGlobal("hh"));
  EXPECT_EQ(show(rightBottom(body, kDepth)), "p");
}

TEST_F(DeepPrograms, LeftNestingPasses) {
  // (((gg 0) (((gg 1) ... p) p)) p), nested through left children and then their right ones.
  std::string left = std::string("hh,hh\\p\\") + numberedLevels() + "p" + repeat(")p", kDepth) + ",gg\\x\\y\\z\\y";
  ASSERT_EQ(check(left), "Empty: ");
  const Cell* body = cells::rightOf(program::findGlobal("hh"));
  for (std::size_t i = 0; i < kDepth; ++i) body = cells::rightOf(cells::leftOf(body));
  EXPECT_EQ(show(body), "p");
}

TEST_F(DeepPrograms, ReportsFromTheBottomOfDeepDefinitions) {
  struct Case {
    const char* name;
    std::string program;
    std::string report;
  };
  const std::string open = repeat("gg(", kDepth), close = repeat(")", kDepth);
  const Case cases[] = {
      {"funky binder", std::string("hh,hh\\p\\") + open + "(gg y)\\y" + close + ",gg\\x\\x",
       "Funky: Funky key in expression (\\ (gg y) y) in function hh."},
      {"undefined name", std::string("hh,hh\\p\\") + open + "zz" + close + ",gg\\x\\x",
       "Alive: Alive function [hh] references undefined [zz]."},
      {"free letter", std::string("hh,hh\\p\\") + open + "(r{p}q)" + close + ",gg\\x\\x",
       "Alive: Alive function [hh] references undefined [q]."},
      {"a million parameters", std::string("hh,hh") + repeat("\\x", kDepth) + "\\x",
       "Arity: Arity of function hh may not exceed ten."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session::startUp();
    EXPECT_EQ(check(c.program), c.report);
  }
}

}  // namespace
}  // namespace vorn::check
