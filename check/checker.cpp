// The whole-program checker: an ordered list of rules over the global table, each of which
// either rewrites definitions or refuses the program. Loops over the table run in name order (the
// entry "" first) and never recurse over definitions; only walks over one term recurse.
#include "check/checker.h"

#include <bit>
#include <deque>
#include <map>
#include <vector>

#include "check/binders.h"
#include "check/desugar.h"
#include "check/intern.h"
#include "check/layout.h"
#include "eval/analysis.h"
#include "eval/printer.h"
#include "front/globals.h"

namespace vorn::check {

using cells::Cell;
using cells::CellRef;
using driver::ErrorReport;
using driver::makeReport;

namespace {

using Rule = ErrorReport (*)();

// Names travel into reports with NUL and newline exchanged, so that a newline in a name cannot
// break the report's lines.
std::string exchangeNulNewline(std::string_view bytes) {
  std::string out(bytes);
  for (char& c : out) {
    if (c == '\0') {
      c = '\n';
    } else if (c == '\n') {
      c = '\0';
    }
  }
  return out;
}

// Applies `change` to every definition, in name order.
template <typename Change>
void rewriteEveryDefinition(Change change) {
  for (auto& [name, definition] : front::globalTable()) definition = change(definition);
}

// The layout text of the C structures is stored under "_", replacing any definition of "_".
ErrorReport addLayoutText() {
  front::globalTable()["_"] = CellRef(layoutText());
  front::recomputeSet().erase("_");  // a plain value now, whatever form the user's "_" had
  return {};
}

// Every quoted term (` x) becomes the pair of its source text and x.
ErrorReport expandEveryQuote() {
  rewriteEveryDefinition(expandQuotes);
  return {};
}

// Every binding of two names side by side takes the first and second components apart.
ErrorReport desugarEveryPairBinding() {
  rewriteEveryDefinition(desugarPairBindings);
  return {};
}

// Every binder of every definition must be a global name.
ErrorReport refuseFunkyBinders() {
  for (const auto& [name, definition] : front::globalTable()) {
    Cell* funky = findFunkyBinder(definition.get());
    if (funky == nullptr) continue;
    std::string shown = exchangeNulNewline(eval::showSource(CellRef::borrow(funky)));
    std::string message = "Funky key in expression " + shown;
    message += name.empty() ? "." : " in function " + name + ".";
    return makeReport("Funky", message);
  }
  return {};
}

// Every name reachable from the entry must have a definition.
ErrorReport refuseUndefinedReachableNames() {
  std::map<std::string, std::string> worklist{{"", "nowhere"}};  // name -> who refers to it
  NameSet reached;
  while (!worklist.empty()) {
    auto next = worklist.extract(worklist.begin());
    const std::string& name = next.key();
    reached.insert(name);
    const Cell* definition = front::findGlobal(name);
    if (definition == nullptr) {
      std::string referrer = next.mapped().empty() ? "TOP" : next.mapped();
      std::string missing = exchangeNulNewline(name);
      return makeReport("Alive",
                        "Alive function [" + referrer + "] references undefined [" + missing + "].",
                        missing);
    }
    NameSet used;
    collectFreeNames(definition, used);
    for (const std::string& target : used) {
      if (reached.count(target) == 0) worklist[target] = name;
    }
  }
  return {};
}

// Every definition that needs, directly or through others, a name without a definition is
// erased; the entry is never among them, since every name it reaches is defined.
ErrorReport pruneDefinitionsOfUndefinedNames() {
  front::GlobalTable& table = front::globalTable();
  std::map<std::string, std::vector<std::string>, std::less<>> usedBy;
  std::deque<std::string> broken;
  NameSet erased;
  for (const auto& [name, definition] : table) {
    NameSet used;
    collectFreeNames(definition.get(), used);
    for (const std::string& target : used) {
      if (table.count(target) != 0) {
        usedBy[target].push_back(name);
      } else if (erased.insert(name).second) {
        broken.push_back(name);
      }
    }
  }
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
  if (!erased.empty()) front::noteTablesChanged();
  return {};
}

bool isLetter(std::string_view name) { return name.size() == 1 && name[0] >= 'a' && name[0] <= 'z'; }

// One definition's local names: long names are logged and renamed to unused letters, in sorted
// order; more than 26 local names cannot be renamed.
ErrorReport renameLocalNamesOf(const std::string& name, CellRef& definition) {
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
    driver::appendLog("First " + name + ": " + eval::showSource(definition) + "\n");
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
ErrorReport renameLocalNames() {
  for (auto& [name, definition] : front::globalTable()) {
    ErrorReport report = renameLocalNamesOf(name, definition);
    if (!report.ok()) return report;
  }
  return {};
}

// No definition takes more than ten parameters.
ErrorReport refuseMoreThanTenParameters() {
  for (const auto& [name, definition] : front::globalTable()) {
    if (leadingLambdas(definition.get()) > 10) {
      return makeReport("Arity", "Arity of function " + name + " may not exceed ten.", name);
    }
  }
  return {};
}

// Equal subterms of all definitions become one Cell; only values stay in the interning set.
ErrorReport shareEqualSubterms() {
  clearInternSet();
  rewriteEveryDefinition(intern);
  InternSet& set = internSet();
  for (auto it = set.begin(); it != set.end();) {
    if (eval::isValue(*it)) {
      ++it;
      continue;
    }
    Cell* member = *it;
    it = set.erase(it);
    cells::release(member);
  }
  return {};
}

// No definition leaves a letter unbound.
ErrorReport refuseUnboundLetters() {
  for (const auto& [name, definition] : front::globalTable()) {
    std::uint32_t letters = eval::variableSet(definition);
    if (letters == 0) continue;
    std::string letter(1, static_cast<char>('a' + std::countr_zero(letters)));
    if (name.empty()) return makeReport("Local", "Local variable " + letter + " unbound.");
    return makeReport("Local", "Local variable " + letter + " unbound in function [" + name + "].",
                      name);
  }
  return {};
}

// The rules, in the order they run; the first refusal ends the check.
constexpr Rule kRules[] = {
    addLayoutText,
    expandEveryQuote,
    desugarEveryPairBinding,
    refuseFunkyBinders,
    refuseUndefinedReachableNames,
    pruneDefinitionsOfUndefinedNames,
    renameLocalNames,
    refuseMoreThanTenParameters,
    shareEqualSubterms,
    refuseUnboundLetters,
};

}  // namespace

ErrorReport checkProgram() {
  for (Rule rule : kRules) {
    ErrorReport report = rule();
    if (!report.ok()) return report;
  }
  return {};
}

}  // namespace vorn::check
