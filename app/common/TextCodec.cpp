#include "TextCodec.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned bytes
// keep their C1 code points so that nothing is lost.
const char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isAscii(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return false;
  return true;
}

bool isValidUtf8(std::string_view bytes) {
  size_t i = 0, n = bytes.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    int follow = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
    if (follow < 0 || (follow == 1 && c < 0xC2) || i + follow >= n) return false;
    uint32_t cp = follow == 0 ? c : follow == 1 ? (c & 0x1F) : follow == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k <= follow; ++k) {
      unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((follow == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (follow == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += follow + 1;
  }
  return true;
}

} // namespace

QString displayText(std::string_view bytes) {
  if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (isValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char c : bytes)
    text.append(c >= 0x80 && c < 0xA0 ? QChar(kHigh1252[c - 0x80]) : QChar(c));
  return text;
}

std::string storedText(const QString &text) {
  return text.toUtf8().toStdString();
}
