#include "platform/udev_db.h"

#include "platform/path_prefix.h"

#include <fstream>
#include <sstream>

namespace platform {

std::string decodeUdevEscapes(const std::string &encoded) {
  std::string out;
  out.reserve(encoded.size());
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '\\' && i + 3 < encoded.size() && encoded[i + 1] == 'x' && hexDigitValue(encoded[i + 2]) >= 0 &&
        hexDigitValue(encoded[i + 3]) >= 0) {
      out.push_back(static_cast<char>(hexDigitValue(encoded[i + 2]) * 16 + hexDigitValue(encoded[i + 3])));
      i += 3;
      continue;
    }
    out.push_back(encoded[i]);
  }
  return out;
}

std::optional<std::string> udevProperty(const std::string &entryText, const std::string &key) {
  const std::string prefix = "E:" + key + "=";
  std::istringstream lines(entryText);
  std::string line;
  while (std::getline(lines, line))
    if (line.compare(0, prefix.size(), prefix) == 0) return line.substr(prefix.size());
  return std::nullopt;
}

std::optional<std::string> readUdevEntry(unsigned major, unsigned minor) {
  std::ifstream in("/run/udev/data/b" + std::to_string(major) + ":" + std::to_string(minor), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace platform
