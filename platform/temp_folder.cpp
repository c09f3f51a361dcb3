#include "temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {

bool isPrivateFolder(const std::string &path) {
  struct stat st;
  return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string privateSubfolder(const std::string &folder, const std::string &name) {
  if (folder.empty()) return {};
  const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
  ::mkdir(path.c_str(), 0700);
  return isPrivateFolder(path) ? path : std::string();
}

std::string privateTemporaryRoot(const std::string &base) {
  if (isPrivateFolder(base)) return base;
  const std::string own = privateSubfolder(base, "tavlor-" + std::to_string(::geteuid()));
  if (!own.empty()) return own;
  // The per-user name is taken by someone else: a folder of this process's own, made
  // once, whose name nobody can guess in advance.
  static std::mutex guard;
  static std::map<std::string, std::string> fresh;
  std::lock_guard<std::mutex> lock(guard);
  std::string &folder = fresh[base];
  if (folder.empty() || !isPrivateFolder(folder)) {
    std::string pattern = (base == "/" ? "" : base) + "/tavlor-" + std::to_string(::geteuid()) + "-XXXXXX";
    folder = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  return folder;
}

std::string freshScratchFolder(const std::string &folder) {
  if (folder.empty()) return {};
  std::string pattern = (folder == "/" ? "" : folder) + "/scratch-XXXXXX";
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

int removeEmptyFolder(const std::string &path) {
  return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

} // namespace platform
