#include "TextCodec.h"

#include "model/name_text.h"

QString displayText(std::string_view bytes) {
  if (tavlor::isAsciiText(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (tavlor::isValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char c : bytes)
    text.append(QChar(static_cast<char16_t>(tavlor::windows1252CodePoint(c))));
  return text;
}

std::string storedText(const QString &text) {
  return text.toUtf8().toStdString();
}
