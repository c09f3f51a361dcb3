#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <random>
#include <string>

#include "Tavscan60.h"
#include "scan_walker.h"

namespace {

// Creates a fresh, hidden file beside target (so that the final rename stays within
// one filesystem) and returns its path, or "" when the folder cannot take one.
std::string createTemporaryBeside(const std::string &target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string path =
        (folder == "/" ? "" : folder) + "/." + base + "." + std::to_string(random() % 1000000) + ".tmp";
    // 0666 with the umask applied, as any newly written catalog.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

bool syncFile(const std::string &path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

} // namespace

int catalogVolume(const char *rootPath, const char *label, const char *catalogPath, int day, int month, int year,
                  int hour, int minute, int second, TavscanProgress progress, void *progressContext) {
  if (!rootPath || !*rootPath) return kTavscanCatalogNoSource;
  const int rootFd = ::open(rootPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0) return kTavscanCatalogNoSource;
  ::close(rootFd);
  if (!catalogPath || !*catalogPath) return kTavscanCatalogCannotWrite;

  const std::string temporary = createTemporaryBeside(catalogPath);
  if (temporary.empty()) return kTavscanCatalogCannotWrite;

  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  bool finished = false;
  if (out) {
    writeZarHeader(out, rootPath);
    tavscan::ScanRoot root;
    root.folder = rootPath;
    root.name = label ? label : "";
    GetLargeDiskSize(rootPath, root.sizeA, root.sizeB);
    root.date = {day, month, year, hour, minute, second};
    tavscan::DiskScanner scanner(out, progress, progressContext);
    finished = scanner.scan(root);
    out.flush();
  }
  const bool written = out.good();
  out.close();
  // The old catalog is replaced only by a complete, durable new one.
  if (!finished || !written || out.fail() || !syncFile(temporary) || ::rename(temporary.c_str(), catalogPath) != 0) {
    ::unlink(temporary.c_str());
    return !finished && written ? kTavscanCatalogCancelled : kTavscanCatalogCannotWrite;
  }
  return kTavscanCatalogOk;
}
