// extract_test_helpers.h - archives made with the zip program, damaged archives, and
// snapshots of folder trees to prove that an extraction changed nothing it should not.
#ifndef TESTS_SCANLIB_EXTRACT_TEST_HELPERS_H
#define TESTS_SCANLIB_EXTRACT_TEST_HELPERS_H

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"
#include "zip_builder.h"

namespace extract_test {

// The names the extraction tests share; a test file takes them with one using-directive.
using testing_support::BoxRecorder;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::ZipBuilder;
using testing_support::ZipEntrySpec;
using Files = std::vector<std::string>;

// Runs the zip program in folder with args (the archive path first); the members are
// the files below folder named in args. Fails the test when zip fails.
inline void runZip(const std::string &folder, const std::vector<std::string> &args) {
  std::string command = "cd '" + folder + "' && exec zip -q -X";
  for (const auto &arg : args)
    command += " '" + arg + "'";
  const auto result = testing_support::runProgram({"/bin/sh", "-c", command});
  ASSERT_EQ(result.status, 0) << result.err;
}

// Everything below root except the subtree skip: type, permissions, modification
// time of files, and contents or link target, by relative path.
inline void snapshotInto(const std::string &root, const std::string &relative, const std::string &skip,
                         std::map<std::string, std::string> &out) {
  DIR *dir = ::opendir((root + "/" + relative).c_str());
  if (!dir) return;
  while (const dirent *e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    if (rel == skip) continue;
    const std::string full = root + "/" + rel;
    struct stat st = {};
    ::lstat(full.c_str(), &st);
    // A folder's time changes with its entries, which the snapshot compares anyway.
    std::string value = std::to_string(st.st_mode);
    if (!S_ISDIR(st.st_mode))
      value += " " + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    if (S_ISLNK(st.st_mode)) {
      char target[4096];
      const ssize_t n = ::readlink(full.c_str(), target, sizeof target);
      value += " -> " + std::string(target, n > 0 ? static_cast<size_t>(n) : 0);
    } else if (S_ISREG(st.st_mode)) {
      value += " " + testing_support::readFile(full);
    }
    out[rel] = value;
    if (S_ISDIR(st.st_mode)) snapshotInto(root, rel, skip, out);
  }
  ::closedir(dir);
}

inline std::map<std::string, std::string> snapshot(const std::string &root, const std::string &skip = "") {
  std::map<std::string, std::string> out;
  snapshotInto(root, "", skip, out);
  return out;
}

// Relative paths of the regular files below root, sorted.
inline std::vector<std::string> filesBelow(const std::string &root) {
  std::vector<std::string> files;
  for (const auto &[path, value] : snapshot(root)) {
    struct stat st = {};
    if (::lstat((root + "/" + path).c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(path);
  }
  return files;
}

inline void put32At(std::string &bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Declares size as the uncompressed size of every member of a ZipBuilder archive
// (stored, no ZIP64), in the local and the central headers alike, so that the data
// ends before the member does.
inline void setUncompressedSizes(std::string &bytes, uint32_t size) {
  for (size_t at = bytes.find("PK\3\4"); at != std::string::npos; at = bytes.find("PK\3\4", at + 4))
    put32At(bytes, at + 22, size);
  for (size_t at = bytes.find("PK\1\2"); at != std::string::npos; at = bytes.find("PK\1\2", at + 4))
    put32At(bytes, at + 24, size);
}

} // namespace extract_test

#endif // TESTS_SCANLIB_EXTRACT_TEST_HELPERS_H
