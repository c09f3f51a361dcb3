#include "model/name_text.h"

#include <cstdint>
#include <cstring>

namespace tavlor {

namespace {

const char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string &out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes the code point at i of valid UTF-8 and moves i past it.
char32_t nextCodePoint(std::string_view s, std::size_t &i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const int follow = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
  char32_t cp = follow == 0 ? c : follow == 1 ? (c & 0x1F) : follow == 2 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k <= follow; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  i += static_cast<std::size_t>(follow) + 1;
  return cp;
}

struct Range {
  char32_t first, last;
};

template <std::size_t N> bool inRanges(char32_t cp, const Range (&ranges)[N]) {
  for (const Range &r : ranges)
    if (cp >= r.first && cp <= r.last) return true;
  return false;
}

// The common combining blocks and zero-width characters: enough for the accents and
// marks names carry, without a full character database.
const Range kZeroWidth[] = {{0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},  {0x064B, 0x065F},
                            {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF},  {0x1DC0, 0x1DFF},
                            {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF},  {0x3099, 0x309A},
                            {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF}};
const Range kWide[] = {{0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},  {0x3400, 0x4DBF},
                       {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},  {0xF900, 0xFAFF},
                       {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},  {0x1F300, 0x1F64F},
                       {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

} // namespace

bool isAsciiText(std::string_view bytes) {
  // Names and paths are tested once per line of a report: whole words only, the last
  // one overlapping the one before, and one test at the end.
  const char *p = bytes.data();
  const std::size_t n = bytes.size();
  if (n >= 8) {
    std::uint64_t any = 0, word;
    for (std::size_t at = 0; at + 8 <= n; at += 8) {
      std::memcpy(&word, p + at, 8);
      any |= word;
    }
    std::memcpy(&word, p + n - 8, 8);
    return !((any | word) & 0x8080808080808080ull);
  }
  if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, p, 4);
    std::memcpy(&tail, p + n - 4, 4);
    return !((head | tail) & 0x80808080u);
  }
  return n == 0 || !((static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) |
                      static_cast<unsigned char>(p[n - 1])) & 0x80);
}

bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += n + 1;
  }
  return true;
}

char32_t windows1252CodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh1252[byte - 0x80] : byte;
}

std::string displayUtf8(std::string_view bytes) {
  if (isValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes)
    appendUtf8(out, windows1252CodePoint(c));
  return out;
}

std::string displayUtf8Path(std::string_view path) {
  if (isValidUtf8(path)) return std::string(path);
  std::string out;
  for (;;) {
    const std::size_t slash = path.find('/');
    out += displayUtf8(path.substr(0, slash));
    if (slash == std::string_view::npos) return out;
    out.push_back('/');
    path.remove_prefix(slash + 1);
  }
}

std::size_t displayColumns(std::string_view bytes) {
  if (isAsciiText(bytes) || !isValidUtf8(bytes)) return bytes.size();
  std::size_t columns = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const char32_t cp = nextCodePoint(bytes, i);
    columns += inRanges(cp, kZeroWidth) ? 0 : inRanges(cp, kWide) ? 2 : 1;
  }
  return columns;
}

} // namespace tavlor
