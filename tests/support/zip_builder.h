// zip_builder.h - ZIP archives assembled byte by byte, for tests that need what the
// zip program will not make: ZIP64 size fields in a tiny file, names with "..",
// leading "/", "\" or control bytes, duplicate members, dates the file system
// cannot hold, damaged directories.
#ifndef TESTS_SUPPORT_ZIP_BUILDER_H
#define TESTS_SUPPORT_ZIP_BUILDER_H

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// One member, stored without compression.
struct ZipEntrySpec {
  std::string name;
  std::string data;
  // The stored DOS date (years 1980 to 2107, seconds rounded down to even).
  int day = 1, month = 1, year = 2000, hour = 0, minute = 0, second = 0;
  // Writes 0xFFFFFFFF in both size fields of the headers and the sizes in a ZIP64
  // extra field (header 0x0001). zip64Size, when not 0, is the size declared there
  // for both the compressed and the uncompressed data, whatever data holds: a 5 GiB
  // member fits in a few hundred bytes of archive for a listing.
  bool zip64 = false;
  uint64_t zip64Size = 0;
  uint16_t versionMadeBy = 0x031E; // Unix, version 3.0
  uint32_t externalAttributes = 0100644u << 16;
  uint16_t flags = 0; // bit 0: encrypted
};

class ZipBuilder {
public:
  ZipBuilder &add(const ZipEntrySpec &entry);
  // Convenience: a stored member with the given data and date.
  ZipBuilder &add(const std::string &name, const std::string &data, int day = 1, int month = 1, int year = 2000,
                  int hour = 0, int minute = 0, int second = 0);

  // The whole archive: local headers and data, central directory, end record.
  std::string bytes() const;
  // Writes bytes() to path; throws std::runtime_error when it cannot.
  void writeTo(const std::string &path) const;

private:
  std::vector<ZipEntrySpec> entries_;
};

// CRC-32 as ZIP stores it.
uint32_t zipCrc32(const std::string &data);

} // namespace testing_support

#endif // TESTS_SUPPORT_ZIP_BUILDER_H
