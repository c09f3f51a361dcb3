// The small file services of the library: releasing its texts, file times in
// catalog-date terms, folder copies and the texts of system errors.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Tavscan60.h"
#include "catalog_date.h"
#include "file_times.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace tavscan {

bool compareFileDate(int dirFd, const char *name, bool followLinks, const CatalogDate &date, int &comparison) {
  if (!name) return false;
  const int fd = platform::openWritableExisting(dirFd, name, followLinks);
  if (fd < 0) return false;
  const auto when = fileTimeOf(date);
  struct stat st;
  const bool ok = when && ::fstat(fd, &st) == 0;
  if (ok) comparison = platform::compareModificationTime(st, *when);
  ::close(fd);
  return ok;
}

bool setFileDateTime(const char *path, int day, int month, int year, int hour, int minute, int second) {
  if (!path) return false;
  const int fd = platform::openWritableExisting(AT_FDCWD, path, true);
  if (fd < 0) return false;
  const bool ok = setFileDate(fd, CatalogDate{day, month, year, hour, minute, second});
  ::close(fd);
  return ok;
}

bool setFileDate(int fd, const CatalogDate &date) {
  const auto when = fileTimeOf(date);
  return when && platform::setModificationTime(fd, *when) == 0;
}

namespace {

bool sameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// dstRoot is the folder the whole copy goes to: when it lies inside the source, it is
// not copied into itself again and again.
void copyTree(const std::string &source, const std::string &destination, bool failIfExists,
              const struct stat *dstRoot) {
  platform::createFolderLevels(destination);
  DIR *folder = ::opendir(source.c_str());
  if (!folder) return;
  while (const dirent *entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string from = source + "/" + name;
    const std::string to = destination + "/" + name;
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (!dstRoot || !sameFile(st, *dstRoot)) copyTree(from, to, failIfExists, dstRoot);
      continue;
    }
    // A link to a file is copied as that file; a link to a folder is not entered, so
    // a link to an ancestor cannot make the copy endless. FIFOs and devices are skipped.
    if (S_ISLNK(st.st_mode) && ::stat(from.c_str(), &st) != 0) continue;
    if (!S_ISREG(st.st_mode)) continue;
    // Only a copy that was made loses the read-only mark: an existing file that
    // failIfExists protected keeps its permissions too.
    if (platform::copyFile(from, to, failIfExists) == 0 && platform::isReadOnly(st)) platform::makeWritable(to);
  }
  ::closedir(folder);
}

} // namespace
} // namespace tavscan

void strdelete(char *&text) {
  delete[] text;
  text = nullptr;
}

bool CompareFileDateTime(const char *path, int day, int month, int year, int hour, int minute, int second,
                         int &comparison) {
  return tavscan::compareFileDate(AT_FDCWD, path, true, tavscan::CatalogDate{day, month, year, hour, minute, second},
                                  comparison);
}

bool CopyDirectory(const char *srcFolder, const char *dstFolder, bool failIfExists) {
  if (!srcFolder || !dstFolder || !*dstFolder) return true;
  platform::createFolderLevels(dstFolder);
  struct stat dstRoot;
  const bool haveRoot = ::stat(dstFolder, &dstRoot) == 0;
  tavscan::copyTree(srcFolder, dstFolder, failIfExists, haveRoot ? &dstRoot : nullptr);
  return true;
}

uint32_t GetLastError_Message(char *buffer, size_t bufferSize) {
  const int err = errno;
  if (buffer && bufferSize > 0) {
    const std::string text = platform::errorText(err);
    const size_t length = std::min(text.size(), bufferSize - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
  }
  return static_cast<uint32_t>(err);
}

uint32_t GetLastError_MessageBox(const char *caption) {
  const int err = errno;
  platform::showMessageBox(caption ? caption : "", platform::errorText(err), platform::BoxIcon::Information);
  errno = err;
  return static_cast<uint32_t>(err);
}
