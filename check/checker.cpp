// The whole-program checker: an ordered list of rules over a set of definitions (the global
// table, or source loaded at run time), each of which either rewrites definitions or refuses
// them. Loops over the definitions run in name order (the entry "" first); the walks over one
// term keep their own work lists (check/binders.cpp, cells/walk.h).
#include "check/checker.h"

#include <bit>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "check/binders.h"
#include "check/desugar.h"
#include "eval/analysis.h"
#include "front/printer.h"
#include "program/tables.h"
#include "support/assert.h"
#include "support/log.h"
#include "support/report.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;
using support::ErrorReport;
using support::makeReport;

namespace {

using Rule = ErrorReport (*)(Definitions& definitions, const Definitions* outside);

// Applies `change` to every definition, in name order.
template <typename Change>
void rewriteEveryDefinition(Definitions& definitions, Change change) {
  for (auto& [name, definition] : definitions) definition = change(definition);
}

// Names defined beside the definitions being checked, and checked before them.
bool isDefinedOutside(const Definitions* outside, std::string_view name) {
  return outside != nullptr && outside->find(name) != outside->end();
}

// The layout text of the C structures, written by the builtin library at start-up, is stored
// under "_", replacing any definition of "_".
void addLayoutText() {
  const std::string& text = program::tables().layoutText();
  CORE_ASSERT(!text.empty());  // start-up has not run
  program::globals().define("_", CellRef(text));
  program::tables().recompute().erase("_");  // a plain value now, whatever form the user's "_" had
}

// Every quoted term (` x) becomes the pair of its source text and x.
ErrorReport expandEveryQuote(Definitions& definitions, const Definitions*) {
  rewriteEveryDefinition(definitions, expandQuotes);
  return {};
}

// Every binding of two names side by side takes the first and second components apart.
ErrorReport desugarEveryPairBinding(Definitions& definitions, const Definitions*) {
  rewriteEveryDefinition(definitions, desugarPairBindings);
  return {};
}

// Every binder of every definition must be a global name.
ErrorReport refuseFunkyBinders(Definitions& definitions, const Definitions*) {
  for (const auto& [name, definition] : definitions) {
    Cell* funky = findFunkyBinder(definition.get());
    if (funky == nullptr) continue;
    std::string shown = support::exchangeNulNewline(front::showSource(CellRef::borrow(funky)));
    std::string message = "Funky key in expression " + shown;
    message += name.empty() ? "." : " in function " + name + ".";
    return makeReport("Funky", message);
  }
  return {};
}

// Every name reachable from the entry must have a definition. A name defined outside is not
// followed further: its own definition was checked with the names around it.
ErrorReport refuseUndefinedReachableNames(Definitions& definitions, const Definitions* outside) {
  std::map<std::string, std::string> worklist{{"", "nowhere"}};  // name -> who refers to it
  NameSet reached;
  while (!worklist.empty()) {
    auto next = worklist.extract(worklist.begin());
    const std::string& name = next.key();
    reached.insert(name);
    auto found = definitions.find(name);
    if (found == definitions.end()) {
      if (isDefinedOutside(outside, name)) continue;
      std::string referrer = next.mapped().empty() ? "TOP" : next.mapped();
      std::string missing = support::exchangeNulNewline(name);
      return makeReport("Alive",
                        "Alive function [" + referrer + "] references undefined [" + missing + "].",
                        missing);
    }
    NameSet used;
    collectFreeNames(found->second.get(), used);
    for (const std::string& target : used) {
      if (reached.count(target) == 0) worklist[target] = name;
    }
  }
  return {};
}

// Whether the definition uses a name that has no definition here or outside.
bool usesUndefinedName(const Definitions& table, const Definitions* outside, const Cell* definition) {
  return usesFreeName(definition, [&table, outside](std::string_view name) {
    return table.find(name) == table.end() && !isDefinedOutside(outside, name);
  });
}

// Every definition that needs, directly or through others, a name without a definition is
// erased; the entry is never among them, since every name it reaches is defined. The users of
// each name are gathered only when some definition is broken: in a program whose every name is
// defined (the usual case) the check is one pass that keeps nothing.
ErrorReport pruneDefinitionsOfUndefinedNames(Definitions& table, const Definitions* outside) {
  std::deque<std::string> broken;
  for (const auto& [name, definition] : table) {
    if (usesUndefinedName(table, outside, definition.get())) broken.push_back(name);
  }
  if (broken.empty()) return {};
  std::map<std::string, std::vector<std::string>, std::less<>> usedBy;
  for (const auto& [name, definition] : table) {
    NameSet used;
    collectFreeNames(definition.get(), used);
    for (const std::string& target : used) {
      if (table.count(target) != 0) usedBy[target].push_back(name);
    }
  }
  NameSet erased(broken.begin(), broken.end());
  while (!broken.empty()) {
    auto users = usedBy.find(broken.front());
    broken.pop_front();
    if (users == usedBy.end()) continue;
    for (const std::string& user : users->second) {
      if (erased.insert(user).second) broken.push_back(user);
    }
  }
  for (const std::string& name : erased) {
    CORE_ASSERT(!name.empty());
    table.erase(name);
  }
  return {};
}

bool isLetter(std::string_view name) { return name.size() == 1 && name[0] >= 'a' && name[0] <= 'z'; }

// One definition's local names: long names are logged and renamed to unused letters, in sorted
// order; more than 26 local names cannot be renamed.
ErrorReport renameLocalNamesOf(const std::string& name, CellRef& definition) {
  // At most the 26 letters, and nothing to log or rename: the common case, found without a set.
  if (bindsOnlyLetters(definition.get())) return {};
  NameSet binders;
  collectBinderNames(definition.get(), binders);
  std::vector<std::string> longNames;
  NameSet letters;
  for (const std::string& binder : binders) {
    if (isLetter(binder)) {
      letters.insert(binder);
    } else {
      longNames.push_back(binder);
    }
  }
  if (!longNames.empty()) {
    support::appendLog("First " + name + ": " + front::showSource(definition) + "\n");
  }
  if (longNames.size() + letters.size() > 26) {
    return makeReport("Place", name.empty() ? "Place error." : "Place error in function " + name + ".",
                      name);
  }
  std::size_t next = 0;
  for (char letter = 'a'; letter <= 'z' && next < longNames.size(); ++letter) {
    std::string text(1, letter);
    if (!letters.insert(text).second) continue;
    definition = renameBound(definition, longNames[next++], CellRef(text));
  }
  return {};
}

// Local names become single letters, at most 26 per definition.
ErrorReport renameLocalNames(Definitions& definitions, const Definitions*) {
  for (auto& [name, definition] : definitions) {
    ErrorReport report = renameLocalNamesOf(name, definition);
    if (!report.ok()) return report;
  }
  return {};
}

// No definition takes more than ten parameters.
ErrorReport refuseMoreThanTenParameters(Definitions& definitions, const Definitions*) {
  for (const auto& [name, definition] : definitions) {
    if (leadingLambdas(definition.get()) > 10) {
      return makeReport("Arity", "Arity of function " + name + " may not exceed ten.", name);
    }
  }
  return {};
}

// Equal subterms of all definitions become one Cell; only values stay in the interning set.
void shareEqualSubterms(Definitions& definitions) {
  program::InternSet& interned = program::tables().interned();
  interned.clear();
  // Every definition adds at least about one Cell of its own: room for that many at once spares
  // the set the doublings on the way (a program of millions of definitions interns millions of
  // Cells). Equal definitions would leave part of it unused, a few bytes per definition.
  interned.reserve(definitions.size());
  rewriteEveryDefinition(definitions, program::intern);
  interned.keepOnly(eval::isValue);
}

// The rules of checkDefinitions, in the order they run; the first refusal ends the check.
constexpr Rule kRules[] = {
    expandEveryQuote,
    desugarEveryPairBinding,
    refuseFunkyBinders,
    refuseUndefinedReachableNames,
    pruneDefinitionsOfUndefinedNames,
    renameLocalNames,
    refuseMoreThanTenParameters,
};

}  // namespace

ErrorReport checkDefinitions(Definitions& definitions, const Definitions* outside) {
  for (Rule rule : kRules) {
    ErrorReport report = rule(definitions, outside);
    if (!report.ok()) return report;
  }
  return {};
}

// No definition leaves a letter unbound.
ErrorReport refuseUnboundLetters(const Definitions& definitions) {
  for (const auto& [name, definition] : definitions) {
    std::uint32_t letters = eval::variableSet(definition);
    if (letters == 0) continue;
    std::string letter(1, static_cast<char>('a' + std::countr_zero(letters)));
    if (name.empty()) return makeReport("Local", "Local variable " + letter + " unbound.");
    return makeReport("Local", "Local variable " + letter + " unbound in function [" + name + "].",
                      name);
  }
  return {};
}

// The layout text first; sharing comes after every rewrite and before the letters are analysed.
ErrorReport checkProgram() {
  program::GlobalTable& globals = program::globals();
  addLayoutText();
  ErrorReport report = globals.rewriteAll([](Definitions& table) {
    ErrorReport checked = checkDefinitions(table, nullptr);
    if (checked.ok()) shareEqualSubterms(table);
    return checked;
  });
  if (!report.ok()) return report;
  return refuseUnboundLetters(globals.all());
}

}  // namespace vorn::check
