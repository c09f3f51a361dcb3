#include "tools/match_mask.h"

#include <cstddef>

#include "model/names.h"

namespace tavlor {

namespace {

struct Exact {
  static unsigned char at(std::string_view s, std::ptrdiff_t i) { return static_cast<unsigned char>(s[i]); }
};
struct Folded {
  static unsigned char at(std::string_view s, std::ptrdiff_t i) { return foldCase(static_cast<unsigned char>(s[i])); }
};

template <typename Name> bool match(std::string_view mask, std::string_view name) {
  if (mask.size() == name.size()) {
    std::size_t k = 0;
    while (k < mask.size() && static_cast<unsigned char>(mask[k]) == Name::at(name, static_cast<std::ptrdiff_t>(k)))
      ++k;
    if (k == mask.size()) return true;
  }
  if (mask.empty()) return true;
  const std::ptrdiff_t m = static_cast<std::ptrdiff_t>(mask.size());
  const std::ptrdiff_t t = static_cast<std::ptrdiff_t>(name.size());
  std::ptrdiff_t p = 0, i = 0;
  for (;;) {
    const char c = mask[p];
    if (c == '*') {
      if (p == m - 1) return true;
      std::ptrdiff_t n = 0;
      while (p + 1 + n < m && mask[p + 1 + n] != '*' && mask[p + 1 + n] != '?')
        ++n;
      // The last occurrence of the run at or after i wins; nothing is retried later.
      // A run that ends the mask can only match where it ends the name too (an
      // earlier occurrence would leave name characters over), so only that place is
      // tried: the same answer without scanning every name ("*.JPG").
      const std::ptrdiff_t lowest = p + 1 + n == m ? t - n : i;
      std::ptrdiff_t j = t - n;
      for (; j >= i && j >= lowest; --j) {
        std::ptrdiff_t k = 0;
        while (k < n && static_cast<unsigned char>(mask[p + 1 + k]) == Name::at(name, j + k))
          ++k;
        if (k == n) break;
      }
      if (j < i || j < lowest) return false;
      i = j + n - 1;
      p += n;
    } else if (i >= t) {
      // Only an empty name gets here: there is no character for c to match.
      return false;
    } else if (c != '?' && static_cast<unsigned char>(c) != Name::at(name, i)) {
      return false;
    }
    ++p;
    ++i;
    if (p == m && i == t) return true;
    if (i == t || p == m) return false;
  }
}

} // namespace

bool matchMask(std::string_view mask, std::string_view name) {
  return match<Exact>(mask, name);
}

bool matchMaskFolded(std::string_view upperMask, std::string_view name) {
  return match<Folded>(upperMask, name);
}

std::string upperCased(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
  return out;
}

} // namespace tavlor
