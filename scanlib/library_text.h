// library_text.h - texts the library hands to its callers.
#ifndef SCANLIB_LIBRARY_TEXT_H
#define SCANLIB_LIBRARY_TEXT_H

#include <cstring>
#include <string>

namespace tavscan {

// A fresh zero-terminated copy of text, allocated with new[]; strdelete releases it.
inline char *copyLibraryText(const std::string &text) {
  char *copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

} // namespace tavscan

#endif // SCANLIB_LIBRARY_TEXT_H
