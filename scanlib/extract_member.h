// extract_member.h - the steps both extraction operations share: the open archive,
// the member's date, the overwrite rule and writing one member to its file.
#ifndef SCANLIB_EXTRACT_MEMBER_H
#define SCANLIB_EXTRACT_MEMBER_H

#include <string>

#include <minizip/unzip.h>

#include "catalog_date.h"
#include "zip_member.h"

namespace tavscan {

// Members are inflated and written in chunks of this many bytes.
inline constexpr int kCopyChunk = 1024;

// An archive opened for reading, closed when the object goes away.
class ZipArchive {
public:
  explicit ZipArchive(const char *zipPath) : handle_(zipPath ? unzOpen64(zipPath) : nullptr) {}
  ~ZipArchive() {
    if (handle_) unzClose(handle_);
  }
  ZipArchive(const ZipArchive &) = delete;
  ZipArchive &operator=(const ZipArchive &) = delete;

  unzFile handle() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

private:
  unzFile handle_;
};

// The member's stored date; a year of 2036 or later, or a date that names no time
// (month 0, hour 31 ...), is replaced by the default date after the "Warning: file
// date invalid" box, as the catalog lists it.
CatalogDate memberDate(const ZipMember &member, const std::string &zipPath);

// Whether the data of member can be delivered at all: an encrypted member cannot be
// decrypted here (a stored one would come out as its ciphertext), and one whose true
// size is beyond what minizip reads would come out truncated.
bool memberReadable(const ZipMember &member);

// The overwrite rule for the file name in the folder dirFd: write when there is no
// file that can be opened for writing there (missing, read-only, a link, a folder),
// when its time equals date, or when it is newer or older and the matching option is set.
bool overwriteAllows(int dirFd, const std::string &name, const CatalogDate &date, bool overwriteNewer,
                     bool overwriteOlder);

enum class WriteOutcome {
  Written,
  CannotCreate, // the file could not be created or put in place; nothing changed
  Damaged,      // CRC or size mismatch, a read error, or a failed write; nothing changed
};

// Writes the open current member of archive, whose first chunk (firstSize bytes, at
// least 1) was read already, to the file name in the folder dirFd, and gives it the
// member's date. The data goes to a temporary file that replaces name only when the
// whole member was read, matched its size and CRC, and was written.
WriteOutcome writeMember(unzFile archive, const ZipMember &member, const char *first, int firstSize, int dirFd,
                         const std::string &name, const CatalogDate &date);

} // namespace tavscan

#endif // SCANLIB_EXTRACT_MEMBER_H
