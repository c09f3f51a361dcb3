// name_text.h - names as the display shows them: bytes in the model, converted only
// where a person reads them (widgets, HTML pages, the columns of reports).
#ifndef APP_MODEL_NAME_TEXT_H
#define APP_MODEL_NAME_TEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace tavlor {

bool isAsciiText(std::string_view bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The character a byte of a name that is not UTF-8 stands for: Windows-1252, the
// ANSI code page names cataloged on Windows come in. Its five unassigned bytes keep
// their C1 code points, so that no byte is lost.
char32_t windows1252CodePoint(unsigned char byte);

// The name as UTF-8 text: unchanged when it is valid UTF-8, otherwise each byte as
// Windows-1252. ASCII stays byte for byte.
std::string displayUtf8(std::string_view bytes);

// The same for a catalog path: each "/"-separated name on its own, so that one name
// cataloged on Windows does not change how the UTF-8 names beside it read.
std::string displayUtf8Path(std::string_view path);

// The columns the name takes in a fixed-pitch text: for valid UTF-8 its characters,
// combining marks and zero-width characters taking none and East Asian wide ones
// two; for anything else its bytes (one character each in Windows-1252).
std::size_t displayColumns(std::string_view bytes);

} // namespace tavlor

#endif // APP_MODEL_NAME_TEXT_H
