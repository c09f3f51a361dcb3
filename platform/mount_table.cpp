#include "platform/mount_table.h"

#include "platform/path_prefix.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

namespace platform {

namespace {

bool isOctal(char c) {
  return c >= '0' && c <= '7';
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ')
      ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ')
      ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool parseDevice(std::string_view field, unsigned &major, unsigned &minor) {
  const size_t colon = field.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == field.size()) return false;
  try {
    major = static_cast<unsigned>(std::stoul(std::string(field.substr(0, colon))));
    minor = static_cast<unsigned>(std::stoul(std::string(field.substr(colon + 1))));
  } catch (...) {
    return false;
  }
  return true;
}

// Kernel and service filesystems that never hold a user's files. Block-device
// sources rule most of them out already; the list also catches those mounted with
// a device path as their source name.
bool isPseudoFilesystem(const std::string &fsType) {
  static const std::set<std::string> kPseudo = {
      "proc",       "sysfs",           "devtmpfs",   "devpts", "cgroup",     "cgroup2",      "overlay",   "autofs",
      "mqueue",     "debugfs",         "tracefs",    "bpf",    "fusectl",    "binfmt_misc",  "efivarfs",  "nsfs",
      "rpc_pipefs", "fuse.gvfsd-fuse", "securityfs", "pstore", "configfs",   "hugetlbfs",    "selinuxfs", "ramfs",
      "tmpfs",      "fuse.portal",     "fuse.lxcfs", "nfsd",   "functionfs", "fuse.snapfuse"};
  return kPseudo.count(fsType) != 0;
}

bool isSystemFolder(const std::string &mountPoint) {
  if (pathIsWithin(mountPoint, "/run")) return !pathIsWithin(mountPoint, "/run/media") || mountPoint == "/run/media";
  for (const char *folder : {"/proc", "/sys", "/dev", "/snap", "/boot"})
    if (pathIsWithin(mountPoint, folder)) return true;
  return false;
}

} // namespace

std::string decodeMountEscapes(const std::string &field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2]) &&
        isOctal(field[i + 3])) {
      const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      if (value <= 0xff) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<MountEntry> parseMountInfo(const std::string &text) {
  std::vector<MountEntry> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string_view> fields = splitBlanks(line);
    // id parent major:minor root mountpoint options [optional fields...] - type source superoptions
    const auto separator = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (fields.size() < 6 || separator == fields.end() || separator - fields.begin() < 6 ||
        fields.end() - separator < 3)
      continue;
    MountEntry entry;
    if (!parseDevice(fields[2], entry.devMajor, entry.devMinor)) continue;
    entry.root = decodeMountEscapes(std::string(fields[3]));
    entry.mountPoint = decodeMountEscapes(std::string(fields[4]));
    entry.fsType = decodeMountEscapes(std::string(separator[1]));
    entry.source = decodeMountEscapes(std::string(separator[2]));
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool isRemoteFilesystem(const std::string &fsType) {
  static const std::set<std::string> kRemote = {
      "nfs",         "nfs4",      "cifs", "smb3",           "smbfs",          "9p",       "fuse.sshfs", "sshfs",
      "ncpfs",       "afs",       "ceph", "glusterfs",      "fuse.glusterfs", "lustre",   "davfs",      "fuse.davfs2",
      "fuse.rclone", "fuse.s3fs", "coda", "fuse.curlftpfs", "fuse.smbnetfs",  "virtiofs", "fuse.cephfs"};
  return kRemote.count(fsType) != 0;
}

std::optional<DeviceNumber> statBlockDevice(const std::string &source) {
  if (source.empty() || source[0] != '/') return std::nullopt;
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return std::nullopt;
  return DeviceNumber{major(st.st_rdev), minor(st.st_rdev)};
}

std::vector<OfferedMount> selectOfferedMounts(const std::vector<MountEntry> &entries, const BlockDeviceProbe &probe) {
  std::vector<OfferedMount> offered;
  std::set<std::pair<unsigned, unsigned>> seen;
  // A later mount on the same folder covers the earlier one, whose files cannot be
  // reached any more; only the one on top is a drive.
  std::map<std::string, size_t> topmost;
  for (size_t i = 0; i < entries.size(); ++i)
    topmost[entries[i].mountPoint] = i;
  for (size_t i = 0; i < entries.size(); ++i) {
    const MountEntry &entry = entries[i];
    if (topmost[entry.mountPoint] != i) continue;
    if (entry.root != "/" || isPseudoFilesystem(entry.fsType) || isSystemFolder(entry.mountPoint)) continue;
    OfferedMount mount{entry, std::nullopt};
    if (!isRemoteFilesystem(entry.fsType)) {
      mount.device = probe(entry.source);
      if (!mount.device) continue;
    }
    // The filesystem's own device number is shared by all its mounts (a block
    // device's st_rdev would not tell two mounts of one network export apart).
    if (!seen.insert({entry.devMajor, entry.devMinor}).second) continue;
    offered.push_back(std::move(mount));
  }
  return offered;
}

std::string readMountInfo() {
  std::ifstream in("/proc/self/mountinfo", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace platform
