#include "settings/settings_file.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace settings {

namespace {

constexpr std::size_t kMaxFileBytes = 1 << 20; // a settings file is a few hundred bytes

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isSpace(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back()))
    s.remove_suffix(1);
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// UTF-8 to UTF-16 code units, each malformed sequence becoming U+FFFD.
void appendUtf8(std::u16string &out, std::string_view in) {
  for (std::size_t i = 0; i < in.size();) {
    const auto c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      out += char16_t(c);
      ++i;
      continue;
    }
    const int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xC2 && c <= 0xDF ? 1 : -1;
    char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
    bool ok = extra > 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + k >= in.size() || (static_cast<unsigned char>(in[i + k]) & 0xC0) != 0x80)
        ok = false;
      else
        cp = (cp << 6) | (static_cast<unsigned char>(in[i + k]) & 0x3F);
    }
    if (ok && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
               (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))))
      ok = false;
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
}

std::string toUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// One logical line from pos: leading blanks skipped, a newline inside quotes or after a
// backslash continues it, an unquoted ';' ends it (a line that starts with ';' is a
// comment). Returns the line and where its first unquoted '=' is (npos when none).
struct IniLine {
  std::string_view text;
  std::size_t equals = std::string_view::npos;
};

bool readLine(std::string_view data, std::size_t &pos, IniLine &line) {
  std::size_t start = pos;
  while (start < data.size() && isSpace(data[start]))
    ++start;
  std::size_t i = start;
  bool inQuotes = false;
  line.equals = std::string_view::npos;
  while (i < data.size()) {
    const char ch = data[i++];
    if (ch == '=') {
      if (!inQuotes && line.equals == std::string_view::npos) line.equals = i - 1 - start;
    } else if (ch == '\n' || ch == '\r') {
      if (i == start + 1) {
        ++start;
      } else if (!inQuotes) {
        --i;
        break;
      }
    } else if (ch == '\\') {
      if (i < data.size()) {
        const char next = data[i++];
        if (i < data.size() && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n'))) ++i;
      }
    } else if (ch == '"') {
      inQuotes = !inQuotes;
    } else if (ch == ';') {
      if (i == start + 1) {
        while (i < data.size() && data[i] != '\n' && data[i] != '\r')
          ++i;
        while (i < data.size() && (data[i] == '\n' || data[i] == '\r'))
          ++i;
        start = i;
        line.equals = std::string_view::npos;
      } else if (!inQuotes) {
        --i;
        break;
      }
    }
  }
  pos = i;
  line.text = data.substr(start, i - start);
  return !line.text.empty();
}

// A key as stored: "%XX" and "%UXXXX" are escaped characters, a backslash is a '/'.
std::string unescapedKey(std::string_view key) {
  std::u16string out;
  for (std::size_t i = 0; i < key.size();) {
    if (key[i] == '%' && i + 6 <= key.size() && key[i + 1] == 'U') {
      int v = 0;
      bool ok = true;
      for (std::size_t k = 2; k < 6; ++k) {
        const int d = hexDigit(key[i + k]);
        ok = ok && d >= 0;
        v = v * 16 + d;
      }
      if (ok) {
        out += char16_t(v);
        i += 6;
        continue;
      }
    }
    if (key[i] == '%' && i + 3 <= key.size() && hexDigit(key[i + 1]) >= 0 && hexDigit(key[i + 2]) >= 0) {
      out += char16_t(hexDigit(key[i + 1]) * 16 + hexDigit(key[i + 2]));
      i += 3;
      continue;
    }
    if (key[i] == '\\') {
      out += u'/';
      ++i;
      continue;
    }
    const std::size_t start = i++;
    while (i < key.size() && key[i] != '%' && key[i] != '\\')
      ++i;
    appendUtf8(out, key.substr(start, i - start));
  }
  return toUtf8(out);
}

// Drops trailing blanks, but none before `limit` (escaped characters stay).
void chopBlanks(std::u16string &s, std::size_t limit) {
  while (s.size() > limit && (s.back() == u' ' || s.back() == u'\t'))
    s.pop_back();
}

// A stored value: quotes group, backslash escapes, unquoted commas separate the parts
// of a list. Returns whether it is a list; `text` holds the value when it is not.
bool unescapedValue(std::string_view in, std::u16string &text) {
  bool isList = false, inQuotes = false, quoted = false;
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < in.size() && isBlank(in[i]))
      ++i;
  };
  skipBlanks();
  std::size_t chopLimit = 0;
  while (i < in.size()) {
    const char ch = in[i];
    if (ch == '\\') {
      if (++i >= in.size()) return isList; // a trailing backslash keeps the blanks before it
      const char code = in[i++];
      static constexpr std::string_view from = "abfnrtv\"?'\\", to = "\a\b\f\n\r\t\v\"?'\\";
      if (const std::size_t k = from.find(code); k != std::string_view::npos) {
        text += char16_t(to[k]);
      } else if (code == 'x' || (code >= '0' && code <= '7')) {
        const int base = code == 'x' ? 16 : 8;
        char16_t value = code == 'x' ? 0 : char16_t(code - '0');
        if (code == 'x' && i >= in.size()) return isList;
        if (code == 'x' && hexDigit(in[i]) < 0) {
          chopLimit = text.size();
          continue; // "\x" without digits stands for nothing
        }
        while (i < in.size()) {
          const int d = base == 16 ? hexDigit(in[i]) : (in[i] >= '0' && in[i] <= '7' ? in[i] - '0' : -1);
          if (d < 0) break;
          value = char16_t(value * base + d);
          ++i;
        }
        text += value;
      } else if (code == '\n' || code == '\r') {
        if (i < in.size() && (in[i] == '\n' || in[i] == '\r') && in[i] != code) ++i;
      }
      chopLimit = text.size();
    } else if (ch == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipBlanks();
    } else if (ch == ',' && !inQuotes) {
      isList = true;
      text.clear();
      quoted = false;
      ++i;
      skipBlanks();
      chopLimit = 0;
    } else {
      std::size_t j = i + 1;
      while (j < in.size() && in[j] != '\\' && in[j] != '"' && in[j] != ',')
        ++j;
      appendUtf8(text, in.substr(i, j - i));
      i = j;
    }
  }
  if (!quoted) chopBlanks(text, chopLimit);
  return isList;
}

std::optional<std::string> readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char chunk[4096];
  while (text.size() < kMaxFileBytes && in.read(chunk, sizeof chunk).gcount() > 0)
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  return text;
}

} // namespace

std::vector<std::string> settingsFiles() {
  std::string home;
  if (const char *config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    home = config;
  } else {
    const char *h = std::getenv("HOME");
    home = std::string(h && *h ? h : "") + "/.config";
  }
  std::vector<std::string> folders{home};
  const char *dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string_view rest = dirs && *dirs ? dirs : "/etc/xdg";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    if (!dir.empty()) folders.emplace_back(dir);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  std::vector<std::string> files;
  for (const std::string &folder : folders) {
    files.push_back(folder + "/Quorvale/Tavlor.conf");
    files.push_back(folder + "/Quorvale.conf");
  }
  return files;
}

std::optional<std::string> iniTextValue(std::string_view ini, std::string_view name) {
  if (ini.substr(0, 3) == "\xEF\xBB\xBF") ini.remove_prefix(3);
  std::optional<std::string_view> raw; // the last assignment of the key wins
  bool topLevel = true;
  std::size_t pos = 0;
  IniLine line;
  while (readLine(ini, pos, line)) {
    if (line.text.front() == '[') {
      const std::size_t close = line.text.find(']');
      const std::string_view section =
          trimmed(line.text.substr(1, close == std::string_view::npos ? line.text.size() - 1 : close - 1));
      topLevel = equalsIgnoringCase(section, "general");
      continue;
    }
    if (!topLevel || line.equals == std::string_view::npos) continue;
    if (unescapedKey(trimmed(line.text.substr(0, line.equals))) == name) raw = line.text.substr(line.equals + 1);
  }
  if (!raw) return std::nullopt;
  std::u16string text;
  if (unescapedValue(*raw, text)) return std::string(); // a list reads as an empty text
  std::string value = toUtf8(text);
  if (value.empty() || value.front() != '@') return value;
  const std::string_view v = value;
  if (v.back() == ')') {
    if (v.substr(0, 8) == "@String(") return std::string(v.substr(8, v.size() - 9));
    if (v.substr(0, 11) == "@ByteArray(") {
      // The bytes are the text's characters; read back as UTF-8.
      std::u16string units = text.substr(11, text.size() - 12), bytes;
      std::string raw8;
      for (char16_t u : units)
        raw8 += char(u & 0xFF);
      appendUtf8(bytes, raw8);
      return toUtf8(bytes);
    }
    for (std::string_view typed : {"@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point("})
      if (v.substr(0, typed.size()) == typed) return std::nullopt;
    if (v == "@Invalid()") return std::nullopt;
  }
  if (v.substr(0, 2) == "@@") return value.substr(1);
  return value;
}

std::optional<std::string> storedTextValue(std::string_view name) {
  for (const std::string &file : settingsFiles()) {
    const std::optional<std::string> text = readFile(file);
    if (!text) continue;
    if (std::optional<std::string> value = iniTextValue(*text, name)) return value;
  }
  return std::nullopt;
}

std::optional<std::int32_t> storedNumberValue(std::string_view name) {
  const std::optional<std::string> value = storedTextValue(name);
  if (!value) return std::nullopt;
  std::string_view text = trimmed(*value);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  long long number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (number < INT32_MIN || number > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(number);
}

} // namespace settings
