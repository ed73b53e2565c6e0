// Program loading: turns a source text into the entry and the definitions of the global table,
// with the "Match", "Comma", "Lower" and "Built" reports. Reading a source (validation,
// normalisation, cutting at top-level commas, parsing, the definition rules) is kept apart from
// storing it, so that loading source at run time reads exactly what a program file may hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cells/cell.h"
#include "support/report.h"
#include "front/parser.h"

namespace vorn::front {

// ---- Reading a source -----------------------------------------------------------------------

// A normalised source cut at its top-level commas. The text before the first comma is the entry;
// every piece after a comma is parsed on demand.
class SourcePieces {
 public:
  // `normalised` must pass the bracket validator and be normalised.
  explicit SourcePieces(std::string normalised);

  std::string_view text() const { return parser_.source().text(); }
  cells::CellRef entry() const { return parser_.expression(entry_); }
  std::size_t count() const { return pieces_.size(); }
  cells::CellRef parse(std::size_t k) const { return parser_.expression(pieces_[k]); }
  // Where piece k starts in the normalised text: its first byte other than a space.
  std::int64_t position(std::size_t k) const;

 private:
  Parser parser_;
  Span entry_;
  std::vector<Span> pieces_;
};

// `name\...` is plain; `name()\...` is the empty-call form, recomputed at every use.
enum class DefinitionForm { kPlain, kEmptyCall };

struct Definition {
  std::string name;    // canonical: "[+]" is stored as "+"
  DefinitionForm form = DefinitionForm::kPlain;
  cells::CellRef body;  // what follows the name: the parameter lambdas and the body
};

// The definition a parsed piece ((\ X) B) denotes, with X a name or a name applied to an empty
// call list. Nothing for any other piece: such pieces are skipped without a report.
std::optional<Definition> readDefinition(const cells::CellRef& tree);

// "Lower" for a single lowercase letter, "Built" for "\", "{" and builtin names; otherwise an
// empty report. `position` is where the defining piece starts.
support::ErrorReport checkDefinitionName(std::string_view name, std::int64_t position);

// A source read in full, up to its first failure.
struct SourceReading {
  support::ErrorReport report;  // "Empty", or the first failure
  cells::CellRef entry;        // the entry expression; empty when the brackets were refused
  std::vector<Definition> definitions;  // the accepted definitions, in order
  bool validated() const { return !entry.empty(); }
};

// Validates the raw text ("Match", "Comma"; then nothing else is read), normalises it, parses the
// entry and every definition, and applies the definition rules, stopping at the first rejection
// ("Lower", "Built"). Definitions accepted before a rejection are kept in the reading.
SourceReading readSource(std::string_view raw);

// ---- Storing --------------------------------------------------------------------------------

// The term the global table holds for a definition: a plain one's body as it is, an empty-call
// one's as (I body).
cells::CellRef storedTerm(Definition definition);

// Stores `term`, a definition's stored term, under `name`: in the recompute set for the
// empty-call form, out of it otherwise. A later definition replaces an earlier one of the name.
void storeTerm(std::string name, DefinitionForm form, cells::CellRef term);

// storeTerm of the definition's stored term.
void storeDefinition(Definition definition);
// storeDefinition of each, in order: where a name is defined twice, the later definition stays.
void storeDefinitions(std::vector<Definition> definitions);

// The placeholder of a builtin of the given arity: \a\b...\Z, one lambda per argument.
cells::CellRef builtinPlaceholder(int arity);

// Loads the program: validation, the builtin placeholders, the entry under "" and the
// definitions in order. On "Lower" or "Built" the definitions before it stay stored.
support::ErrorReport loadProgram(std::string_view text);

}  // namespace vorn::front
