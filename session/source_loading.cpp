// Reading, checking and storing a source at run time. A definition of a name the running
// program already has is refused (builtins, whose placeholders are globals, and the Prelude
// included); a later definition in the same source replaces an earlier one, as in a program file.
#include "session/source_loading.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/checker.h"
#include "front/loader.h"
#include "program/tables.h"
#include "support/report.h"

namespace vorn::session {

namespace {

using cells::CellRef;
using front::Definition;
using front::DefinitionForm;
using support::ErrorReport;

// A source ready to join the running program: the entry under "" and every named definition as
// the global table will hold it (an empty-call definition as (I body)).
struct LoadedSource {
  check::Definitions terms;
  std::map<std::string, DefinitionForm, std::less<>> forms;
};

bool isEmptyOperand(const CellRef& term) {
  return !cells::isPair(term) && cells::atomBytes(term) == "}";
}

ErrorReport refuseRedefinition(const std::string& name) {
  return support::makeReport("Twice", "Function [" + name + "] is already defined.", name);
}

// The definitions by name, or the first that would redefine a name of the running program.
ErrorReport collect(SourceAddition& addition, LoadedSource& source) {
  std::vector<std::string> names;
  for (Definition& definition : addition.definitions) {
    if (program::findGlobal(definition.name) != nullptr) return refuseRedefinition(definition.name);
    std::string name = definition.name;
    DefinitionForm form = definition.form;
    if (source.forms.count(name) == 0) names.push_back(name);
    source.terms.insert_or_assign(name, front::storedTerm(std::move(definition)));
    source.forms.insert_or_assign(std::move(name), form);
  }
  CellRef entry = addition.entry.empty() ? entryUsing(names) : std::move(addition.entry);
  source.terms.insert_or_assign("", std::move(entry));
  return {};
}

// The names a load added, with what the recompute set said of each before, so that a refusal
// after storing leaves the tables exactly as they were.
class StoredNames {
 public:
  void store(const std::string& name, DefinitionForm form, const CellRef& term) {
    bool recomputed = program::tables().recompute().count(name) != 0;
    names_.emplace_back(name, recomputed);
    front::storeTerm(name, form, term);
  }
  void undo() {
    for (const auto& [name, recomputed] : names_) {
      program::globals().erase(name);
      if (recomputed) {
        program::tables().recompute().insert(name);
      } else {
        program::tables().recompute().erase(name);
      }
    }
    names_.clear();
  }

 private:
  std::vector<std::pair<std::string, bool>> names_;
};

// Stores every named definition the check kept, then tests for unbound letters. That test
// analyses the terms, so the names they use must be defined first; a refusal takes the new
// definitions out again.
ErrorReport addDefinitions(const LoadedSource& source) {
  StoredNames stored;
  for (const auto& [name, term] : source.terms) {
    if (name.empty()) continue;
    stored.store(name, source.forms.find(name)->second, term);
  }
  ErrorReport report = check::refuseUnboundLetters(source.terms);
  if (!report.ok()) stored.undo();
  return report;
}

}  // namespace

CellRef entryUsing(const std::vector<std::string>& names) {
  // A number at the head: it names nothing, so the check follows only the names after it.
  CellRef term("0");
  for (const std::string& name : names) term = cells::makePair(std::move(term), CellRef(name));
  return term;
}

AddOutcome addSource(SourceAddition addition) {
  bool hasEntry = !addition.entry.empty();
  LoadedSource source;
  AddOutcome outcome;
  outcome.report = collect(addition, source);
  if (!outcome.report.ok()) return outcome;
  outcome.report = check::checkDefinitions(source.terms, &program::globals().all());
  if (!outcome.report.ok()) return outcome;
  outcome.report = addDefinitions(source);
  if (outcome.report.ok() && hasEntry) outcome.entry = source.terms.find("")->second;
  return outcome;
}

std::optional<CellRef> loadSource(std::string_view text) {
  front::SourceReading reading = front::readSource(text);
  if (!reading.report.ok() || isEmptyOperand(reading.entry)) return std::nullopt;
  AddOutcome added = addSource(SourceAddition{std::move(reading.entry), std::move(reading.definitions)});
  if (!added.report.ok()) return std::nullopt;
  return std::move(added.entry);
}

}  // namespace vorn::session
