// The interactive session's lines. Definitions go in through the run-time loader, so that a line
// is held to exactly the rules of `load`; expressions are evaluated by the reducer and shown with
// showSource, the printed form that reads back as the same term (a text shows as [abc], a real
// as real[...]), which is what one wants to see, copy and type again at a prompt. The diagnostic
// form showValue would write every text as byte codes and every real as "()".
#include "session/interactive.h"

#include <string>
#include <vector>

#include "cells/text.h"
#include "check/checker.h"
#include "front/printer.h"
#include "eval/reducer.h"
#include "front/loader.h"
#include "front/source_text.h"
#include "program/tables.h"
#include "session/source_loading.h"
#include "session/startup.h"
#include "support/interrupt.h"

namespace vorn::session {

namespace {

using cells::CellRef;
using support::ErrorReport;
using Kind = LineOutcome::Kind;

bool isEmptyOperand(const CellRef& term) {
  return !cells::isPair(term) && cells::atomBytes(term) == "}";
}

LineOutcome reportOutcome(ErrorReport report) {
  LineOutcome outcome;
  outcome.kind = Kind::kReport;
  outcome.report = std::move(report);
  return outcome;
}

// An evaluation that stopped early (a cycle, a missing name, an interrupt) leaves the memo marker
// Pair (")" + name, body) of every parameterless definition it was computing in the table; the
// next use would take it for a cycle. Each goes back to its body.
void restoreUnfinishedMemos() {
  program::globals().rewriteAll([](program::Definitions& all) {
    for (auto& [name, definition] : all) {
      if (!cells::isPair(definition)) continue;
      CellRef marker = cells::left(definition);
      if (!cells::isPair(marker) && cells::firstByte(marker) == ')') definition = cells::right(definition);
    }
    return 0;
  });
}

// The memo marker ")" + name as a result: a parameterless definition needed its own value.
bool isCycle(const CellRef& result) { return !cells::isPair(result) && cells::firstByte(result) == ')'; }

std::string showResult(const CellRef& value) {
  // A joined text shows as one text, as it reads.
  if (cells::isPair(value) && cells::isTextClass(value.get())) return front::showSource(cells::flattenText(value));
  return front::showSource(value);
}

LineOutcome evaluateEntry(CellRef entry) {
  LineOutcome outcome;
  CellRef result;
  try {
    result = eval::evaluate(std::move(entry));
  } catch (const support::Interrupted&) {
    restoreUnfinishedMemos();
    outcome.kind = Kind::kInterrupted;
    return outcome;
  }
  restoreUnfinishedMemos();
  if (isCycle(result)) {
    std::string name(cells::atomBytes(result).substr(1));
    return reportOutcome(support::makeReport("Cycle", "Cycle detected on function [" + name + "].", name));
  }
  outcome.kind = Kind::kValue;
  outcome.shown = showResult(result);
  return outcome;
}

// A line whose first piece is a definition (and not a lambda in parentheses, which is an
// expression) only defines; so does a line that starts with a comma, as a program's definitions do.
std::optional<front::Definition> leadingDefinition(std::string_view line, const CellRef& entry) {
  std::string normalised = front::normalise(line);
  if (normalised.empty() || normalised[0] == '(') return std::nullopt;
  return front::readDefinition(entry);
}

LineOutcome addDefinitions(std::vector<front::Definition> definitions) {
  AddOutcome added = addSource(SourceAddition{CellRef(), std::move(definitions)});
  if (!added.report.ok()) return reportOutcome(std::move(added.report));
  LineOutcome outcome;
  outcome.kind = Kind::kDefined;
  return outcome;
}

}  // namespace

ErrorReport startInteractive(std::optional<std::string_view> program) {
  startUp();
  std::string_view text = program.value_or("");
  ErrorReport loaded = front::loadProgram(text);
  if (!loaded.ok()) return loaded;
  // The entry is replaced by one that uses every definition of the program, so that the check
  // covers them all: any of them may be called from a line.
  std::vector<std::string> names;
  for (const front::Definition& definition : front::readSource(text).definitions) {
    names.push_back(definition.name);
  }
  program::globals().define("", entryUsing(names));
  return check::checkProgram();
}

LineOutcome enterLine(std::string_view line) {
  front::SourceReading reading = front::readSource(line);
  if (!reading.validated()) return reportOutcome(std::move(reading.report));
  if (std::optional<front::Definition> first = leadingDefinition(line, reading.entry)) {
    ErrorReport named = front::checkDefinitionName(first->name, 0);
    if (!named.ok()) return reportOutcome(std::move(named));
    if (!reading.report.ok()) return reportOutcome(std::move(reading.report));
    std::vector<front::Definition> definitions;
    definitions.push_back(std::move(*first));
    for (front::Definition& definition : reading.definitions) definitions.push_back(std::move(definition));
    return addDefinitions(std::move(definitions));
  }
  if (!reading.report.ok()) return reportOutcome(std::move(reading.report));
  if (isEmptyOperand(reading.entry)) {
    if (reading.definitions.empty()) return LineOutcome{};
    return addDefinitions(std::move(reading.definitions));
  }
  AddOutcome added = addSource(SourceAddition{std::move(reading.entry), std::move(reading.definitions)});
  if (!added.report.ok()) return reportOutcome(std::move(added.report));
  return evaluateEntry(std::move(added.entry));
}

bool isQuitCommand(std::string_view line) {
  std::size_t begin = line.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return false;
  std::size_t end = line.find_last_not_of(" \t\r\n");
  return line.substr(begin, end - begin + 1) == ":quit";
}

}  // namespace vorn::session
