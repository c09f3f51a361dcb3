// extractAllFromZip: every member, or those below a folder of the archive.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

  bool takes(const ZipMember &member) const {
    return all || upperAscii(member.name).compare(0, upperPrefix.size(), upperPrefix) == 0;
  }
};

struct Report {
  TavscanNotWritten notWritten;
  void *context;
  void operator()(const std::string &member, const std::string &reason) const {
    if (notWritten) notWritten(member.c_str(), reason.c_str(), context);
  }
};

std::string because(const char *what, int error) {
  return std::string(what) + ": " + std::strerror(error);
}

// True when the member's file was written; a member that should have been written
// and was not is reported.
bool extractCurrent(const ZipArchive &archive, const ZipMember &member, const Selection &selection, int destFd,
                    const std::string &zipPath, bool useFolderNames, bool overwriteNewer, bool overwriteOlder,
                    const Report &report) {
  MemberPath path = memberPath(useFolderNames ? member.name.substr(selection.parentLength) : member.name);
  if (!useFolderNames) path.folders.clear();
  // Folders are made before the member is looked at, so a folder entry or an empty
  // member still leaves its folder behind.
  const int folder = platform::openFolderBelow(destFd, path.folders, true);
  if (folder < 0) {
    report(member.name, because("its folder cannot be made", errno));
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closeFolder{folder};

  const CatalogDate date = memberDate(member, zipPath);
  // A folder entry has nothing to write; a file the overwrite rule keeps is kept.
  if (path.file.empty() || !overwriteAllows(folder, path.file, date, overwriteNewer, overwriteOlder)) return false;
  if (!memberReadable(member)) {
    report(member.name, "encrypted");
    return false;
  }
  MemberReader reader(archive.fd(), archive.spanOfCurrent(member), member.compressedSize);
  int error = 0;
  switch (writeMember(reader, member, folder, path.file, date, error)) {
  case WriteOutcome::Written:
    return true;
  case WriteOutcome::Damaged:
    if (error)
      report(member.name, because("the file cannot be written", error));
    else
      report(member.name, reader.usable() ? "damaged: its data fails the CRC or size check"
                                          : "its data cannot be read (damaged, or compressed by an unknown method)");
    return false;
  case WriteOutcome::CannotCreate:
    report(member.name, because("the file cannot be written", error));
    return false;
  }
  return false;
}

} // namespace
} // namespace tavscan

int extractAllFromZip(const char *zipPath, const char *folderInZip, const char *destFolder, bool useFolderNames,
                      bool overwriteNewer, bool overwriteOlder, void (*progress)(), TavscanNotWritten notWritten,
                      void *notWrittenContext) {
  using namespace tavscan;
  const Report report{notWritten, notWrittenContext};
  Selection selection;
  if (folderInZip) {
    selection.all = false;
    selection.upperPrefix = upperAscii(folderInZip);
    selection.parentLength = folderPrefixLength(folderInZip);
  }
  // An empty destination would put the files in the root folder.
  if (!zipPath || !destFolder || !*destFolder) return 0;

  ZipArchive archive(zipPath);
  unz_global_info64 global;
  if (!archive || unzGetGlobalInfo64(archive.handle(), &global) != UNZ_OK) {
    const int error = archive.openError();
    report("", error == EINVAL ? "not a regular file" : error ? std::strerror(error) : "not a readable ZIP archive");
    return 0;
  }
  if (archive.membersOverlap()) {
    report("", "its members overlap one another or its directory (one stream would make many files)");
    for (int rc = unzGoToFirstFile(archive.handle()); rc == UNZ_OK; rc = unzGoToNextFile(archive.handle())) {
      ZipMember member;
      if (readCurrentMember(archive.handle(), member) && selection.takes(member) && !memberPath(member.name).file.empty())
        report(member.name, "the archive was refused");
    }
    return 0;
  }
  platform::createFolderLevels(destFolder);
  const uint64_t interval = global.number_entry / 20;
  if (unzGoToFirstFile(archive.handle()) != UNZ_OK) return 0;
  const int destFd = ::open(destFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (destFd < 0) {
    report("", because("the destination cannot be opened", errno));
    return 0;
  }

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
    if (!selection.takes(member)) continue;
    if (extractCurrent(archive, member, selection, destFd, zipPath, useFolderNames, overwriteNewer, overwriteOlder,
                       report))
      ++count;
  } while (unzGoToNextFile(archive.handle()) == UNZ_OK);
  ::close(destFd);
  return count;
}

int extractAllFromZip(const char *zipPath, const char *folderInZip, const char *destFolder, bool useFolderNames,
                      bool overwriteNewer, bool overwriteOlder, void (*progress)()) {
  return extractAllFromZip(zipPath, folderInZip, destFolder, useFolderNames, overwriteNewer, overwriteOlder, progress,
                           nullptr, nullptr);
}
