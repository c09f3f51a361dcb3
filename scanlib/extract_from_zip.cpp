// extractFromZip: one member, found by its exact stored name.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
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

bool extractMember(const ZipArchive &archive, const ZipMember &member, const std::string &zipPath,
                   const std::string &memberName, const std::string &destFolder, bool useFolderNames,
                   bool overwriteNewer, bool overwriteOlder, char *outPath, size_t outPathSize) {
  const CatalogDate date = memberDate(member, zipPath);
  if (!memberReadable(member)) {
    showCannotUncompress(memberName, zipPath);
    return false;
  }
  const MemberSpan span = archive.spanOfCurrent(member);
  if (!span.found) {
    showNotFound(memberName, zipPath);
    return false;
  }
  MemberReader reader(archive.fd(), span, member.compressedSize);
  if (!reader.usable()) {
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
    int error = 0;
    const WriteOutcome outcome = writeMember(reader, member, folder, path.file, date, error);
    written = outcome == WriteOutcome::Written;
    if (outcome == WriteOutcome::Damaged) showCannotUncompress(memberName, zipPath);
  }
  ::close(folder);
  return written;
}

void showCannotOpen(const std::string &zipPath, const std::string &why) {
  platform::showMessageBox("Could not open Zip file", "Unable to open " + zipPath + (why.empty() ? "" : "\n" + why),
                           platform::BoxIcon::None);
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
  if (archive.openError() == EINVAL) {
    tavscan::showCannotOpen(zipPath, tavscan::kNotARegularFile);
    return false;
  }
  if (!archive) return false;
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive.handle(), &global) != UNZ_OK) {
    tavscan::showCannotOpen(zipPath, "");
    return false;
  }
  if (archive.membersOverlap()) {
    tavscan::showCannotOpen(zipPath, tavscan::kMembersOverlap);
    return false;
  }
  tavscan::ZipMember member;
  if (!tavscan::locateExactly(archive.handle(), memberName, member)) {
    tavscan::showNotFound(memberName, zipPath);
    return false;
  }
  return tavscan::extractMember(archive, member, zipPath, memberName, destFolder, useFolderNames, overwriteNewer,
                                overwriteOlder, outPath, outPathSize);
}
