// The argument readers and result makers that every builtin entry shares.
#include "builtins/convention.h"

#include <cstring>

#include "cells/integer.h"
#include "cells/real.h"
#include "cells/text.h"
#include "support/assert.h"

namespace vorn::builtins {

Args::Args(const CellRef& node, int arity) {
  LIB_ASSERT(arity >= 0 && arity < 8);
  // The last argument hangs off the node itself, each earlier one off the next left descendant.
  Cell* spine = node.get();
  for (int k = arity - 1; k >= 0; --k) {
    args_[k] = cells::rightOf(spine);
    spine = cells::leftOf(spine);
  }
  // The reducer hands an entry its name applied to exactly the arity of its table row, so the
  // spine ends at the name Atom just when the entry reads that many arguments. An entry that
  // reads more stops at the Atom above (rightOf asserts); one that reads fewer is caught here.
  CORE_ASSERT(cells::isAtomCell(spine));
}

// ---- Readers --------------------------------------------------------------------------------

bool readInteger(Cell* value, std::int64_t& out) {
  if (cells::smallDecimal(value, out)) return true;
  CellRef held = CellRef::borrow(value);
  if (!cells::isInteger(held)) return false;
  out = cells::integerToInt64(held);
  return true;
}

bool readNatural(Cell* value, std::int64_t& out) {
  CellRef held = CellRef::borrow(value);
  if (!cells::isNatural(held)) return false;
  out = cells::integerToInt64(held);
  return true;
}

std::int64_t readUncheckedInteger(Cell* value) {
  std::int64_t small = 0;
  if (cells::smallDecimal(value, small)) return small;
  CellRef held = CellRef::borrow(value);
  return cells::isInteger(held) ? cells::integerToInt64(held) : 0;
}

bool readReal(Cell* value, double& out) {
  if (!cells::isRealCell(value)) return false;
  out = cells::realValue(value);
  return true;
}

bool readTruth(Cell* value, bool& out) {
  if (cells::isOneByteAtom(value, 'K')) {
    out = true;
  } else if (cells::isOneByteAtom(value, 'H')) {
    out = false;
  } else {
    return false;
  }
  return true;
}

bool readAddressOrText(Cell* value, PointerView& out) {
  switch (cells::valueKind(value)) {
    case 'i':
      out.address_ = asAddress(cells::integerToInt64(CellRef::borrow(value)));
      return true;
    case 'a':
      out.address_ = const_cast<char*>(cells::blobPayload(value).data());
      return true;
    case 'u':
      if (cells::isAtomCell(value)) {
        out.address_ = cells::atomDataMutable(value);
      } else {
        // A text Pair has no bytes of its own: its joined text lives in the view for the call.
        out.joined_ = std::string(cells::atomBytes(cells::flattenText(CellRef::borrow(value))));
        out.address_ = out.joined_.data();
      }
      return true;
    default:
      return false;
  }
}

// ---- Makers ---------------------------------------------------------------------------------

CellRef signedResult(std::int64_t value) { return cells::makeInteger(value); }
CellRef unsignedResult(std::uint64_t value) { return cells::makeUnsignedInteger(value); }
CellRef addressResult(const void* address) {
  return cells::makeInteger(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(address)));
}
CellRef realResult(double value) { return cells::makeReal(value); }
CellRef truthResult(bool value) { return CellRef(value ? "K" : "H"); }
CellRef doneResult() { return CellRef("I"); }
CellRef wrongType() { return CellRef("Z"); }

}  // namespace vorn::builtins
