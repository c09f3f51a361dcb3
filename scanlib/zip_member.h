// zip_member.h - what the scanner and the extractor need to know of a ZIP member,
// read through minizip but without its limits: the whole stored name (sized from
// the member's header, never cut), the true sizes of ZIP64 members (minizip 1.1
// ignores the ZIP64 extra field and reports 0xFFFFFFFF), the encryption flag, and
// whether the member was stored as a symbolic link. Where the data lie and reading
// them is zip_data.h's part.
#ifndef SCANLIB_ZIP_MEMBER_H
#define SCANLIB_ZIP_MEMBER_H

#include <cstdint>
#include <string>

#include <minizip/unzip.h>

namespace tavscan {

struct ZipMember {
  std::string name;              // stored name, bytes as in the archive
  uint64_t uncompressedSize = 0; // true size, ZIP64 extra field honoured
  uint64_t compressedSize = 0;
  uint32_t crc = 0;
  // Stored date as the archive gives it; month is 1-12.
  int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  bool encrypted = false;      // general purpose flag bit 0
  bool symbolicLink = false;   // made on Unix with S_IFLNK in the external attributes
};

// Reads the current member of an open archive. False when minizip cannot read its
// header.
bool readCurrentMember(unzFile archive, ZipMember &member);

} // namespace tavscan

#endif // SCANLIB_ZIP_MEMBER_H
