// Source loading at run time. Builtins defined here: load.
// load hands the source to the session's loader, which reads and checks it exactly as a program
// file is read and checked and adds its named definitions to the running program; the entry it
// gives back is then evaluated by the calling machine in load's place. Any refusal gives Z and
// leaves the global table as it was.
#include "builtins/load.h"

#include <optional>
#include <string>

#include "builtins/convention.h"
#include "builtins/fault_guard.h"
#include "builtins/table.h"
#include "cells/integer.h"
#include "cells/text.h"
#include "eval/reducer.h"

namespace vorn::builtins {

namespace {

SourceLoader gLoader = nullptr;

// The source text a value stands for: a blob's payload, a text's content (pieces joined), or the
// zero-terminated string at an integer address (probed first). Nothing for any other kind, and for the null
// address, which holds no string.
std::optional<std::string> sourceOf(Cell* value) {
  switch (cells::valueKind(value)) {
    case 'a': return std::string(cells::blobPayload(value));
    case 'u': return cells::textBytes(CellRef::borrow(value));
    case 'i': {
      std::int64_t address;
      if (!readInteger(value, address) || address == 0) return std::nullopt;
      const char* string = asAddress(address);
      // A wild address ends the run with a Fault report naming load, not with a crash.
      probeString("load", string);
      return std::string(string);
    }
    default: return std::nullopt;
  }
}

}  // namespace

void installSourceLoader(SourceLoader loader) { gLoader = loader; }

// The entry is evaluated on the calling machine, behind a barrier that makes it behave as on a
// machine of its own: a load inside loaded code nests no native frames, and a cycle or a missing
// name inside it ends the run just as it would in the program file.
CellRef indexLoad(CellRef node) {
  Args args(node, 1);
  if (gLoader == nullptr) return wrongType();
  std::optional<std::string> text = sourceOf(args[0]);
  if (!text) return wrongType();
  std::optional<CellRef> entry = gLoader(*text);
  if (!entry) return wrongType();
  node = CellRef();
  return eval::evaluateInPlace(std::move(*entry));
}

}  // namespace vorn::builtins
