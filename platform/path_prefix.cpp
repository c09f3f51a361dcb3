#include "platform/path_prefix.h"

#include <unistd.h>

#include <climits>
#include <memory>

namespace platform {

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
