// files.h - copying files, their modification times, and writing below a folder
// without following symbolic links.
//
// "Read-only" means no owner write permission, whoever the caller is: root ignores
// permission bits when it opens a file, so every function here checks the bit itself.
// Functions that can fail return 0 or an errno value.
#ifndef PLATFORM_FILES_H
#define PLATFORM_FILES_H

#include <sys/stat.h>

#include <ctime>
#include <string>
#include <vector>

namespace platform {

// True when st describes a file without owner write permission.
inline bool isReadOnly(const struct stat &st) {
  return (st.st_mode & S_IWUSR) == 0;
}

// Opens the existing regular file dirFd/name for reading and writing, as a file is
// opened whose time is to be compared or set. dirFd may be AT_FDCWD. With followLinks
// false a symbolic link at name is refused (ELOOP). Fails (-1, errno set) when the
// file is missing, is not a regular file (EISDIR, EINVAL), is read-only (EACCES) or
// cannot be opened. The caller closes the descriptor.
int openWritableExisting(int dirFd, const std::string &name, bool followLinks);

// -1 when the modification time in st is before when (a whole second), 0 when equal,
// 1 when after.
int compareModificationTime(const struct stat &st, time_t when);

// Sets the modification time of the open file fd to when (nanoseconds 0) and leaves
// its access time alone, then reads it back: some filesystems ignore a request that
// omits the access time, so it is repeated once with the access time given as it was.
// ENOTSUP when the time still did not change.
int setModificationTime(int fd, time_t when);

// Copies the file source to target: contents, permission bits (rwx of owner, group and
// others) and modification time. Links at source are followed (the file it names is
// copied); source must be a regular file. With failIfExists the target is created
// exclusively and an existing one (a link too) is never touched (EEXIST). Otherwise
// the copy is written beside target and renamed over it when complete, so a failed
// copy leaves the old target as it was; a read-only target is not replaced (EACCES).
int copyFile(const std::string &source, const std::string &target, bool failIfExists);

// Adds owner write permission to the file at path ("make writable"); a symbolic link
// is left alone (ELOOP).
int makeWritable(const std::string &path);

// Creates folder and each of its parents from the left ("/" separates); existing
// levels and failures are ignored.
void createFolderLevels(const std::string &folder);

// Opens the folder reached from baseFd through components, one level at a time and
// never through a symbolic link (a link at any level fails with ELOOP or ENOTDIR).
// With create, missing levels are made. Returns a descriptor for the caller to close,
// or -1 with errno set. No components gives a duplicate of baseFd.
int openFolderBelow(int baseFd, const std::vector<std::string> &components, bool create);

// A file written under a temporary name in a folder that takes the place of one name
// in that folder only when commit() is called after everything was written; otherwise
// (or when the object goes away uncommitted) the temporary file is removed, so an
// existing file is never destroyed by a failed write.
class ReplacementFile {
public:
  ReplacementFile() = default;
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile &) = delete;
  ReplacementFile &operator=(const ReplacementFile &) = delete;

  // Creates the temporary file in the folder dirFd (which must stay open until commit
  // or discard) for the final name name (one component). mode as for open(2).
  int create(int dirFd, const std::string &name, mode_t mode = 0666);

  // Writes all of data (retrying short writes).
  int write(const char *data, size_t size);

  int fd() const { return fd_; }

  // Closes the file and renames it to the final name, replacing a file or link there;
  // a read-only file there is not replaced (EACCES). The temporary file is removed on
  // any failure.
  int commit();

  // Removes the temporary file. Harmless when nothing was created or it was committed.
  void discard();

private:
  int dirFd_ = -1;
  int fd_ = -1;
  std::string name_;
  std::string tempName_;
};

} // namespace platform

#endif // PLATFORM_FILES_H
