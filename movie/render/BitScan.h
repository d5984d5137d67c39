// The lowest and highest set bit of a word of sample or slot bits.
#pragma once

#include <cstdint>

namespace Halvane::Movie::Render {

inline int HighestBit(std::uint64_t v) {  // v != 0
#if defined(__GNUC__) || defined(__clang__)
  return 63 - __builtin_clzll(v);
#else
  int n = 0;
  while (v >>= 1) ++n;
  return n;
#endif
}

inline int LowestBit(std::uint64_t v) {  // v != 0
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(v);
#else
  int n = 0;
  while (!(v & 1)) {
    v >>= 1;
    ++n;
  }
  return n;
#endif
}

}  // namespace Halvane::Movie::Render
