// extractFromZip: one member, found by its exact stored name.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "Tavscan60.h"
#include "extract_member.h"
#include "extract_paths.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace tavscan {
namespace {

void showNotFound(const std::string &memberName, const std::string &zipPath) {
  platform::showMessageBox("Could not open file in Zip file",
                           "Could not open zipped file: " + memberName + "\nin Zip file " + zipPath +
                               "\nYour catalog may be out-of-date.",
                           platform::BoxIcon::None);
}

void showCannotUncompress(const std::string &memberName, const std::string &zipPath) {
  platform::showMessageBox("Could not uncompress file in Zip file",
                           "Could not uncompress zipped file: " + memberName + "\nin Zip file " + zipPath +
                               "\n\nPlease check:" + "\n1) Is your catalog out-of-date?" +
                               "\n2) Is your Zip file password protected?",
                           platform::BoxIcon::None);
}

// Makes the member stored exactly as memberName the current one. minizip's own
// lookup compares names cut to its fixed buffer, so the names are compared whole here.
bool locateExactly(unzFile archive, const std::string &memberName, ZipMember &member) {
  for (int rc = unzGoToFirstFile(archive); rc == UNZ_OK; rc = unzGoToNextFile(archive)) {
    if (readCurrentMember(archive, member) && member.name == memberName) return true;
  }
  return false;
}

// Opens the folder that will hold the member's file, creating destFolder and the
// member's folders; below destFolder no symbolic link is followed.
int openTargetFolder(const std::string &destFolder, const std::vector<std::string> &folders) {
  platform::createFolderLevels(destFolder);
  const int dest = ::open(destFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dest < 0) return -1;
  const int target = platform::openFolderBelow(dest, folders, true);
  ::close(dest);
  return target;
}

bool extractMember(unzFile archive, const ZipMember &member, const std::string &zipPath, const std::string &memberName,
                   const std::string &destFolder, bool useFolderNames, bool overwriteNewer, bool overwriteOlder,
                   char *outPath, size_t outPathSize) {
  const CatalogDate date = memberDate(member, zipPath);
  if (!memberReadable(member)) {
    showCannotUncompress(memberName, zipPath);
    return false;
  }
  if (unzOpenCurrentFile(archive) != UNZ_OK) {
    showNotFound(memberName, zipPath);
    return false;
  }
  // Closes the member on every way out.
  struct OpenMember {
    unzFile archive;
    ~OpenMember() { unzCloseCurrentFile(archive); }
  } open{archive};

  char first[kCopyChunk];
  const int firstSize = unzReadCurrentFile(archive, first, sizeof first);
  if (firstSize <= 0) {
    showCannotUncompress(memberName, zipPath);
    return false;
  }

  MemberPath path = memberPath(member.name);
  if (path.file.empty()) return false;
  if (!useFolderNames) path.folders.clear();
  const std::string result = joinPath(destFolder, relativeText(path, useFolderNames));
  if (outPath) {
    if (result.size() >= outPathSize) return false;
    std::memcpy(outPath, result.c_str(), result.size() + 1);
  }

  const int folder = openTargetFolder(destFolder, path.folders);
  if (folder < 0) return false;
  bool written = false;
  if (overwriteAllows(folder, path.file, date, overwriteNewer, overwriteOlder)) {
    const WriteOutcome outcome = writeMember(archive, member, first, firstSize, folder, path.file, date);
    written = outcome == WriteOutcome::Written;
    if (outcome == WriteOutcome::Damaged) showCannotUncompress(memberName, zipPath);
  }
  ::close(folder);
  return written;
}

} // namespace
} // namespace tavscan

bool extractFromZip(const char *zipPath, const char *memberName, const char *destFolder, bool useFolderNames,
                    bool overwriteNewer, bool overwriteOlder, char *outPath, size_t outPathSize) {
  if (outPath && outPathSize > 0) outPath[0] = '\0';
  if (outPath && outPathSize == 0) return false;
  // An empty destination would put the file in the root folder.
  if (!zipPath || !memberName || !destFolder || !*destFolder) return false;

  tavscan::ZipArchive archive(zipPath);
  if (!archive) return false;
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive.handle(), &global) != UNZ_OK) {
    platform::showMessageBox("Could not open Zip file", std::string("Unable to open ") + zipPath,
                             platform::BoxIcon::None);
    return false;
  }
  tavscan::ZipMember member;
  if (!tavscan::locateExactly(archive.handle(), memberName, member)) {
    tavscan::showNotFound(memberName, zipPath);
    return false;
  }
  return tavscan::extractMember(archive.handle(), member, zipPath, memberName, destFolder, useFolderNames,
                                overwriteNewer, overwriteOlder, outPath, outPathSize);
}
