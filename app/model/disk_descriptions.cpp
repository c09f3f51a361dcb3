#include "model/disk_descriptions.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "model/file_data.h"

namespace tavlor {

namespace {

constexpr int kBackupsKept = 5;
constexpr int kBackupAttempts = 20;

bool fileExists(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

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

bool readAll(const std::string &path, std::string &out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Copies from to a new file to; fails when to exists (it is never touched then).
bool copyExclusive(const std::string &from, const std::string &to) {
  std::string data;
  if (!readAll(from, data)) return false;
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = writeAll(fd, data);
  if (::close(fd) != 0 || !ok) {
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

// The highest number N of the backups "name;N" in folder; 0 when there is none.
long highestBackup(const std::string &folder, const std::string &name) {
  long highest = 0;
  DIR *dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  const std::string prefix = name + ";";
  while (const dirent *d = ::readdir(dir)) {
    const std::string entry = d->d_name;
    if (entry.compare(0, prefix.size(), prefix) != 0) continue;
    const std::size_t semicolon = entry.rfind(';');
    if (semicolon == 0 || semicolon == std::string::npos) continue;
    long number = 0;
    for (std::size_t i = semicolon + 1; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
      if (number > 100000000) break; // far beyond any count of backups
      number = number * 10 + (entry[i] - '0');
    }
    if (number > highest) highest = number;
  }
  ::closedir(dir);
  return highest;
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

void DiskDescriptions::makeBackup() {
  const std::string file = path();
  const long highest = highestBackup(options_.catalogsFolder, options_.fileName);
  if (!fileExists(file)) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
    return;
  }
  long n = highest > 0 ? highest : 0;
  for (int attempt = 0; attempt < kBackupAttempts; ++attempt) {
    ++n;
    if (!copyExclusive(file, file + ";" + std::to_string(n))) continue;
    for (long k = n - kBackupsKept; k >= 1; --k)
      ::unlink((file + ";" + std::to_string(k)).c_str());
    return;
  }
  // No number could be used: every existing copy is kept.
}

void DiskDescriptions::readDescriptions(bool backup) {
  if (!options_.showDescription) return;
  map_.clear();
  if (backup && options_.autoBackup) makeBackup();
  std::ifstream in(path(), std::ios::binary);
  if (!in) return;
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
  // A temporary file beside the real one, renamed over it once complete: a crash or a
  // full disk never leaves a half-written descriptions file.
  const std::string file = path();
  std::string temporary = file + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  struct stat old {};
  const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  (void)::fchmod(fd, mode); // mkstemp's 0600 would hide the file from the user's other tools
  bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
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
