// Reading, checking and storing a source at run time. A definition of a name the running
// program already has is refused (builtins, whose placeholders are globals, and the Prelude
// included); a later definition in the same source replaces an earlier one, as in a program file.
#include "session/source_loading.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/checker.h"
#include "front/globals.h"
#include "support/assert.h"

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
    if (front::findGlobal(definition.name) != nullptr) return refuseRedefinition(definition.name);
    CellRef stored = std::move(definition.body);
    if (definition.form == DefinitionForm::kEmptyCall) {
      stored = cells::makePair(CellRef("I"), std::move(stored));
    }
    if (source.forms.count(definition.name) == 0) names.push_back(definition.name);
    source.terms.insert_or_assign(definition.name, std::move(stored));
    source.forms.insert_or_assign(std::move(definition.name), definition.form);
  }
  CellRef entry = addition.entry.empty() ? entryUsing(names) : std::move(addition.entry);
  source.terms.insert_or_assign("", std::move(entry));
  return {};
}

// The definition to store for a checked term: an empty-call term (I body) gives back its body,
// which storing wraps again.
Definition definitionOf(const std::string& name, DefinitionForm form, const CellRef& term) {
  Definition definition{name, form, term};
  if (form == DefinitionForm::kEmptyCall) {
    CORE_ASSERT(cells::isPair(term));
    definition.body = cells::right(term);
  }
  return definition;
}

// The names a load added, with what the recompute set said of each before, so that a refusal
// after storing leaves the tables exactly as they were.
class StoredNames {
 public:
  void store(Definition definition) {
    bool recomputed = front::recomputeSet().count(definition.name) != 0;
    names_.emplace_back(definition.name, recomputed);
    front::storeDefinition(std::move(definition));
  }
  void undo() {
    for (const auto& [name, recomputed] : names_) {
      front::globalTable().erase(name);
      if (recomputed) {
        front::recomputeSet().insert(name);
      } else {
        front::recomputeSet().erase(name);
      }
    }
    // Entries left the table: whoever keeps pointers into it must look again.
    if (!names_.empty()) front::noteTablesChanged();
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
    stored.store(definitionOf(name, source.forms.find(name)->second, term));
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
  outcome.report = check::checkDefinitions(source.terms, &front::globalTable());
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
