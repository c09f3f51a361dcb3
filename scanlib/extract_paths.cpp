#include "extract_paths.h"

namespace tavscan {
namespace {

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isUnsafe(const std::string &component) {
  return component.empty() || component == "." || component == "..";
}

} // namespace

MemberPath memberPath(const std::string &name) {
  size_t start = 0;
  if (name.size() >= 2 && isLetter(name[0]) && name[1] == ':') start = 2;
  std::vector<std::string> parts;
  std::string current;
  for (size_t i = start; i < name.size(); ++i) {
    if (isSeparator(name[i])) {
      parts.push_back(current);
      current.clear();
    } else {
      current.push_back(name[i]);
    }
  }
  parts.push_back(current);

  MemberPath path;
  if (!isUnsafe(parts.back())) path.file = parts.back();
  parts.pop_back();
  for (auto &part : parts) {
    if (!isUnsafe(part)) path.folders.push_back(std::move(part));
  }
  return path;
}

std::string relativeText(const MemberPath &path, bool useFolderNames) {
  std::string text;
  if (useFolderNames) {
    for (const auto &folder : path.folders)
      text += folder + "/";
  }
  return text + path.file;
}

std::string joinPath(const std::string &destFolder, const std::string &relative) {
  if (!destFolder.empty() && destFolder.back() == '/') return destFolder + relative;
  return destFolder + "/" + relative;
}

std::string upperAscii(const std::string &text) {
  std::string upper = text;
  for (char &c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

size_t folderPrefixLength(const std::string &folderInZip) {
  if (folderInZip.size() < 2) return 0;
  for (size_t i = folderInZip.size() - 1; i-- > 0;) {
    if (isSeparator(folderInZip[i])) return i + 1;
  }
  return 0;
}

} // namespace tavscan
