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

// True for a name that can stand for one entry of a folder: not empty, not "." or "..",
// without "/" or a NUL byte. Every name joined to a folder passes this first.
bool isSafeComponent(const std::string &name);

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

// The same for the open regular file from (st its fstat) into the folder dirFd under
// name (one component; a link there is never written through). writable adds owner
// write permission to the copy.
int copyOpenFile(int from, const struct stat &st, int dirFd, const std::string &name, bool failIfExists,
                 bool writable);

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

// A file written in a folder that takes the place of one name in that folder only
// when commit() is called after everything was written; otherwise (or when the object
// goes away uncommitted) it is removed, so an existing file is never destroyed by a
// failed write.
//
// Where the filesystem allows, the file is created unnamed (O_TMPFILE) and vanishes
// with the process if it is killed; it gets a name only for the instant between
// linking it in and renaming it over the final name. Elsewhere it is created
// exclusively under a temporary name of fixed length (".tvl-HASH-PID-N.tmp", HASH
// from the final name), which removeStale finds again. Data goes through the
// descriptor of that create only: nothing is ever reopened by name, and a symbolic
// link put in place of the temporary name is never written through.
class ReplacementFile {
public:
  ReplacementFile() = default;
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile &) = delete;
  ReplacementFile &operator=(const ReplacementFile &) = delete;

  struct Options {
    mode_t mode = 0666;      // as for open(2), the umask applies
    bool keepMode = false;   // a regular file being replaced passes its mode bits on
    bool durable = false;    // fsync before the file takes the final name
    bool replaceReadOnly = false; // otherwise a read-only file there is kept (EACCES)
    bool allowUnnamed = true;     // false: always the named temporary file
  };

  // Creates the file in the folder dirFd (which must stay open until commit or
  // discard) for the final name name (one component).
  int create(int dirFd, const std::string &name, mode_t mode = 0666);
  int create(int dirFd, const std::string &name, const Options &options);

  // Writes all of data (retrying short writes).
  int write(const char *data, size_t size);

  int fd() const { return fd_; }
  // True when the file has no name while it is written.
  bool unnamed() const { return unnamed_; }

  // Puts the file in place of the final name, replacing a file or link there (a link
  // is replaced, never followed). Fails, removing the file, when a write error shows
  // at fsync or close, when the final name holds a read-only file (unless allowed), or
  // when what then stands at the final name is not this file (ELOOP for a link put
  // there meanwhile, which is removed again, EBUSY otherwise).
  int commit();

  // Removes the file. Harmless when nothing was created or it was committed.
  void discard();

  // Removes the temporary files left for the final name name in dirFd by processes
  // that no longer run (killed before they could clean up). Returns how many.
  static int removeStale(int dirFd, const std::string &name);

  // The prefix of the temporary names for the final name name (".tvl-HASH-").
  static std::string temporaryPrefix(const std::string &name);

private:
  int dirFd_ = -1;
  int fd_ = -1;
  bool unnamed_ = false;
  Options options_;
  std::string name_;
  std::string tempName_;
};

} // namespace platform

#endif // PLATFORM_FILES_H
