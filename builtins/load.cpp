// Source loading at run time. Builtins defined here: load.
// load reads a source exactly as a program file is read and checked, adds its named definitions
// to the running program, and evaluates its entry expression on the reducer's machine. Any
// failure gives Z and leaves the global table as it was.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "builtins/convention.h"
#include "builtins/table.h"
#include "cells/integer.h"
#include "cells/text.h"
#include "check/checker.h"
#include "eval/combinators.h"
#include "eval/reducer.h"
#include "front/globals.h"
#include "front/loader.h"

namespace vorn::builtins {

namespace {

using front::Definition;
using front::DefinitionForm;

// The source text a value stands for: a blob's payload, a text's content (pieces joined), or the
// zero-terminated string at an integer address. Nothing for any other kind, and for the null
// address, which holds no string.
std::optional<std::string> sourceOf(Cell* value) {
  switch (cells::valueKind(value)) {
    case 'a': return std::string(cells::blobPayload(value));
    case 'u': return cells::textBytes(CellRef::borrow(value));
    case 'i': {
      std::int64_t address;
      if (!readInteger(value, address) || address == 0) return std::nullopt;
      return std::string(reinterpret_cast<const char*>(static_cast<std::intptr_t>(address)));
    }
    default: return std::nullopt;
  }
}

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

// Reads the source as a program file is read. A definition of a name the running program
// already has is refused, builtins (whose placeholders are globals) and the Prelude included; a
// later definition in the same source replaces an earlier one, as in a program file.
std::optional<LoadedSource> readLoadedSource(std::string_view text) {
  front::SourceReading reading = front::readSource(text);
  if (!reading.report.ok() || isEmptyOperand(reading.entry)) return std::nullopt;
  LoadedSource source;
  source.terms.emplace("", std::move(reading.entry));
  for (Definition& definition : reading.definitions) {
    if (front::findGlobal(definition.name) != nullptr) return std::nullopt;
    CellRef stored = std::move(definition.body);
    if (definition.form == DefinitionForm::kEmptyCall) {
      stored = cells::makePair(CellRef("I"), std::move(stored));
    }
    source.terms.insert_or_assign(definition.name, std::move(stored));
    source.forms.insert_or_assign(std::move(definition.name), definition.form);
  }
  return source;
}

// The definition to store for a checked term: an empty-call term (I body) gives back its body,
// which storing wraps again.
Definition definitionOf(const std::string& name, DefinitionForm form, const CellRef& term) {
  Definition definition{name, form, term};
  if (form == DefinitionForm::kEmptyCall) {
    LIB_ASSERT(cells::isPair(term));
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
bool addDefinitions(const LoadedSource& source) {
  StoredNames stored;
  for (const auto& [name, term] : source.terms) {
    if (name.empty()) continue;
    stored.store(definitionOf(name, source.forms.find(name)->second, term));
  }
  if (check::refuseUnboundLetters(source.terms).ok()) return true;
  stored.undo();
  return false;
}

bool isMarkerAtom(const CellRef& value) {
  if (cells::isPair(value)) return false;
  char first = cells::firstByte(value);
  return first == ')' || first == ']';
}

// Evaluates the entry on a machine of its own. An evaluation that ended early (a cycle or a
// missing name, which the machine gives as a bare marker Atom) ends the caller's evaluation too:
// a marker-headed Pair is how a builtin stops the machine that called it.
CellRef evaluateEntry(CellRef entry) {
  CellRef value = eval::runMachine(cells::makePair(eval::combinators().I, std::move(entry)));
  if (isMarkerAtom(value)) return cells::makePair(value, value);
  return value;
}

}  // namespace

CellRef indexLoad(CellRef node) {
  Args args(node, 1);
  std::optional<std::string> text = sourceOf(args[0]);
  if (!text) return wrongType();
  std::optional<LoadedSource> source = readLoadedSource(*text);
  if (!source) return wrongType();
  if (!check::checkDefinitions(source->terms, &front::globalTable()).ok()) return wrongType();
  if (!addDefinitions(*source)) return wrongType();
  CellRef entry = source->terms.find("")->second;
  source.reset();
  node = CellRef();
  return evaluateEntry(std::move(entry));
}

}  // namespace vorn::builtins
