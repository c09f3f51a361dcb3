#include "files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>

namespace platform {
namespace {

// Keeps errno of the failure that is being reported while cleaning up.
class ErrnoKeeper {
public:
  ErrnoKeeper() : saved_(errno) {}
  ~ErrnoKeeper() { errno = saved_; }

private:
  int saved_;
};

void closeQuietly(int fd) {
  if (fd < 0) return;
  ErrnoKeeper keep;
  ::close(fd);
}

int writeAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

int copyContents(int from, int to) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    if (const int err = writeAll(to, buffer, static_cast<size_t>(n))) return err;
  }
}

// Gives the copy the source's permission bits (umask applied them at creation) and
// its modification time.
int copyAttributes(int to, const struct stat &source) {
  if (::fchmod(to, source.st_mode & 0777) != 0) return errno;
  const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (::futimens(to, times) != 0) return errno;
  return 0;
}

struct SplitPath {
  std::string folder;
  std::string name;
};

SplitPath splitPath(const std::string &path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

uint64_t nameHash(const std::string &name) {
  uint64_t hash = 14695981039346656037ull; // FNV-1a
  for (const unsigned char c : name) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// The temporary names do not grow with the final one, so a name near the length
// limit can still be written.
std::string temporaryName(const std::string &name) {
  static std::atomic<unsigned> counter{0};
  char text[64];
  std::snprintf(text, sizeof text, "%ld-%u.tmp", static_cast<long>(::getpid()), counter.fetch_add(1));
  return ReplacementFile::temporaryPrefix(name) + text;
}

// The process id in a temporary name made by temporaryName, 0 when there is none.
pid_t ownerOf(const std::string &entry, const std::string &prefix) {
  if (entry.size() <= prefix.size() + 4 || entry.compare(0, prefix.size(), prefix) != 0 ||
      entry.compare(entry.size() - 4, 4, ".tmp") != 0)
    return 0;
  long pid = 0;
  size_t at = prefix.size();
  for (; at < entry.size() && entry[at] >= '0' && entry[at] <= '9' && pid < 1000000000L; ++at)
    pid = pid * 10 + (entry[at] - '0');
  return at < entry.size() && entry[at] == '-' ? static_cast<pid_t>(pid) : 0;
}

} // namespace

bool isSafeComponent(const std::string &name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

int openWritableExisting(int dirFd, const std::string &name, bool followLinks) {
  struct stat st;
  if (::fstatat(dirFd, name.c_str(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return -1;
  auto refuse = [](int err) {
    errno = err;
    return -1;
  };
  if (S_ISLNK(st.st_mode)) return refuse(ELOOP);
  if (S_ISDIR(st.st_mode)) return refuse(EISDIR);
  if (!S_ISREG(st.st_mode)) return refuse(EINVAL);
  if (isReadOnly(st)) return refuse(EACCES);
  // O_NONBLOCK: should the name have been swapped for a FIFO since the check, the
  // open must not hang.
  const int flags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
  const int fd = ::openat(dirFd, name.c_str(), flags);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || isReadOnly(st)) {
    closeQuietly(fd);
    return refuse(EACCES);
  }
  return fd;
}

int compareModificationTime(const struct stat &st, time_t when) {
  if (st.st_mtim.tv_sec != when) return st.st_mtim.tv_sec < when ? -1 : 1;
  return st.st_mtim.tv_nsec > 0 ? 1 : 0;
}

int setModificationTime(int fd, time_t when) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  struct stat st;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (::futimens(fd, times) != 0) return errno;
    if (::fstat(fd, &st) != 0) return errno;
    if (st.st_mtim.tv_sec == when && st.st_mtim.tv_nsec == 0) return 0;
    times[0] = st.st_atim;
  }
  return ENOTSUP;
}

int copyOpenFile(int from, const struct stat &st, int dirFd, const std::string &name, bool failIfExists,
                 bool writable) {
  if (!isSafeComponent(name)) return EINVAL;
  struct stat wanted = st;
  if (writable) wanted.st_mode |= S_IWUSR;
  int err = 0;
  if (failIfExists) {
    const int to =
        ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, wanted.st_mode & 0777);
    if (to < 0) return errno;
    err = copyContents(from, to);
    if (!err) err = copyAttributes(to, wanted);
    if (::close(to) != 0 && !err) err = errno;
    // A half-written copy would pass for the whole file later.
    if (err) ::unlinkat(dirFd, name.c_str(), 0);
    return err;
  }
  ReplacementFile copy;
  err = copy.create(dirFd, name, wanted.st_mode & 0777);
  if (!err) err = copyContents(from, copy.fd());
  if (!err) err = copyAttributes(copy.fd(), wanted);
  if (!err) err = copy.commit();
  return err;
}

int copyFile(const std::string &source, const std::string &target, bool failIfExists) {
  struct stat st;
  if (::stat(source.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (from < 0) return errno;
  if (::fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(from);
    return EINVAL;
  }

  const SplitPath where = splitPath(target);
  if (!isSafeComponent(where.name)) {
    ::close(from);
    return EINVAL;
  }
  const int dirFd = ::open(where.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) {
    const int err = errno;
    ::close(from);
    return err;
  }
  const int err = copyOpenFile(from, st, dirFd, where.name, failIfExists, false);
  ::close(dirFd);
  ::close(from);
  return err;
}

int makeWritable(const std::string &path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno;
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) return errno;
  return 0;
}

void createFolderLevels(const std::string &folder) {
  for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    if (folder[slash - 1] != '/') ::mkdir(folder.substr(0, slash).c_str(), 0777);
  }
  if (!folder.empty()) ::mkdir(folder.c_str(), 0777);
}

int openFolderBelow(int baseFd, const std::vector<std::string> &components, bool create) {
  // No components: the base itself, as a descriptor of the caller's own.
  if (components.empty()) return ::fcntl(baseFd, F_DUPFD_CLOEXEC, 0);
  // The first step opens from the base, which stays the caller's; each later one from
  // the folder before it, closed once passed.
  int current = baseFd;
  for (const auto &component : components) {
    if (!isSafeComponent(component)) {
      if (current != baseFd) closeQuietly(current);
      errno = EINVAL;
      return -1;
    }
    if (create) ::mkdirat(current, component.c_str(), 0777);
    const int next = ::openat(current, component.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (current != baseFd) closeQuietly(current);
    if (next < 0) return -1;
    current = next;
  }
  return current;
}

ReplacementFile::~ReplacementFile() {
  discard();
}

std::string ReplacementFile::temporaryPrefix(const std::string &name) {
  char text[32];
  std::snprintf(text, sizeof text, ".tvl-%016llx-", static_cast<unsigned long long>(nameHash(name)));
  return text;
}

int ReplacementFile::create(int dirFd, const std::string &name, mode_t mode) {
  Options options;
  options.mode = mode;
  return create(dirFd, name, options);
}

int ReplacementFile::create(int dirFd, const std::string &name, const Options &options) {
  discard();
  if (!isSafeComponent(name)) return EINVAL;
  bool keep = false;
  mode_t kept = 0;
  if (options.keepMode) {
    struct stat st;
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      keep = true;
      kept = st.st_mode & 07777;
    }
  }
  int fd = -1;
  bool unnamed = false;
  if (options.allowUnnamed) {
    // Filesystems without unnamed files (vfat, network filesystems) refuse in several
    // ways; any refusal falls back to a named file.
    fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, options.mode);
    unnamed = fd >= 0;
  }
  std::string tempName;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    tempName = temporaryName(name);
    fd = ::openat(dirFd, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, options.mode);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  dirFd_ = dirFd;
  fd_ = fd;
  unnamed_ = unnamed;
  options_ = options;
  name_ = name;
  tempName_ = unnamed ? std::string() : tempName;
  if (keep && ::fchmod(fd_, kept) != 0) {
    const int err = errno;
    discard();
    return err;
  }
  return 0;
}

int ReplacementFile::write(const char *data, size_t size) {
  if (fd_ < 0) return EBADF;
  return writeAll(fd_, data, size);
}

int ReplacementFile::commit() {
  if (fd_ < 0) return EBADF;
  auto fail = [this](int err) {
    discard();
    return err;
  };
  if (options_.durable && ::fsync(fd_) != 0) return fail(errno);
  struct stat own;
  if (::fstat(fd_, &own) != 0) return fail(errno);
  struct stat st;
  if (!options_.replaceReadOnly && ::fstatat(dirFd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISREG(st.st_mode) && isReadOnly(st))
    return fail(EACCES);

  if (unnamed_) {
    // Linking by descriptor needs a capability; the /proc name of the descriptor
    // does not, and still names this very file, never a path that could be swapped.
    const std::string viaProc = "/proc/self/fd/" + std::to_string(fd_);
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
      const std::string candidate = temporaryName(name_);
      if (::linkat(fd_, "", dirFd_, candidate.c_str(), AT_EMPTY_PATH) == 0 ||
          ::linkat(AT_FDCWD, viaProc.c_str(), dirFd_, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        tempName_ = candidate;
        err = 0;
      } else {
        err = errno;
      }
    }
    if (err) return fail(err);
  }
  // Write errors of network filesystems may only show when the file is closed; a
  // duplicate is closed, so that the file itself stays open (see below).
  const int probe = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (probe < 0 || ::close(probe) != 0) return fail(errno);
  if (::renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) != 0) return fail(errno);
  tempName_.clear();
  // Someone able to write in the folder may have put something else under the
  // temporary name just before the rename; a link so moved into place is taken away.
  // The file is still open here, so its inode number cannot have been given to that
  // link meanwhile.
  int err = 0;
  if (::fstatat(dirFd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    err = errno;
  } else if (st.st_dev != own.st_dev || st.st_ino != own.st_ino) {
    err = S_ISLNK(st.st_mode) ? ELOOP : EBUSY;
    if (S_ISLNK(st.st_mode)) ::unlinkat(dirFd_, name_.c_str(), 0);
  }
  closeQuietly(fd_);
  fd_ = -1;
  return err;
}

void ReplacementFile::discard() {
  if (fd_ >= 0) closeQuietly(fd_);
  fd_ = -1;
  if (!tempName_.empty()) {
    ErrnoKeeper keep;
    ::unlinkat(dirFd_, tempName_.c_str(), 0);
  }
  tempName_.clear();
  unnamed_ = false;
}

int ReplacementFile::removeStale(int dirFd, const std::string &name) {
  const std::string prefix = temporaryPrefix(name);
  // A descriptor of its own, so that reading does not move the caller's offset.
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return 0;
  DIR *dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return 0;
  }
  std::vector<std::string> stale;
  while (const struct dirent *entry = ::readdir(dir)) {
    const pid_t owner = ownerOf(entry->d_name, prefix);
    if (owner > 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH) stale.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  int removed = 0;
  for (const auto &entry : stale)
    removed += ::unlinkat(dirFd, entry.c_str(), 0) == 0 ? 1 : 0;
  return removed;
}

} // namespace platform
