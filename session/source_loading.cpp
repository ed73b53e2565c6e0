// Reading, checking and storing a source at run time. A definition of a name the running
// program already has is refused (builtins, whose placeholders are globals, and the Prelude
// included); a later definition in the same source replaces an earlier one, as in a program file.
#include "session/source_loading.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "check/checker.h"
#include "program/tables.h"
#include "front/loader.h"

namespace vorn::session {

namespace {

using cells::CellRef;
using front::Definition;
using front::DefinitionForm;

// A source read and checked, ready to join the running program.
struct LoadedSource {
  // The entry under "" and every named definition as the global table will hold it (an
  // empty-call definition as (I body)), in the form the checker leaves.
  check::Definitions terms;
  std::map<std::string, DefinitionForm, std::less<>> forms;
};

bool isEmptyOperand(const CellRef& term) {
  return !cells::isPair(term) && cells::atomBytes(term) == "}";
}

std::optional<LoadedSource> readLoadedSource(std::string_view text) {
  front::SourceReading reading = front::readSource(text);
  if (!reading.report.ok() || isEmptyOperand(reading.entry)) return std::nullopt;
  LoadedSource source;
  source.terms.emplace("", std::move(reading.entry));
  for (Definition& definition : reading.definitions) {
    if (program::findGlobal(definition.name) != nullptr) return std::nullopt;
    std::string name = definition.name;
    DefinitionForm form = definition.form;
    source.terms.insert_or_assign(name, front::storedTerm(std::move(definition)));
    source.forms.insert_or_assign(std::move(name), form);
  }
  return source;
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
bool addDefinitions(const LoadedSource& source) {
  StoredNames stored;
  for (const auto& [name, term] : source.terms) {
    if (name.empty()) continue;
    stored.store(name, source.forms.find(name)->second, term);
  }
  if (check::refuseUnboundLetters(source.terms).ok()) return true;
  stored.undo();
  return false;
}

}  // namespace

std::optional<CellRef> loadSource(std::string_view text) {
  std::optional<LoadedSource> source = readLoadedSource(text);
  if (!source) return std::nullopt;
  if (!check::checkDefinitions(source->terms, &program::globals().all()).ok()) return std::nullopt;
  if (!addDefinitions(*source)) return std::nullopt;
  return source->terms.find("")->second;
}

}  // namespace vorn::session
