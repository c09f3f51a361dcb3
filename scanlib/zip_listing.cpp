#include "zip_listing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#include <minizip/unzip.h>

#include "platform/message_box.h"
#include "zip_data.h"
#include "zip_member.h"

namespace tavscan {
namespace {

// The member tree of one archive, flat in one vector so that neither building nor
// freeing a tree of deep member paths recurses.
struct ZipFolderNode {
  std::string name;
  uint64_t size = 0;
  CatalogDate date;
  std::map<std::string, size_t> children; // byte-wise order, unique by exact name
};

class ZipTree {
public:
  ZipTree(std::string name, uint64_t size, const CatalogDate &date) {
    nodes_.push_back({std::move(name), size, date, {}});
  }

  // Inserts one member path; intermediate folders take the member's size and date.
  // A path already present keeps its first member.
  void insert(const std::vector<std::string> &components, uint64_t size, const CatalogDate &date) {
    size_t at = 0;
    for (const auto &component : components) {
      auto found = nodes_[at].children.find(component);
      if (found == nodes_[at].children.end()) {
        nodes_.push_back({component, size, date, {}});
        found = nodes_[at].children.emplace(component, nodes_.size() - 1).first;
      }
      at = found->second;
    }
  }

  // Folders first, each written completely, in name order; then the member lines.
  // Only the archive's own line carries its size; all folders carry its date.
  void write(CatalogOutput &out) const {
    const ZipFolderNode &root = nodes_[0];
    if (root.children.empty()) {
      out.memberLine(root.name, root.size, root.date);
      return;
    }
    uint64_t archiveSize = root.size;
    struct Pending {
      size_t node;
      std::map<std::string, size_t>::const_iterator next;
    };
    std::vector<Pending> stack;
    auto open = [&](size_t index) {
      out.openZipFolder(nodes_[index].name, archiveSize, root.date);
      archiveSize = 0;
      stack.push_back({index, nodes_[index].children.begin()});
    };
    open(0);
    while (!stack.empty()) {
      Pending &top = stack.back();
      const auto end = nodes_[top.node].children.end();
      while (top.next != end && nodes_[top.next->second].children.empty())
        ++top.next;
      if (top.next != end) {
        const size_t child = (top.next++)->second;
        open(child); // invalidates top
        continue;
      }
      for (const auto &[name, index] : nodes_[top.node].children) {
        if (nodes_[index].children.empty()) out.memberLine(name, nodes_[index].size, nodes_[index].date);
      }
      out.closeZipFolder();
      stack.pop_back();
    }
  }

private:
  std::vector<ZipFolderNode> nodes_;
};

// The non-empty components of a member name; both "/" and "\" separate them. "."
// and ".." are dropped too, so that no catalog path of a member climbs out of its
// Zip Folder.
std::vector<std::string> memberComponents(std::string_view name) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") components.push_back(catalogName(part));
    start = end + 1;
  }
  return components;
}

// An archive of no members is its end record alone, at offset 0, where minizip's
// search for that record never looks; it is an empty archive all the same.
bool isEmptyArchive(int fd) {
  struct stat st;
  unsigned char record[22];
  if (::fstat(fd, &st) != 0 || st.st_size < 22 || ::pread(fd, record, sizeof record, 0) != sizeof record) return false;
  static const unsigned char kEmpty[20] = {'P', 'K', 5, 6}; // then disks, counts, size and offset all 0
  const size_t commentLength = record[20] | (record[21] << 8);
  return std::memcmp(record, kEmpty, sizeof kEmpty) == 0 && static_cast<size_t>(st.st_size) == 22 + commentLength;
}

// A DOS date field can hold month 0 or 15, day 0, hour 31, minute 63: such a date
// names no time and would stand in the catalog as numbers no reader accepts.
bool plausibleDate(const ZipMember &m) {
  return m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= 31 && m.hour <= 23 && m.minute <= 59 && m.second <= 59;
}

void warnMemberDate(const std::string &member, const std::string &path,
                    std::vector<std::pair<std::string, std::string>> *deferred) {
  std::string caption = "Warning: file date invalid";
  std::string text = "The file " + member + " in " + path + " has invalid date information.\n" +
                     "A default catalog date will be assigned: Feb 5, 2036\n" + "Press OK to continue";
  if (deferred) {
    deferred->emplace_back(std::move(caption), std::move(text));
    return;
  }
  platform::showMessageBox(caption, text, platform::BoxIcon::Warning);
}

} // namespace

bool listArchive(int folderFd, const std::string &name, const std::string &path, uint64_t size, const CatalogDate &date,
                 CatalogOutput &out, std::vector<std::pair<std::string, std::string>> *deferred) {
  const int fd = openRegularFileAt(folderFd, name.c_str(), false);
  if (fd < 0) return false;
  unzFile archive = openArchiveOnDescriptor(fd);
  if (!archive && isEmptyArchive(fd)) out.memberLine(name, size, date);
  ::close(fd);
  if (!archive) return false;

  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) {
    unzClose(archive);
    return false;
  }

  ZipTree tree(name, size, date);
  bool anyMember = false;
  for (int step = unzGoToFirstFile(archive); step == UNZ_OK; step = unzGoToNextFile(archive)) {
    ZipMember member;
    if (!readCurrentMember(archive, member)) continue;
    anyMember = true;
    const auto components = memberComponents(member.name);
    CatalogDate memberDate;
    if (member.year <= 2035 && plausibleDate(member)) {
      memberDate = {member.day, member.month, member.year, member.hour, member.minute, member.second};
    } else {
      memberDate = kDefaultCatalogDate;
      warnMemberDate(member.name, path, deferred);
    }
    if (!components.empty()) tree.insert(components, member.uncompressedSize, memberDate);
  }
  tree.write(out);
  unzClose(archive);
  return anyMember;
}

} // namespace tavscan
