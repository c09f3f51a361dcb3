// extractAllFromZip: every member, or those below a folder of the archive.
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "Tavscan60.h"
#include "extract_member.h"
#include "extract_paths.h"
#include "platform/files.h"

namespace tavscan {
namespace {

struct Selection {
  bool all = true;
  std::string upperPrefix;
  size_t parentLength = 0;
};

// True when the member's file was written.
bool extractCurrent(unzFile archive, const ZipMember &member, const Selection &selection, int destFd,
                    const std::string &zipPath, bool useFolderNames, bool overwriteNewer, bool overwriteOlder) {
  MemberPath path = memberPath(useFolderNames ? member.name.substr(selection.parentLength) : member.name);
  if (!useFolderNames) path.folders.clear();
  // Folders are made before the member is looked at, so a folder entry or an empty
  // member still leaves its folder behind.
  const int folder = platform::openFolderBelow(destFd, path.folders, true);
  if (folder < 0) return false;
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closeFolder{folder};

  const CatalogDate date = memberDate(member, zipPath);
  if (path.file.empty() || !overwriteAllows(folder, path.file, date, overwriteNewer, overwriteOlder)) return false;
  if (!memberReadable(member) || unzOpenCurrentFile(archive) != UNZ_OK) return false;
  char first[kCopyChunk];
  const int firstSize = unzReadCurrentFile(archive, first, sizeof first);
  const bool written =
      firstSize > 0 && writeMember(archive, member, first, firstSize, folder, path.file, date) == WriteOutcome::Written;
  unzCloseCurrentFile(archive);
  return written;
}

} // namespace
} // namespace tavscan

int extractAllFromZip(const char *zipPath, const char *folderInZip, const char *destFolder, bool useFolderNames,
                      bool overwriteNewer, bool overwriteOlder, void (*progress)()) {
  using namespace tavscan;
  Selection selection;
  if (folderInZip) {
    selection.all = false;
    selection.upperPrefix = upperAscii(folderInZip);
    selection.parentLength = folderPrefixLength(folderInZip);
  }
  // An empty destination would put the files in the root folder.
  if (!zipPath || !destFolder || !*destFolder) return 0;
  platform::createFolderLevels(destFolder);

  ZipArchive archive(zipPath);
  unz_global_info64 global;
  if (!archive || unzGetGlobalInfo64(archive.handle(), &global) != UNZ_OK) return 0;
  const uint64_t interval = global.number_entry / 20;
  if (unzGoToFirstFile(archive.handle()) != UNZ_OK) return 0;
  const int destFd = ::open(destFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (destFd < 0) return 0;

  int count = 0;
  uint64_t counter = 0;
  do {
    if (progress && counter > interval) {
      progress();
      counter = 0;
    }
    ++counter;
    ZipMember member;
    if (!readCurrentMember(archive.handle(), member)) continue;
    if (!selection.all && upperAscii(member.name).compare(0, selection.upperPrefix.size(), selection.upperPrefix) != 0)
      continue;
    if (extractCurrent(archive.handle(), member, selection, destFd, zipPath, useFolderNames, overwriteNewer,
                       overwriteOlder))
      ++count;
  } while (unzGoToNextFile(archive.handle()) == UNZ_OK);
  ::close(destFd);
  return count;
}
