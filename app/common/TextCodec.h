// TextCodec.h - names are bytes in the model; only the display converts them.
#ifndef APP_COMMON_TEXTCODEC_H
#define APP_COMMON_TEXTCODEC_H

#include <QString>

#include <string>
#include <string_view>

// The text to show for a byte string: UTF-8 when it is valid UTF-8, otherwise each
// byte as Windows-1252 (names cataloged on Windows in their ANSI code page).
QString displayText(std::string_view bytes);

// The bytes to store for a text the user typed (a label, a description): UTF-8.
std::string storedText(const QString &text);

#endif // APP_COMMON_TEXTCODEC_H
