// The run target's bound on the work done inside builtin calls. The run budget counts the
// machine's steps and the bytes of live Cells, but one builtin call can do work out of all
// proportion to either: comparing or printing a tree whose subtrees are shared visits every
// path (2^40 nodes from 40 Cells), a product or a power of large numbers takes seconds, and a
// bit list of a 2 MiB text is 17 million elements. Those are programs asking for a great deal,
// not faults, so the run target prices every allowed builtin call before it starts and spends
// the price from the run budget's work, which ends the run when it cannot pay.
//
// The price is an upper bound in "units" of about one visited node or eight bytes: the arguments
// as fully expanded trees, times the size of the other operand for the products and divisions,
// the estimated result for powers, bit lists and far bits. Guarding happens before the builtin
// runs, where the caller holds nothing but owned references, so unwinding frees everything.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "builtins/convention.h"
#include "cells/cell.h"
#include "support/config.h"

namespace vorn::fuzz {

// How a builtin's cost grows with its arguments.
enum class Cost : std::uint8_t {
  Constant,  // looks at the top of its arguments only (left, rght, leaf, type, raws)
  Linear,    // walks its arguments once
  Product,   // multiplies or divides: the sizes of its two arguments multiplied
  Power,     // the result's size is the base's times the exponent
  Bits,      // one list element per bit of its argument
  FarBit,    // writes a bit at an index of its choosing
};

// Units for one Atom: a node plus a unit per eight bytes.
inline std::int64_t atomUnits(const cells::Cell* atom) {
  return 1 + static_cast<std::int64_t>(cells::atomSizeOf(atom) / 8);
}

// The units of `value` as a fully expanded tree, counting no further than `cap`.
inline std::int64_t expandedUnits(cells::Cell* value, std::int64_t cap) {
  std::int64_t units = 0;
  std::vector<cells::Cell*> pending{value};
  while (!pending.empty() && units <= cap) {
    cells::Cell* c = pending.back();
    pending.pop_back();
    if (cells::isAtomCell(c)) {
      units += atomUnits(c);
    } else {
      units += 1;
      pending.push_back(cells::rightOf(c));
      pending.push_back(cells::leftOf(c));
    }
  }
  return units;
}

// a * b, saturating at `cap`.
inline std::int64_t boundedProduct(std::int64_t a, std::int64_t b, std::int64_t cap) {
  if (a != 0 && b > cap / a) return cap + 1;
  return std::min(a * b, cap + 1);
}

// |value| when it is an integer, else 0 (a real or anything else costs nothing extra).
inline std::int64_t magnitude(cells::Cell* value) {
  std::int64_t out = 0;
  if (!builtins::readInteger(value, out)) return 0;
  if (out == INT64_MIN) return INT64_MAX;
  return std::llabs(out);
}

inline std::int64_t priceOf(Cost cost, const builtins::Args& args, int arity) {
  // Prices past the work left all end the run alike; bounding them keeps the sums in range
  // (the work is unlimited, INT64_MAX, outside a run).
  const std::int64_t cap = std::min(support::budgetWork, std::int64_t{1} << 50);
  if (cost == Cost::Constant) return 1;
  std::int64_t sizes[8] = {};
  std::int64_t total = 0;
  for (int i = 0; i < arity && total <= cap; ++i) {
    sizes[i] = expandedUnits(args[i], cap);
    total += sizes[i];
  }
  switch (cost) {
    case Cost::Product:
      return total + boundedProduct(sizes[0], sizes[1], cap);
    case Cost::Power: {
      // As many bytes as the base's times the exponent; priced as squaring that result.
      std::int64_t baseBytes = cells::isAtomCell(args[0])
                                   ? static_cast<std::int64_t>(cells::atomSizeOf(args[0]))
                                   : 8 * sizes[0];
      std::int64_t result = 1 + boundedProduct(baseBytes, magnitude(args[1]), 8 * cap) / 8;
      return total + boundedProduct(result, result, cap);
    }
    case Cost::Bits:  // two Pairs per bit, 64 bits per unit
      return total + boundedProduct(sizes[0], 2 * 64, cap);
    case Cost::FarBit:
      return total + magnitude(args[0]) / 64;
    default:
      return total;
  }
}

// Pays for one call or ends the run.
inline void payFor(Cost cost, const cells::CellRef& node, int arity) {
  support::spendWork(priceOf(cost, builtins::Args(node, arity), arity));
}

}  // namespace vorn::fuzz
