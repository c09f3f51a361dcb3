#include "model/disk_descriptions.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <vector>

#include "model/file_data.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace tavlor {

namespace {

constexpr std::size_t kBackupsKept = 5;
constexpr int kBackupAttempts = 20;
// Far beyond any count of backups, and far from overflow.
constexpr unsigned long long kHighestBackupNumber = 1000000000000000000ULL;

bool writeAll(int fd, const std::string &data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

enum class FileState { Read, Missing, Unreadable, NotRegular };

// Reads the whole file, when it is a regular file. Opened without blocking and
// checked on the descriptor: a FIFO or device put under the name must neither hang
// the start nor be read.
FileState readRegularFile(const std::string &path, std::string &out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FileState::NotRegular;
  }
  out.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return FileState::Unreadable;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return FileState::Read;
}

struct Backup {
  unsigned long long number;
  std::string name;
};

// The backups "name;N" in folder, N all digits, from one listing of the folder:
// how many there are never depends on the numbers their names hold.
std::vector<Backup> listBackups(const std::string &folder, const std::string &name) {
  std::vector<Backup> backups;
  DIR *dir = ::opendir(folder.c_str());
  if (!dir) return backups;
  const std::string prefix = name + ";";
  while (const dirent *d = ::readdir(dir)) {
    const std::string_view entry = d->d_name;
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) continue;
    unsigned long long number = 0;
    bool digits = true;
    for (char c : entry.substr(prefix.size())) {
      if (c < '0' || c > '9' || number > kHighestBackupNumber) {
        digits = false;
        break;
      }
      number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (digits && number > 0 && number <= kHighestBackupNumber) backups.push_back({number, std::string(entry)});
  }
  ::closedir(dir);
  return backups;
}

// A new file to, holding data; fails when to exists (it is never touched then).
bool writeExclusive(const std::string &to, const std::string &data) {
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = writeAll(fd, data);
  if (::close(fd) != 0 || !ok) {
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

// The words between the next open marker and its close marker, joined by single
// blanks; empty at the end of the input.
std::string extract(std::istream &in, const char *open, const char *close) {
  std::string word;
  while (in >> word && word != open) {
  }
  std::string text;
  while (in >> word && word != close) {
    if (!text.empty()) text.push_back(' ');
    text += word;
  }
  return text;
}

} // namespace

DiskDescriptions::DiskDescriptions(Options options) : options_(std::move(options)) {}

std::string DiskDescriptions::path() const {
  return options_.catalogsFolder + "/" + options_.fileName;
}

void DiskDescriptions::makeBackup(const std::string &contents) {
  std::vector<Backup> backups = listBackups(options_.catalogsFolder, options_.fileName);
  unsigned long long n = 0;
  for (const Backup &b : backups)
    n = std::max(n, b.number);
  const std::string file = path();
  for (int attempt = 0; attempt < kBackupAttempts; ++attempt) {
    ++n;
    const std::string name = options_.fileName + ";" + std::to_string(n);
    if (!writeExclusive(options_.catalogsFolder + "/" + name, contents)) continue;
    // The newest five by number stay, whatever numbers a stray file brought in; only
    // names found in the listing are removed.
    backups.push_back({n, name});
    std::sort(backups.begin(), backups.end(), [](const Backup &a, const Backup &b) { return a.number > b.number; });
    for (std::size_t i = kBackupsKept; i < backups.size(); ++i)
      ::unlink((options_.catalogsFolder + "/" + backups[i].name).c_str());
    return;
  }
  // No number could be used: every existing copy is kept.
}

void DiskDescriptions::readDescriptions(bool backup) {
  if (!options_.showDescription) return;
  map_.clear();
  const std::string file = path();
  std::string contents;
  FileState state = readRegularFile(file, contents);
  if (state == FileState::NotRegular) {
    if (!reported_) {
      reported_ = true;
      platform::showMessageBox("Tavlor",
                               file + " is not a regular file: the disk descriptions are neither read nor written.",
                               platform::BoxIcon::Warning);
    }
    return;
  }
  if (backup && options_.autoBackup) {
    if (const int dirFd = ::open(options_.catalogsFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
      // Temporary files of saves that were killed half-way.
      platform::ReplacementFile::removeStale(dirFd, options_.fileName);
      ::close(dirFd);
    }
    if (state == FileState::Missing) {
      const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
      if (fd >= 0) ::close(fd);
      state = readRegularFile(file, contents);
    } else if (state == FileState::Read) {
      makeBackup(contents);
    }
  }
  if (state != FileState::Read) return;
  std::istringstream in(contents);
  for (;;) {
    std::string key = extract(in, "<disk>", "</disk>");
    if (key.empty()) break;
    std::string value = extract(in, "<description>", "</description>");
    if (!value.empty()) map_[std::move(key)] = std::move(value);
  }
  loaded_ = true;
}

bool DiskDescriptions::writeDescriptions() {
  if (!loaded_ || map_.empty()) return false;
  std::string text;
  for (const auto &[key, value] : map_) {
    text += " <disk> " + key + " </disk> " + " <description> " + value + " </description> \r\n";
  }
  // A new file beside the real one, renamed over it once complete and on the disk: a
  // crash, a kill or a full disk never leaves a half-written descriptions file.
  const int dirFd = ::open(options_.catalogsFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return false;
  platform::ReplacementFile::Options how;
  how.mode = 0644;
  how.keepMode = true;
  how.durable = true;
  how.replaceReadOnly = true;
  platform::ReplacementFile replacement;
  int err = replacement.create(dirFd, options_.fileName, how);
  if (!err) err = replacement.write(text.data(), text.size());
  if (!err) err = replacement.commit();
  ::close(dirFd);
  return err == 0;
}

std::string DiskDescriptions::getDescription(std::string_view label) {
  if (!loaded_ && options_.showDescription) readDescriptions(true);
  auto found = map_.find(label);
  return found == map_.end() ? std::string() : found->second;
}

std::string DiskDescriptions::getDescription(const FileData &disk) {
  return getDescription(disk.name());
}

void DiskDescriptions::setDescription(std::string_view label, const std::string &text) {
  map_[std::string(label)] = text;
  writeDescriptions();
}

void DiskDescriptions::setDescription(const FileData &disk, const std::string &text) {
  setDescription(disk.name(), text);
}

} // namespace tavlor
