#include "errors.h"

#include <cstring>

namespace platform {

std::string errorText(int err) {
  char buffer[256];
  // GNU strerror_r may return a static text instead of filling the buffer.
  const char *text = strerror_r(err, buffer, sizeof buffer);
  std::string result(text ? text : "");
  for (size_t i = 0; i < result.size(); ++i) {
    const auto c = static_cast<unsigned char>(result[i]);
    if (c < 0x20 || c == 0x7f) {
      result.resize(i);
      break;
    }
  }
  return result;
}

} // namespace platform
