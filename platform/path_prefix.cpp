#include "platform/path_prefix.h"

#include <unistd.h>

#include <climits>
#include <memory>

namespace platform {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string localPathOfArgument(const std::string &argument) {
  const std::string scheme = "file://";
  if (argument.compare(0, scheme.size(), scheme) != 0) return argument;
  std::string path;
  for (size_t i = scheme.size(); i < argument.size(); ++i) {
    int high = 0, low = 0;
    if (argument[i] == '%' && i + 2 < argument.size() && (high = hexDigitValue(argument[i + 1])) >= 0 &&
        (low = hexDigitValue(argument[i + 2])) >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += argument[i];
    }
  }
  return path;
}

std::string normalizedPath(const std::string &path) {
  if (path.empty()) return "";
  std::string input = path;
  if (input[0] != '/') {
    std::unique_ptr<char, decltype(&free)> cwd(::getcwd(nullptr, 0), &free);
    if (!cwd) return "";
    input = std::string(cwd.get()) + "/" + input;
  }
  std::string out;
  size_t i = 0;
  while (i < input.size()) {
    while (i < input.size() && input[i] == '/')
      ++i;
    const size_t start = i;
    while (i < input.size() && input[i] != '/')
      ++i;
    const std::string component = input.substr(start, i - start);
    if (component.empty() || component == ".") continue;
    out += "/" + component;
  }
  return out.empty() ? "/" : out;
}

bool pathIsWithin(const std::string &path, const std::string &folder) {
  if (folder == "/") return !path.empty() && path[0] == '/';
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace platform
