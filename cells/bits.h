// Small operations on bit strings (bit i is bit i mod 8 of byte i div 8), shared by the number
// conversions, the reducer's number rule and the indexed primitives.
#pragma once

#include <bit>
#include <cstddef>
#include <string>

namespace vorn::cells {

inline constexpr std::size_t kNoBit = static_cast<std::size_t>(-1);

inline bool bitAt(const std::string& bits, std::size_t i) {
  return i / 8 < bits.size() && ((static_cast<unsigned char>(bits[i / 8]) >> (i % 8)) & 1) != 0;
}

inline void setBitTo(std::string& bits, std::size_t i, bool on) {
  if (i / 8 >= bits.size()) {
    if (!on) return;
    bits.resize(i / 8 + 1, '\0');
  }
  auto byte = static_cast<unsigned char>(bits[i / 8]);
  auto mask = static_cast<unsigned char>(1u << (i % 8));
  bits[i / 8] = static_cast<char>(on ? (byte | mask) : (byte & ~mask));
}

// Index of the highest set bit (the end marker), or kNoBit when no bit is set.
inline std::size_t highestBit(const std::string& bits) {
  for (std::size_t i = bits.size(); i-- > 0;) {
    auto byte = static_cast<unsigned char>(bits[i]);
    if (byte != 0) return 8 * i + static_cast<std::size_t>(std::bit_width(byte)) - 1;
  }
  return kNoBit;
}

}  // namespace vorn::cells
