// Locating reports in the raw program text. The front end's positions are raw offsets already
// ("Match", "Comma"); "Lower" and "Built" count in the normalised text, and the checker's reports
// name definitions. Both are found through the top-level commas: normalising drops and folds
// blanks only, so the k-th top-level comma of the normalised text is the k-th of the raw text, and
// the piece after it is the same definition in both.
#include "session/report_source.h"

#include <algorithm>
#include <optional>

#include "cells/cell.h"
#include "front/loader.h"
#include "front/source_text.h"
#include "program/tables.h"
#include "support/report.h"

namespace vorn::session {

namespace {

using support::ErrorReport;

constexpr front::CharSet kComma{","};

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The position written as five base-64 digits in a message, after `marker`.
std::optional<std::int64_t> decodePosition(std::string_view message, std::string_view marker) {
  std::size_t at = message.find(marker);
  if (at == std::string_view::npos || at + marker.size() + 5 > message.size()) return std::nullopt;
  std::int64_t value = 0;
  for (char digit : message.substr(at + marker.size(), 5)) {
    std::size_t d = cells::kDigits64.find(digit);
    if (d == std::string_view::npos) return std::nullopt;
    value = value * 64 + static_cast<std::int64_t>(d);
  }
  return value;
}

std::string nameDefinedBy(const cells::CellRef& tree) {
  std::optional<front::Definition> definition = front::readDefinition(tree);
  return definition ? definition->name : std::string();
}

// The raw text cut at its top-level commas, with the name each piece defines. Piece -1 is the
// text before the first comma: a program's entry, or the first definition of a line typed in the
// interactive session. Only for a text whose brackets pass the validator, as the text of every
// report after loading's first step does.
class DefinitionLayout {
 public:
  explicit DefinitionLayout(std::string_view raw) : raw_(raw), pieces_(front::normalise(raw)) {
    front::BracketedText bracketed{std::string(raw)};
    commas_ = front::topLevelPositions(bracketed, bracketed.whole(), kComma);
    names_.push_back(nameDefinedBy(pieces_.entry()));
    for (std::size_t k = 0; k < pieces_.count(); ++k) names_.push_back(nameDefinedBy(pieces_.parse(k)));
  }

  // False when the two texts do not cut alike, which would mean the layout cannot be trusted.
  bool consistent() const { return commas_.size() == pieces_.count(); }

  // The piece that defines `name` last (a later definition replaces an earlier one).
  std::optional<std::int64_t> pieceDefining(std::string_view name) const {
    for (std::size_t k = names_.size(); k-- > 0;) {
      if (names_[k] == name) return static_cast<std::int64_t>(k) - 1;
    }
    return std::nullopt;
  }

  // The piece whose start in the normalised text is `position`.
  std::optional<std::int64_t> pieceAtNormalised(std::int64_t position) const {
    if (position == 0) return -1;
    for (std::size_t k = 0; k < pieces_.count(); ++k) {
      if (pieces_.position(k) == position) return static_cast<std::int64_t>(k);
    }
    return std::nullopt;
  }

  // Where the piece starts: its first byte that is not blank.
  std::optional<std::int64_t> pieceStart(std::int64_t k) const {
    std::int64_t from = k < 0 ? 0 : commas_[static_cast<std::size_t>(k)] + 1;
    return firstNonBlank(from, pieceEnd(k));
  }

  // Just past the piece: the next top-level comma or the end.
  std::int64_t pieceEnd(std::int64_t k) const {
    auto next = static_cast<std::size_t>(k + 1);
    return next < commas_.size() ? commas_[next] : static_cast<std::int64_t>(raw_.size());
  }

 private:
  std::optional<std::int64_t> firstNonBlank(std::int64_t from, std::int64_t end) const {
    for (std::int64_t at = from; at < end; ++at) {
      if (!front::isBlank(raw_[static_cast<std::size_t>(at)])) return at;
    }
    return std::nullopt;
  }

  std::string_view raw_;
  front::SourcePieces pieces_;
  std::vector<std::int64_t> commas_;
  std::vector<std::string> names_;
};

bool isWordByte(char c) { return front::isLowerOrUnderscore(c); }

// The first place in [begin, end) where `name` is written as a name of its own: outside text
// literals and, for a word, not inside a longer word.
std::optional<std::int64_t> findUse(std::string_view raw, std::int64_t begin, std::int64_t end,
                                    std::string_view name) {
  if (name.empty()) return std::nullopt;
  bool word = isWordByte(name[0]);
  int literalDepth = 0;
  for (std::int64_t at = begin; at < end; ++at) {
    char c = raw[static_cast<std::size_t>(at)];
    if (c == '[') {
      ++literalDepth;
      continue;
    }
    if (c == ']' && literalDepth > 0) {
      --literalDepth;
      continue;
    }
    if (literalDepth > 0) continue;
    auto n = static_cast<std::int64_t>(name.size());
    if (at + n > end || raw.substr(static_cast<std::size_t>(at), name.size()) != name) continue;
    if (word && at > begin && isWordByte(raw[static_cast<std::size_t>(at - 1)])) continue;
    if (word && at + n < end && isWordByte(raw[static_cast<std::size_t>(at + n)])) continue;
    return at;
  }
  return std::nullopt;
}

// The definition a checker report is about: its name, or "" for the entry.
std::optional<std::string> namedDefinition(const ErrorReport& report) {
  const std::string& type = report.type;
  if (type == "Place" || type == "Arity" || type == "Local" || type == "Cycle" || type == "Twice") {
    return report.name;
  }
  if (type == "Funky") {
    // "... in function NAME." names a definition; a name holds no space.
    std::string_view message = report.message;
    std::size_t at = message.rfind(" in function ");
    if (at == std::string_view::npos || message.back() != '.') return std::string();
    std::string_view name = message.substr(at + 13, message.size() - at - 14);
    if (name.empty() || name.find(' ') != std::string_view::npos) return std::string();
    return std::string(name);
  }
  return std::nullopt;
}

std::vector<SourcePoint> definitionPoint(const DefinitionLayout& layout, const std::string& name,
                                         std::string_view what = " is defined here") {
  if (name.empty()) {
    if (std::optional<std::int64_t> start = layout.pieceStart(-1)) return {{*start, "the entry starts here"}};
    return {};
  }
  std::optional<std::int64_t> piece = layout.pieceDefining(name);
  if (!piece) return {};
  if (std::optional<std::int64_t> start = layout.pieceStart(*piece)) {
    return {{*start, "[" + name + "]" + std::string(what)}};
  }
  return {};
}

// "Alive function [REFERRER] references undefined [MISSING]."
std::vector<SourcePoint> alivePoints(const DefinitionLayout& layout, std::string_view raw,
                                     const ErrorReport& report) {
  constexpr std::string_view kOpen = "Alive function [";
  constexpr std::string_view kMiddle = "] references undefined [";
  std::string_view message = report.message;
  std::size_t middle = message.find(kMiddle);
  if (!startsWith(message, kOpen) || middle == std::string_view::npos) return {};
  std::string referrer(message.substr(kOpen.size(), middle - kOpen.size()));
  if (referrer == "TOP") referrer.clear();
  std::string missing = missingName(report);
  std::optional<std::int64_t> begin;
  std::int64_t end = 0;
  std::optional<std::int64_t> piece = referrer.empty() ? -1 : layout.pieceDefining(referrer);
  if (piece) {
    begin = layout.pieceStart(*piece);
    end = layout.pieceEnd(*piece);
  }
  if (!begin) return {};
  std::string where = referrer.empty() ? "the entry" : "[" + referrer + "]";
  if (std::optional<std::int64_t> use = findUse(raw, *begin, end, missing)) {
    return {{*use, "[" + missing + "] is used here, in " + where}};
  }
  return definitionPoint(layout, referrer);
}

std::vector<SourcePoint> bracketPoints(const ErrorReport& report, std::string_view raw) {
  auto size = static_cast<std::int64_t>(raw.size());
  if (report.position < 0 || report.position >= size) return {};
  std::string_view message = report.message;
  if (report.type == "Comma") return {{report.position, "the comma"}};
  if (message.find("Left dangling") != std::string_view::npos) {
    return {{report.position, "the closing bracket"}};
  }
  if (message.find("Right dangling") != std::string_view::npos) {
    return {{report.position, "the bracket left open"}};
  }
  std::vector<SourcePoint> points{{report.position, "the opening bracket"}};
  std::optional<std::int64_t> closing = decodePosition(message, "' at [");
  if (closing && *closing >= 0 && *closing < size) points.push_back({*closing, "the closing bracket"});
  return points;
}

// Optimal string alignment distance: insertions, deletions, substitutions and swaps of two
// neighbours each count one.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::size_t n = a.size();
  std::size_t m = b.size();
  std::vector<std::vector<std::size_t>> d(n + 1, std::vector<std::size_t>(m + 1));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= n; ++i) {
    for (std::size_t j = 1; j <= m; ++j) {
      std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

}  // namespace

std::string missingName(const ErrorReport& report) {
  if (report.type != "Alive") return {};
  return support::exchangeNulNewline(report.name);
}

std::vector<SourcePoint> reportPoints(const ErrorReport& report, std::string_view text) {
  if (report.type == "Match" || report.type == "Comma") return bracketPoints(report, text);
  bool lowerOrBuilt = report.type == "Lower" || report.type == "Built";
  std::optional<std::string> named = namedDefinition(report);
  if (!lowerOrBuilt && !named && report.type != "Alive") return {};
  if (front::validateBrackets(text)) return {};
  DefinitionLayout layout(text);
  if (!layout.consistent()) return {};
  if (lowerOrBuilt) {
    std::optional<std::int64_t> piece = layout.pieceAtNormalised(report.position);
    if (!piece) return {};
    if (std::optional<std::int64_t> start = layout.pieceStart(*piece)) {
      return {{*start, "the definition"}};
    }
    return {};
  }
  if (report.type == "Twice") return definitionPoint(layout, *named, " is defined again here");
  if (named) return definitionPoint(layout, *named);
  return alivePoints(layout, text, report);
}

std::vector<std::string> namesLike(std::string_view name, std::size_t most) {
  if (name.size() < 2) return {};
  std::size_t limit = name.size() <= 4 ? 1 : name.size() <= 8 ? 2 : 3;
  std::vector<std::pair<std::size_t, std::string>> close;
  for (const auto& [candidate, definition] : program::globals().all()) {
    if (candidate.empty() || candidate == name) continue;
    // Cheap bound first: the lengths alone may already differ by too much.
    std::size_t gap = candidate.size() > name.size() ? candidate.size() - name.size()
                                                     : name.size() - candidate.size();
    if (gap > limit) continue;
    std::size_t distance = editDistance(name, candidate);
    if (distance <= limit) close.emplace_back(distance, candidate);
  }
  std::sort(close.begin(), close.end());
  std::vector<std::string> names;
  for (std::size_t i = 0; i < close.size() && i < most; ++i) {
    // Only the closest: a name one edit away is a better guess than any two edits away.
    if (close[i].first != close.front().first) break;
    names.push_back(close[i].second);
  }
  return names;
}

}  // namespace vorn::session
