// Reading a source into definitions and storing them in the global table.
#include "front/loader.h"

#include <algorithm>

#include "program/tables.h"
#include "front/binder_shapes.h"
#include "front/messages.h"

namespace vorn::front {

using cells::CellRef;

namespace {

constexpr CharSet kComma{","};

// A name the program may not define: a single lowercase letter is a local variable.
bool isSingleLowercase(std::string_view name) {
  return name.size() == 1 && name[0] >= 'a' && name[0] <= 'z';
}

bool isReserved(std::string_view name) {
  return name == "\\" || name == "{" || program::tables().builtins().count(name) != 0;
}

void storeBuiltinPlaceholders() {
  program::GlobalTable& table = program::globals();
  for (const auto& [name, builtin] : program::tables().builtins()) {
    table.define(name, builtinPlaceholder(builtin.arity));
  }
}

}  // namespace

// ---- Reading a source -----------------------------------------------------------------------

SourcePieces::SourcePieces(std::string normalised) : parser_(std::move(normalised)) {
  const BracketedText& source = parser_.source();
  std::vector<std::int64_t> commas = topLevelPositions(source, source.whole(), kComma);
  std::vector<Span> all = segments(source, source.whole(), commas);
  entry_ = all.front();
  pieces_.assign(all.begin() + 1, all.end());
}

std::int64_t SourcePieces::position(std::size_t k) const {
  Span piece = pieces_[k];
  std::int64_t at = piece.begin;
  while (at < piece.end && parser_.source().at(at) == ' ') ++at;
  return at;
}

std::optional<Definition> readDefinition(const CellRef& tree) {
  cells::Cell* root = tree.get();
  if (cells::isAtomCell(root)) return std::nullopt;
  cells::Cell* head = cells::leftOf(root);
  if (cells::isAtomCell(head) || !cells::isOneByteAtom(cells::leftOf(head), '\\')) {
    return std::nullopt;
  }
  cells::Cell* key = cells::rightOf(head);
  Definition definition;
  std::string_view name;
  if (cells::isAtomCell(key)) {
    name = cells::atomBytesOf(key);
  } else if (cells::firstByteOf(cells::rightOf(key)) == '}') {
    // name() parses to (name "}"); a Pair on the left has no text and is no name.
    name = cells::atomBytesOf(cells::leftOf(key));
    definition.form = DefinitionForm::kEmptyCall;
  } else {
    return std::nullopt;
  }
  if (!isName(name)) return std::nullopt;
  definition.name = canonicalName(name);
  definition.body = CellRef::borrow(cells::rightOf(root));
  return definition;
}

support::ErrorReport checkDefinitionName(std::string_view name, std::int64_t position) {
  if (isSingleLowercase(name)) {
    return support::makeReport("Lower", messages::lowerName(name), {}, position);
  }
  if (isReserved(name)) {
    return support::makeReport("Built", messages::builtInName(name), {}, position);
  }
  return {};
}

SourceReading readSource(std::string_view raw) {
  SourceReading reading;
  if (std::optional<BracketFailure> failure = validateBrackets(raw)) {
    reading.report = support::makeReport(failure->text.substr(0, 5), failure->text, {},
                                        failure->position);
    return reading;
  }
  SourcePieces pieces{normalise(raw)};
  reading.entry = pieces.entry();
  reading.definitions.reserve(pieces.count());
  for (std::size_t k = 0; k < pieces.count(); ++k) {
    std::optional<Definition> definition = readDefinition(pieces.parse(k));
    if (!definition) continue;
    reading.report = checkDefinitionName(definition->name, pieces.position(k));
    if (!reading.report.ok()) break;
    reading.definitions.push_back(std::move(*definition));
  }
  return reading;
}

// ---- Storing --------------------------------------------------------------------------------

CellRef storedTerm(Definition definition) {
  if (definition.form == DefinitionForm::kPlain) return std::move(definition.body);
  return cells::makePair(CellRef("I"), std::move(definition.body));
}

void storeTerm(std::string name, DefinitionForm form, CellRef term) {
  if (form == DefinitionForm::kEmptyCall) {
    program::tables().recompute().insert(name);
  } else {
    program::tables().recompute().erase(name);
  }
  program::globals().define(std::move(name), std::move(term));
}

void storeDefinition(Definition definition) {
  std::string name = definition.name;
  DefinitionForm form = definition.form;
  storeTerm(std::move(name), form, storedTerm(std::move(definition)));
}

void storeDefinitions(std::vector<Definition> definitions) {
  // In name order, so that each goes into the table right after the one before instead of
  // searching the whole table: millions of definitions cost a sort of small keys, not a search
  // each. The sort keeps the source order among definitions of one name, so the last still wins.
  struct Key {
    std::uint64_t prefix;  // the first eight bytes, big-endian, zero-padded: orders like the name
    std::size_t index;
  };
  std::vector<Key> keys;
  keys.reserve(definitions.size());
  for (std::size_t k = 0; k < definitions.size(); ++k) {
    std::string_view name = definitions[k].name;
    std::uint64_t prefix = 0;
    for (std::size_t b = 0; b < 8; ++b) {
      prefix = prefix << 8 | (b < name.size() ? static_cast<unsigned char>(name[b]) : 0u);
    }
    keys.push_back(Key{prefix, k});
  }
  std::sort(keys.begin(), keys.end(), [&definitions](const Key& a, const Key& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    int order = definitions[a.index].name.compare(definitions[b.index].name);
    return order != 0 ? order < 0 : a.index < b.index;
  });
  program::GlobalTable& table = program::globals();
  program::RecomputeSet& recompute = program::tables().recompute();
  auto hint = table.first();
  for (const Key& key : keys) {
    Definition& definition = definitions[key.index];
    if (definition.form == DefinitionForm::kEmptyCall) {
      recompute.insert(definition.name);
    } else if (!recompute.empty()) {
      recompute.erase(definition.name);
    }
    std::string name = std::move(definition.name);
    hint = table.define(hint, std::move(name), storedTerm(std::move(definition)));
  }
}

CellRef builtinPlaceholder(int arity) {
  CellRef body("Z");
  for (int k = arity; k-- > 0;) {
    char parameter = static_cast<char>('a' + k);
    body = makeLambda(CellRef(std::string_view(&parameter, 1)), std::move(body));
  }
  return body;
}

support::ErrorReport loadProgram(std::string_view text) {
  SourceReading reading = readSource(text);
  if (!reading.validated()) return reading.report;
  storeBuiltinPlaceholders();
  program::globals().define("", std::move(reading.entry));
  storeDefinitions(std::move(reading.definitions));
  return reading.report;
}

}  // namespace vorn::front
