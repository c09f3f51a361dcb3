#include "collection/catalog_files.h"

#include <dirent.h>

#include "platform/catalog_label.h"

namespace tavlor {

namespace {

bool endsWithZar(std::string_view name) {
  if (name.size() < 4) return false;
  std::string tail = upperCaseAscii(name.substr(name.size() - 4));
  return tail == ".ZAR";
}

} // namespace

std::vector<std::string> listCatalogFiles(const std::string &folder) {
  std::vector<std::string> names;
  DIR *dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent *entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (endsWithZar(name) && name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return names;
}

std::optional<std::string> catalogFilePath(const std::string &folder, std::string_view label) {
  if (platform::catalogLabelFault(label) != platform::CatalogLabelFault::None) return std::nullopt;
  return folder + "/" + std::string(label) + ".zar";
}

std::string upperCaseAscii(std::string_view text) {
  std::string upper(text);
  for (char &c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

} // namespace tavlor
