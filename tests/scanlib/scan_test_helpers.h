// scan_test_helpers.h - running the scanner into a string and reading its lines.
#ifndef TESTS_SCANLIB_SCAN_TEST_HELPERS_H
#define TESTS_SCANLIB_SCAN_TEST_HELPERS_H

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "Tavscan60.h"

namespace scan_test {

// The records scandisk writes for folder, with a fixed root line.
inline std::string scanFolder(const std::string &folder, const char *name = "DISK") {
  std::ostringstream out;
  scandisk((folder + "/*").c_str(), name, 0, 0, 1, 1, 2000, 0, 0, 0, out);
  return out.str();
}

// The lines of a catalog without their CR LF; a last line without CR LF is kept
// with a "<unterminated>" mark so that comparisons show it.
inline std::vector<std::string> linesOf(const std::string &text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<unterminated>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline bool contains(const std::vector<std::string> &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

namespace detail {

// One folder body from lines[at] (the line after its open line) up to and including
// its close line, with the subfolders and Zip Folders put in text order: the only
// order the file system decides.
inline std::vector<std::string> normalizeBody(const std::vector<std::string> &lines, size_t &at) {
  std::vector<std::vector<std::string>> blocks;
  std::vector<std::string> files;
  while (at < lines.size() && lines[at] != " > ") {
    const std::string &line = lines[at];
    if (line.starts_with(" + ") && at + 1 < lines.size() && lines[at + 1] == " < ") {
      std::vector<std::string> block{line, lines[at + 1]};
      at += 2;
      auto body = normalizeBody(lines, at);
      block.insert(block.end(), body.begin(), body.end());
      blocks.push_back(block);
    } else if (line.starts_with(" + ")) { // a Zip Folder: its text is fixed already
      std::vector<std::string> block{line};
      int depth = 0;
      for (++at; at < lines.size(); ++at) {
        block.push_back(lines[at]);
        if (lines[at] == "<") ++depth;
        if (lines[at] == ">" && --depth == 0) break;
      }
      ++at;
      blocks.push_back(block);
    } else if (line.starts_with("\"")) { // an archive without members
      blocks.push_back({line});
      ++at;
    } else {
      files.push_back(line);
      ++at;
    }
  }
  std::sort(blocks.begin(), blocks.end());
  std::vector<std::string> result;
  for (const auto &b : blocks)
    result.insert(result.end(), b.begin(), b.end());
  result.insert(result.end(), files.begin(), files.end());
  if (at < lines.size()) result.push_back(lines[at++]);
  return result;
}

} // namespace detail

// The catalog's lines with every folder's subfolders and Zip Folders sorted.
inline std::vector<std::string> normalizedLines(const std::string &text) {
  const auto lines = linesOf(text);
  std::vector<std::string> result;
  size_t at = 0;
  while (at < lines.size() && !(lines[at].starts_with(" + ") && at + 1 < lines.size() && lines[at + 1] == " < "))
    result.push_back(lines[at++]);
  if (at < lines.size()) {
    result.push_back(lines[at]);
    result.push_back(lines[at + 1]);
    at += 2;
    auto body = detail::normalizeBody(lines, at);
    result.insert(result.end(), body.begin(), body.end());
  }
  while (at < lines.size())
    result.push_back(lines[at++]);
  return result;
}

} // namespace scan_test

#endif // TESTS_SCANLIB_SCAN_TEST_HELPERS_H
