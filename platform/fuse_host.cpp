#define FUSE_USE_VERSION 35
#include "fuse_host.h"

#include <fcntl.h>
#include <fuse.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "mount_table.h"

namespace platform {
namespace {

ReadOnlyFileSystem &tree() {
  return *static_cast<ReadOnlyFileSystem *>(fuse_get_context()->private_data);
}

// Nothing can be written: the files are there to read, and the directories only to be
// passed through and listed, by anyone the kernel lets in.
void fillStat(const NodeAttributes &a, struct stat &st) {
  std::memset(&st, 0, sizeof st);
  st.st_mode = a.folder ? (S_IFDIR | 0555) : (S_IFREG | 0444);
  // 1 tells find and other walkers that the subfolders are not counted here.
  st.st_nlink = 1;
  static const uid_t owner = ::getuid();
  static const gid_t group = ::getgid();
  st.st_uid = owner;
  st.st_gid = group;
  st.st_size = a.folder ? 0 : static_cast<off_t>(std::min<std::uint64_t>(a.size, LLONG_MAX));
  st.st_blksize = 4096;
  st.st_blocks = static_cast<blkcnt_t>((static_cast<std::uint64_t>(st.st_size) + 511) / 512);
  st.st_mtim.tv_sec = a.modified;
  st.st_atim = st.st_mtim;
  st.st_ctim = st.st_mtim;
}

void *init(struct fuse_conn_info *, struct fuse_config *config) {
  config->use_ino = 0;
  // The tree changes only when a catalog is read again, checked at most once a second.
  config->entry_timeout = 1.0;
  config->attr_timeout = 1.0;
  config->negative_timeout = 1.0;
  return fuse_get_context()->private_data;
}

int getattr(const char *path, struct stat *st, struct fuse_file_info *) {
  NodeAttributes a;
  if (const int error = tree().attributes(path, a)) return -error;
  fillStat(a, *st);
  return 0;
}

// Every entry gets its offset (its index, after "." and ".."): left to collect the whole
// folder itself, libfuse walks its list from the start on every request, which takes
// minutes for a folder of a million files.
int readdir(const char *path, void *buffer, fuse_fill_dir_t filler, off_t offset, struct fuse_file_info *,
            enum fuse_readdir_flags) {
  NodeAttributes self;
  if (const int error = tree().attributes(path, self)) return -error;
  if (!self.folder) return -ENOTDIR;
  struct stat st;
  fillStat(self, st);
  if (offset < 1 && filler(buffer, ".", &st, 1, FUSE_FILL_DIR_PLUS) != 0) return 0;
  if (offset < 2 && filler(buffer, "..", nullptr, 2, static_cast<fuse_fill_dir_flags>(0)) != 0) return 0;
  const std::uint64_t from = offset < 2 ? 0 : static_cast<std::uint64_t>(offset) - 2;
  std::uint64_t next = from + 3;
  return -tree().list(path, from, [&](const std::string &name, const NodeAttributes &a) {
    fillStat(a, st);
    return filler(buffer, name.c_str(), &st, static_cast<off_t>(next++), FUSE_FILL_DIR_PLUS) == 0;
  });
}

int open(const char *path, struct fuse_file_info *info) {
  if ((info->flags & O_ACCMODE) != O_RDONLY || (info->flags & O_TRUNC)) return -EROFS;
  std::uint64_t handle = 0;
  bool unlisted = false;
  if (const int error = tree().open(path, handle, unlisted)) return -error;
  info->fh = handle;
  // The page cache would stop at the listed size and cut a file that has grown.
  info->direct_io = unlisted;
  return 0;
}

int read(const char *, char *buffer, size_t size, off_t offset, struct fuse_file_info *info) {
  return static_cast<int>(tree().read(info->fh, buffer, size, offset));
}

int release(const char *, struct fuse_file_info *info) {
  tree().release(info->fh);
  return 0;
}

int statfs(const char *, struct statvfs *out) {
  std::uint64_t total = 0, free = 0, nodes = 0;
  tree().space(total, free, nodes);
  std::memset(out, 0, sizeof *out);
  out->f_bsize = out->f_frsize = 4096;
  out->f_blocks = total / 4096;
  out->f_bfree = out->f_bavail = free / 4096;
  out->f_files = nodes;
  out->f_namemax = 255;
  out->f_flag = ST_RDONLY;
  return 0;
}

// The kernel refuses writes on a read-only mount before they get here; these answer
// whatever slips through (a remount, an old kernel) the same way.
int refusePath(const char *) {
  return -EROFS;
}
int refuseMode(const char *, mode_t) {
  return -EROFS;
}
int refuseTwoPaths(const char *, const char *) {
  return -EROFS;
}

fuse_operations operations() {
  fuse_operations ops{};
  ops.init = init;
  ops.getattr = getattr;
  ops.readdir = readdir;
  ops.open = open;
  ops.read = read;
  ops.release = release;
  ops.statfs = statfs;
  ops.mkdir = refuseMode;
  ops.unlink = refusePath;
  ops.rmdir = refusePath;
  ops.symlink = refuseTwoPaths;
  ops.rename = [](const char *, const char *, unsigned) { return -EROFS; };
  ops.link = refuseTwoPaths;
  ops.chmod = [](const char *, mode_t, struct fuse_file_info *) { return -EROFS; };
  ops.chown = [](const char *, uid_t, gid_t, struct fuse_file_info *) { return -EROFS; };
  ops.truncate = [](const char *, off_t, struct fuse_file_info *) { return -EROFS; };
  ops.write = [](const char *, const char *, size_t, off_t, struct fuse_file_info *) { return -EROFS; };
  ops.create = [](const char *, mode_t, struct fuse_file_info *) { return -EROFS; };
  ops.mknod = [](const char *, mode_t, dev_t) { return -EROFS; };
  ops.utimens = [](const char *, const struct timespec[2], struct fuse_file_info *) { return -EROFS; };
  ops.setxattr = [](const char *, const char *, const char *, size_t, int) { return -EROFS; };
  ops.removexattr = [](const char *, const char *) { return -EROFS; };
  ops.fallocate = [](const char *, int, off_t, off_t, struct fuse_file_info *) { return -EROFS; };
  return ops;
}

class FuseArgs {
public:
  FuseArgs() = default;
  ~FuseArgs() { fuse_opt_free_args(&args_); }
  FuseArgs(const FuseArgs &) = delete;
  FuseArgs &operator=(const FuseArgs &) = delete;
  void add(const std::string &arg) { fuse_opt_add_arg(&args_, arg.c_str()); }
  fuse_args *get() { return &args_; }

private:
  fuse_args args_ = FUSE_ARGS_INIT(0, nullptr);
};

} // namespace

std::string mountPointProblem(const std::string &mountPoint) {
  struct stat st;
  if (::stat(mountPoint.c_str(), &st) != 0) return mountPoint + ": " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return mountPoint + ": not a folder";
  char *real = ::realpath(mountPoint.c_str(), nullptr);
  if (!real) return mountPoint + ": " + std::strerror(errno);
  const std::string resolved = real;
  std::free(real);
  for (const MountEntry &entry : parseMountInfo(readMountInfo())) {
    if (entry.mountPoint == resolved) return mountPoint + ": something is mounted there already (" + entry.fsType + ")";
  }
  return "";
}

int runFuseHost(ReadOnlyFileSystem &fs, const FuseHostOptions &options, std::string &error) {
  const fuse_operations ops = operations();
  FuseArgs args;
  args.add(options.name);
  args.add("-o");
  args.add("ro,default_permissions,fsname=" + options.name + ",subtype=" + options.name);
  fuse *session = fuse_new(args.get(), &ops, sizeof ops, &fs);
  if (!session) {
    error = "the FUSE session cannot be set up";
    return 1;
  }
  if (fuse_mount(session, options.mountPoint.c_str()) != 0) {
    fuse_destroy(session);
    error = "cannot mount at " + options.mountPoint + " (is /dev/fuse usable and fusermount3 installed?)";
    return 1;
  }
  int status = 0;
  if (fuse_set_signal_handlers(fuse_get_session(session)) != 0) {
    error = "cannot install the signal handlers";
    status = 1;
  } else {
    const int savedError = options.background ? ::dup(STDERR_FILENO) : -1;
    if (options.background && fuse_daemonize(0) != 0) {
      error = "cannot go into the background";
      status = 1;
    }
    if (savedError >= 0) {
      ::dup2(savedError, STDERR_FILENO);
      ::close(savedError);
    }
    if (status == 0) {
      const int result = fuse_loop(session);
      if (result < 0) {
        error = std::string("the mount ended with an error: ") + std::strerror(-result);
        status = 1;
      }
    }
    fuse_remove_signal_handlers(fuse_get_session(session));
  }
  fuse_unmount(session);
  fuse_destroy(session);
  return status;
}

} // namespace platform
