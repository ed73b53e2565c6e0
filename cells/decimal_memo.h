// The values of the few long decimal texts converted most recently, in either direction, so that
// a number that one builtin writes and the next one reads is converted once, not twice. An entry
// is found by its digits alone, compared byte for byte, so it can never be stale: a text means the
// same value wherever it lies and whatever became of the Atom it was read from.
#pragma once

#include <cstddef>
#include <string_view>

#include "cells/bignum.h"

namespace vorn::cells {

// Shorter texts are read faster than they are compared and copied; longer ones would make the
// memo hold too much memory (a copy of the text and of the value per entry).
inline constexpr std::size_t kMemoMinDigits = 64;
inline constexpr std::size_t kMemoMaxDigits = std::size_t{1} << 20;

// The non-negative value of `digits` (no leading zeros) when it is remembered, else nullptr. The
// pointer stays valid until the next rememberDecimal.
const BigInt* recallDecimal(std::string_view digits);

// Remembers that `digits` (no leading zeros) write the non-negative `magnitude`, in place of the
// oldest entry. Texts outside kMemoMinDigits..kMemoMaxDigits are not remembered.
void rememberDecimal(std::string_view digits, const BigInt& magnitude);

// Forgets every entry (for tests that must see a conversion happen).
void forgetDecimals();

}  // namespace vorn::cells
