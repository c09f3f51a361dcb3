#include "platform/volume_table.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace platform {

namespace {

std::vector<std::string> splitTabs(const std::string &line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::optional<DriveType> driveTypeFromName(const std::string &name) {
  static const std::map<std::string, DriveType> kTypes = {{"fixed", DriveType::Fixed},
                                                          {"removable", DriveType::Removable},
                                                          {"cdrom", DriveType::CdRom},
                                                          {"remote", DriveType::Remote},
                                                          {"ramdisk", DriveType::RamDisk}};
  const auto found = kTypes.find(name);
  if (found == kTypes.end()) return std::nullopt;
  return found->second;
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

} // namespace

std::optional<int> errnoFromName(const std::string &name) {
  static const std::map<std::string, int> kNames = {{"EPERM", EPERM},
                                                    {"ENOENT", ENOENT},
                                                    {"EIO", EIO},
                                                    {"ENXIO", ENXIO},
                                                    {"EBADF", EBADF},
                                                    {"EAGAIN", EAGAIN},
                                                    {"ENOMEM", ENOMEM},
                                                    {"EACCES", EACCES},
                                                    {"EBUSY", EBUSY},
                                                    {"ENODEV", ENODEV},
                                                    {"ENOTDIR", ENOTDIR},
                                                    {"EINVAL", EINVAL},
                                                    {"ENOSPC", ENOSPC},
                                                    {"EROFS", EROFS},
                                                    {"ENOTTY", ENOTTY},
                                                    {"ETIMEDOUT", ETIMEDOUT},
                                                    {"ENOMEDIUM", ENOMEDIUM},
                                                    {"EMEDIUMTYPE", EMEDIUMTYPE},
                                                    {"EHOSTDOWN", EHOSTDOWN},
                                                    {"EHOSTUNREACH", EHOSTUNREACH},
                                                    {"ENOTCONN", ENOTCONN},
                                                    {"ESTALE", ESTALE},
                                                    {"EOPNOTSUPP", EOPNOTSUPP}};
  const auto found = kNames.find(name);
  if (found != kNames.end()) return found->second;
  if (name.empty() || name.size() > 5 || name.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int value = std::atoi(name.c_str());
  if (value <= 0) return std::nullopt;
  return value;
}

std::vector<Volume> parseVolumeTable(const std::string &text) {
  std::vector<Volume> volumes;
  std::set<std::string> roots;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() < 3 || fields.size() > 4 || fields[0].empty() || fields[0][0] != '/') continue;
    const std::optional<DriveType> type = driveTypeFromName(fields[2]);
    if (!type) continue;
    Volume volume;
    volume.mountPoint = withoutTrailingSlashes(fields[0]);
    volume.type = *type;
    volume.fromTable = true;
    volume.tableLabel = fields[1];
    if (fields.size() == 4 && !fields[3].empty()) {
      const std::optional<int> error = errnoFromName(fields[3]);
      if (!error) continue;
      volume.tableLabelError = *error;
    }
    if (!roots.insert(volume.mountPoint).second) continue;
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

std::optional<std::string> volumeTablePath() {
  const char *path = std::getenv("TAVLOR_VOLUME_TABLE");
  if (path == nullptr || *path == '\0') return std::nullopt;
  return std::string(path);
}

} // namespace platform
