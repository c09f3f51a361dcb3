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
#include "platform/disk_copy.h"
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
  std::string destination = dstFolder;
  while (destination.size() > 1 && destination.back() == '/')
    destination.pop_back();
  const std::size_t slash = destination.rfind('/');
  const std::string parent =
      slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : destination.substr(0, slash);
  const std::string name = slash == std::string::npos ? destination : destination.substr(slash + 1);
  // Links inside the copied folder are followed only to files inside it.
  const platform::DiskPath source = platform::resolveOnDisk(srcFolder, {});
  return platform::copyFromDisk(srcFolder, source, parent, name, failIfExists, nullptr).failed == 0;
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
