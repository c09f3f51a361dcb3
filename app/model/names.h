// names.h - comparing names: bytes, with case folded for ASCII letters only.
#ifndef APP_MODEL_NAMES_H
#define APP_MODEL_NAMES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavlor {

inline unsigned char foldCase(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

// foldCase of each of the eight bytes of word at once.
inline std::uint64_t foldCase8(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  const std::uint64_t low7 = word & ~kHigh;
  // Per byte, the high bit says: at least 'a', above 'z', and a byte below 0x80.
  const std::uint64_t fromA = low7 + (0x80 - 'a') * kOnes;
  const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t lower = fromA & ~pastZ & ~word & kHigh;
  return word - (lower >> 2); // 0x80 >> 2 is the 0x20 between the cases
}

inline bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// <0, 0, >0 like strcmp, on ASCII-folded unsigned bytes; a prefix sorts first.
inline int compareIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = foldCase(static_cast<unsigned char>(a[i]));
    const int cb = foldCase(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace tavlor

#endif // APP_MODEL_NAMES_H
