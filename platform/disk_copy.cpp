#include "disk_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "files.h"

namespace platform {
namespace {

class Fd {
public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

private:
  int fd_;
};

std::string realPathOf(const std::string &path) {
  char *real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string text = real;
  std::free(real);
  return text;
}

std::string joined(const std::string &folder, const std::string &name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The components of path below root, or false when path does not lie below it (root
// itself gives no components).
bool componentsBelow(const std::string &path, const std::string &root, std::vector<std::string> &out) {
  out.clear();
  std::string rest;
  if (root == "/") {
    rest = path.substr(1);
  } else if (path == root) {
    return true;
  } else if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/') {
    rest = path.substr(root.size() + 1);
  } else {
    return false;
  }
  for (std::size_t start = 0; start < rest.size();) {
    const std::size_t slash = rest.find('/', start);
    const std::size_t end = slash == std::string::npos ? rest.size() : slash;
    if (end > start) out.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

std::string because(const char *what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

DiskPath failure(int error, std::string why) {
  DiskPath result;
  result.error = error;
  result.why = std::move(why);
  return result;
}

// Where the link name in the open folder dirFd leads, when that is a file below root
// (root's real path, rootFd open on it): its real path; otherwise why not.
DiskPath followLink(int rootFd, const std::string &root, int dirFd, const std::string &name) {
  const std::string target = realPathOf("/proc/self/fd/" + std::to_string(dirFd) + "/" + name);
  if (target.empty()) return failure(ENOENT, "a symbolic link whose target is missing");
  std::vector<std::string> parts;
  if (!componentsBelow(target, root, parts) || parts.empty())
    return failure(EXDEV, "a symbolic link to a place outside the disk, not followed");
  const std::string last = parts.back();
  parts.pop_back();
  Fd folder(openFolderBelow(rootFd, parts, false));
  struct stat st;
  if (!folder || ::fstatat(folder.get(), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return failure(errno, because("its target cannot be reached", errno));
  if (S_ISDIR(st.st_mode)) return failure(ELOOP, "a symbolic link to a folder, not followed");
  DiskPath result;
  result.path = target;
  return result;
}

// Opens the regular file at path (a real path below root) without following a link.
int openFileBelow(int rootFd, const std::string &root, const std::string &path, struct stat &st) {
  std::vector<std::string> parts;
  if (!componentsBelow(path, root, parts) || parts.empty()) {
    errno = EXDEV;
    return -1;
  }
  const std::string last = parts.back();
  parts.pop_back();
  Fd folder(openFolderBelow(rootFd, parts, false));
  if (!folder) return -1;
  const int fd = ::openat(folder.get(), last.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

struct Copy {
  int rootFd;
  std::string root;
  bool failIfExists;
  const NotCopied &notCopied;
  CopyCounts counts;
  struct stat destinationTop {};
  bool haveTop = false;

  void fail(const std::string &path, const std::string &reason) {
    ++counts.failed;
    if (notCopied) notCopied(path, reason);
  }

  // Copies the open regular file from into dirFd/name.
  void file(int from, const struct stat &st, const std::string &path, int dirFd, const std::string &name) {
    const int err = copyOpenFile(from, st, dirFd, name, failIfExists, isReadOnly(st));
    if (err == 0)
      ++counts.written;
    else if (err == EEXIST && failIfExists)
      ++counts.kept;
    else
      fail(path, err == EEXIST ? "its name is taken in the destination" : because("it cannot be written", err));
  }

  // The folder name in dirFd, made if missing; never a link or a file standing there.
  int destinationFolder(int dirFd, const std::string &name, const std::string &path) {
    if (::mkdirat(dirFd, name.c_str(), 0777) != 0 && errno != EEXIST) {
      fail(path, because("its folder cannot be made", errno));
      return -1;
    }
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
      fail(path, errno == ELOOP || errno == ENOTDIR ? "a symbolic link or a file stands in the destination in place of "
                                                      "its folder"
                                                    : because("its folder cannot be opened", errno));
    return fd;
  }

  void folder(int srcFd, const std::string &srcPath, int dstFd) {
    const int listFd = ::dup(srcFd);
    DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
      if (listFd >= 0) ::close(listFd);
      fail(srcPath, because("the folder cannot be read", errno));
      return;
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
      errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError) fail(srcPath, because("the folder cannot be read to its end", readError));
    for (const std::string &name : names)
      entry(srcFd, srcPath, dstFd, name);
  }

  void entry(int srcFd, const std::string &srcPath, int dstFd, const std::string &name) {
    const std::string path = joined(srcPath, name);
    struct stat st;
    if (::fstatat(srcFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      fail(path, because("it cannot be read", errno));
      return;
    }
    if (S_ISDIR(st.st_mode)) {
      // A destination inside the source is not copied into itself again.
      if (haveTop && st.st_dev == destinationTop.st_dev && st.st_ino == destinationTop.st_ino) return;
      Fd from(::openat(srcFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (!from) {
        fail(path, because("the folder cannot be read", errno));
        return;
      }
      Fd to(destinationFolder(dstFd, name, path));
      if (to) folder(from.get(), path, to.get());
      return;
    }
    int fd = -1;
    if (S_ISLNK(st.st_mode)) {
      const DiskPath link = followLink(rootFd, root, srcFd, name);
      if (link.error) {
        fail(path, link.why);
        return;
      }
      fd = openFileBelow(rootFd, root, link.path, st);
    } else if (S_ISREG(st.st_mode)) {
      fd = ::openat(srcFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
        errno = EINVAL;
      }
    } else {
      fail(path, "not a regular file (a FIFO, socket or device)");
      return;
    }
    if (fd < 0) {
      fail(path, because("it cannot be read", errno));
      return;
    }
    Fd from(fd);
    file(from.get(), st, path, dstFd, name);
  }
};

} // namespace

DiskPath resolveOnDisk(const std::string &root, const std::vector<std::string> &components) {
  for (const std::string &component : components)
    if (!isSafeComponent(component)) return failure(EINVAL, "its path holds a name that cannot name a file");
  const std::string real = realPathOf(root);
  if (real.empty()) return failure(errno, because("the disk's folder cannot be read", errno));
  Fd rootFd(::open(real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFd) return failure(errno, because("the disk's folder cannot be read", errno));
  DiskPath result;
  if (components.empty()) {
    result.path = real;
    result.folder = true;
    return result;
  }
  const std::vector<std::string> folders(components.begin(), components.end() - 1);
  const std::string &name = components.back();
  Fd folder(openFolderBelow(rootFd.get(), folders, false));
  if (!folder) {
    const int err = errno;
    return failure(err, err == ELOOP || err == ENOTDIR ? "a folder on its path is a symbolic link or no folder"
                                                       : because("its folder cannot be opened", err));
  }
  struct stat st;
  if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return failure(errno, because("it cannot be found on the disk", errno));
  if (S_ISLNK(st.st_mode)) return followLink(rootFd.get(), real, folder.get(), name);
  std::string path = real;
  for (const std::string &component : components)
    path = joined(path, component);
  result.path = path;
  result.folder = S_ISDIR(st.st_mode);
  return result;
}

int openFromDisk(const std::string &root, const DiskPath &source, struct stat &st) {
  const std::string real = realPathOf(root);
  if (real.empty()) return -1;
  Fd rootFd(::open(real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!rootFd) return -1;
  return openFileBelow(rootFd.get(), real, source.path, st);
}

CopyCounts copyFromDisk(const std::string &root, const DiskPath &source, const std::string &destination,
                        const std::string &name, bool failIfExists, const NotCopied &notCopied) {
  const std::string real = realPathOf(root);
  Fd rootFd(real.empty() ? -1 : ::open(real.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  Copy copy{rootFd.get(), real, failIfExists, notCopied, {}};
  if (source.error) {
    copy.fail(source.path, source.why);
    return copy.counts;
  }
  if (!rootFd) {
    copy.fail(source.path, because("the disk's folder cannot be read", errno));
    return copy.counts;
  }
  if (!isSafeComponent(name)) {
    copy.fail(source.path, "its name cannot name a file");
    return copy.counts;
  }
  createFolderLevels(destination);
  Fd target(::open(destination.empty() ? "." : destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!target) {
    copy.fail(source.path, because("the destination cannot be opened", errno));
    return copy.counts;
  }
  if (source.folder) {
    std::vector<std::string> parts;
    if (!componentsBelow(source.path, real, parts)) {
      copy.fail(source.path, "it does not lie on the disk");
      return copy.counts;
    }
    Fd from(openFolderBelow(rootFd.get(), parts, false));
    if (!from) {
      copy.fail(source.path, because("the folder cannot be read", errno));
      return copy.counts;
    }
    Fd to(copy.destinationFolder(target.get(), name, source.path));
    if (!to) return copy.counts;
    copy.haveTop = ::fstat(to.get(), &copy.destinationTop) == 0;
    copy.folder(from.get(), source.path, to.get());
    return copy.counts;
  }
  struct stat st;
  Fd from(openFileBelow(rootFd.get(), real, source.path, st));
  if (!from) {
    copy.fail(source.path, because("it cannot be read", errno));
    return copy.counts;
  }
  copy.file(from.get(), st, source.path, target.get(), name);
  return copy.counts;
}

} // namespace platform
