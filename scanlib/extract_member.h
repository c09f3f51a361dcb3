// extract_member.h - the steps both extraction operations share: the open archive,
// the member's date, the overwrite rule and writing one member to its file.
#ifndef SCANLIB_EXTRACT_MEMBER_H
#define SCANLIB_EXTRACT_MEMBER_H

#include <string>

#include "catalog_date.h"
#include "zip_data.h"
#include "zip_member.h"

namespace tavscan {

// Why a whole archive is refused.
inline constexpr char kNotARegularFile[] = "It is not a regular file.";
inline constexpr char kMembersOverlap[] =
    "Its members overlap one another or its directory (one stream would make many files); nothing was extracted.";

// Members are inflated and written in chunks of this many bytes.
inline constexpr size_t kCopyChunk = 1 << 18;

// The member's stored date; a year of 2036 or later, or a date that names no time
// (month 0, hour 31 ...), is replaced by the default date after the "Warning: file
// date invalid" box, as the catalog lists it.
CatalogDate memberDate(const ZipMember &member, const std::string &zipPath);

// Whether the data of member can be delivered at all: an encrypted member cannot be
// decrypted here (a stored one would come out as its ciphertext).
bool memberReadable(const ZipMember &member);

// The overwrite rule for the file name in the folder dirFd: write when there is no
// file that can be opened for writing there (missing, read-only, a link, a folder),
// when its time equals date, or when it is newer or older and the matching option is set.
bool overwriteAllows(int dirFd, const std::string &name, const CatalogDate &date, bool overwriteNewer,
                     bool overwriteOlder);

enum class WriteOutcome {
  Written,
  CannotCreate, // the file could not be created or put in place; nothing changed
  Damaged,      // CRC or size mismatch, a read error, or a failed write (error set); nothing changed
};

// Writes the member's data, read through reader, to the file name in the folder
// dirFd, and gives it the member's date. The data goes to a new file that replaces
// name only when the whole member was read, matched its size and CRC, and was
// written; an empty member makes an empty file. error receives the errno of a
// CannotCreate or of a failed write.
WriteOutcome writeMember(MemberReader &reader, const ZipMember &member, int dirFd, const std::string &name,
                         const CatalogDate &date, int &error);

} // namespace tavscan

#endif // SCANLIB_EXTRACT_MEMBER_H
