// fuse_host.h - serving a read-only file system through the kernel's FUSE interface.
//
// What is shown comes from a ReadOnlyFileSystem, which knows nothing of FUSE; the host
// mounts it read-only, answers every write with EROFS, and runs until the mount is
// taken away (fusermount3 -u) or SIGINT, SIGTERM or SIGHUP arrives, unmounting then.
#ifndef PLATFORM_FUSE_HOST_H
#define PLATFORM_FUSE_HOST_H

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace platform {

// What stat shows of one node.
struct NodeAttributes {
  bool folder = false;
  std::uint64_t size = 0;
  std::time_t modified = 0;
};

// The tree to serve. Paths are absolute within the mount ("/" is its root, then
// "/a/b"), as the kernel asks for them. Results are 0 or an errno value. The host calls
// from one thread only, so an implementation needs no locking.
class ReadOnlyFileSystem {
public:
  virtual ~ReadOnlyFileSystem() = default;

  virtual int attributes(const std::string &path, NodeAttributes &out) = 0;
  // Calls add for the entries of the folder at path in a fixed order, "." and ".."
  // excluded, starting with the entry at index from (0 is the first); a false from add
  // ends the listing early (the kernel's buffer is full), and the next call goes on
  // from there. Each call must cost what it lists, not what comes before from: a
  // folder of a million entries is read in thousands of calls.
  using AddEntry = std::function<bool(const std::string &name, const NodeAttributes &attributes)>;
  virtual int list(const std::string &path, std::uint64_t from, const AddEntry &add) = 0;
  // Opens the file at path for reading; handle receives what read and release get.
  // unlisted is set when the contents are not as long as attributes says (the file
  // changed since it was listed): its reads are then not cut at the listed size.
  virtual int open(const std::string &path, std::uint64_t &handle, bool &unlisted) = 0;
  // Reads up to size bytes at offset into buffer: the count read (0 at the end), or
  // minus an errno value.
  virtual long read(std::uint64_t handle, char *buffer, std::size_t size, off_t offset) = 0;
  virtual void release(std::uint64_t handle) = 0;
  // The bytes in all and free on what the tree stands for, for statfs.
  virtual void space(std::uint64_t &total, std::uint64_t &free, std::uint64_t &nodes) = 0;
};

struct FuseHostOptions {
  std::string mountPoint;
  std::string name = "tavlor"; // the source and subtype in the mount table (fuse.NAME)
  bool background = false;     // detach from the terminal once mounted
};

// Why a mount point cannot take the view: "" when it can. It must be an existing
// folder that is not a mount point already (a second view there would hide the first).
std::string mountPointProblem(const std::string &mountPoint);

// Mounts fs at the mount point and serves it until unmounted or signalled. With
// background the process detaches once the mount is in place (the parent exits 0);
// standard error stays where it was, so the tree's messages are still seen.
// Returns 0 after a clean unmount; otherwise 1 with error naming what failed.
int runFuseHost(ReadOnlyFileSystem &fs, const FuseHostOptions &options, std::string &error);

} // namespace platform

#endif // PLATFORM_FUSE_HOST_H
