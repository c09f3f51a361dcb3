#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "Tavscan60.h"
#include "platform/files.h"
#include "scan_walker.h"

namespace {

// Hands every write straight to the file and keeps the first error, whose cause
// (a full disk, a quota) the caller reports: the scanner batches its lines itself,
// so a second buffer would only copy them again.
class FileStreamBuf : public std::streambuf {
public:
  explicit FileStreamBuf(platform::ReplacementFile &file) : file_(file) {}
  int error() const { return error_; }

protected:
  std::streamsize xsputn(const char *data, std::streamsize size) override {
    if (error_ == 0) error_ = file_.write(data, static_cast<size_t>(size));
    return error_ == 0 ? size : 0;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }

private:
  platform::ReplacementFile &file_;
  int error_ = 0;
};

// Earlier versions wrote ".NAME.N.tmp" (N up to six digits) beside the catalog and
// left it behind when they were killed; such a file is never a catalog.
void removeOldTemporaries(int dirFd, const std::string &name) {
  const std::string prefix = "." + name + ".";
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR *dir = ::fdopendir(listFd);
  if (!dir) {
    ::close(listFd);
    return;
  }
  std::vector<std::string> old;
  while (const struct dirent *entry = ::readdir(dir)) {
    const std::string_view n(entry->d_name);
    if (n.size() <= prefix.size() + 4 || n.compare(0, prefix.size(), prefix) != 0 || !n.ends_with(".tmp")) continue;
    const std::string_view digits = n.substr(prefix.size(), n.size() - prefix.size() - 4);
    if (digits.size() <= 6 && digits.find_first_not_of("0123456789") == std::string_view::npos) old.emplace_back(n);
  }
  ::closedir(dir);
  for (const auto &entry : old)
    ::unlinkat(dirFd, entry.c_str(), 0);
}

int cannotWrite(int err) {
  errno = err;
  return kTavscanCatalogCannotWrite;
}

} // namespace

int catalogVolume(const char *rootPath, const char *label, const char *catalogPath, int day, int month, int year,
                  int hour, int minute, int second, TavscanProgress progress, void *progressContext) {
  if (!rootPath || !*rootPath) return kTavscanCatalogNoSource;
  const int rootFd = ::open(rootPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0) return kTavscanCatalogNoSource;
  ::close(rootFd);
  if (!catalogPath || !*catalogPath) return cannotWrite(EINVAL);

  const std::string target = catalogPath;
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return cannotWrite(errno);
  struct FolderCloser {
    int fd;
    ~FolderCloser() { ::close(fd); }
  } closeFolder{dirFd};

  platform::ReplacementFile::removeStale(dirFd, name);
  removeOldTemporaries(dirFd, name);

  // A catalog kept private stays private when it is written again.
  platform::ReplacementFile::Options options;
  options.keepMode = true;
  options.durable = true;
  options.replaceReadOnly = true;
  platform::ReplacementFile file;
  if (const int err = file.create(dirFd, name, options)) return cannotWrite(err);

  FileStreamBuf buffer(file);
  std::ostream out(&buffer);
  writeZarHeader(out, rootPath);
  tavscan::ScanRoot root;
  root.folder = rootPath;
  root.name = label ? label : "";
  GetLargeDiskSize(rootPath, root.sizeA, root.sizeB);
  root.date = {day, month, year, hour, minute, second};
  tavscan::DiskScanner scanner(out, progress, progressContext);
  const bool finished = scanner.scan(root);

  // The old catalog is replaced only by a complete, durable new one.
  if (buffer.error()) return cannotWrite(buffer.error());
  if (!finished) {
    file.discard();
    return kTavscanCatalogCancelled;
  }
  if (const int err = file.commit()) return cannotWrite(err);
  return kTavscanCatalogOk;
}
