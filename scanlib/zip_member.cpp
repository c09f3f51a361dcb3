#include "zip_member.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tavscan {
namespace {

constexpr uint64_t kSizeInZip64Field = 0xFFFFFFFFu;
constexpr unsigned kZip64HeaderId = 0x0001;
constexpr unsigned kMadeOnUnix = 3;

uint16_t read16(const unsigned char *p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint64_t read64(const unsigned char *p) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i)
    value = (value << 8) | p[i];
  return value;
}

// The ZIP64 extra block holds, in this order, only those 64-bit sizes whose 32-bit
// field in the central header is 0xFFFFFFFF. A size that minizip already widened
// (above 0xFFFFFFFF) or that was never a placeholder is left as it is.
void applyZip64Sizes(const unsigned char *extra, size_t extraSize, ZipMember &member) {
  size_t at = 0;
  while (at + 4 <= extraSize) {
    const unsigned id = read16(&extra[at]);
    const size_t length = read16(&extra[at + 2]);
    const size_t body = at + 4;
    if (body + length > extraSize) return; // damaged block: trust nothing more
    if (id == kZip64HeaderId) {
      size_t field = body;
      const size_t end = body + length;
      if (member.uncompressedSize == kSizeInZip64Field && field + 8 <= end) {
        member.uncompressedSize = read64(&extra[field]);
        field += 8;
      }
      if (member.compressedSize == kSizeInZip64Field && field + 8 <= end) member.compressedSize = read64(&extra[field]);
      return;
    }
    at = body + length;
  }
}

} // namespace

bool readCurrentMember(unzFile archive, ZipMember &member) {
  // Names and extra fields are at most 65,535 bytes each, so these always hold them
  // whole and one call reads the record (one spare byte: minizip leaves a name that
  // fills its buffer unterminated).
  constexpr size_t kFieldLimit = 0xFFFF;
  thread_local std::vector<char> name(kFieldLimit + 1);
  thread_local std::vector<unsigned char> extra(kFieldLimit);
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(archive, &info, name.data(), kFieldLimit, extra.data(), kFieldLimit, nullptr, 0) !=
      UNZ_OK)
    return false;

  member = ZipMember{};
  member.name.assign(name.data(), std::min<size_t>(info.size_filename, kFieldLimit));
  member.uncompressedSize = info.uncompressed_size;
  member.compressedSize = info.compressed_size;
  applyZip64Sizes(extra.data(), std::min<size_t>(info.size_file_extra, kFieldLimit), member);
  member.crc = static_cast<uint32_t>(info.crc);
  member.day = static_cast<int>(info.tmu_date.tm_mday);
  member.month = static_cast<int>(info.tmu_date.tm_mon) + 1;
  member.year = static_cast<int>(info.tmu_date.tm_year);
  member.hour = static_cast<int>(info.tmu_date.tm_hour);
  member.minute = static_cast<int>(info.tmu_date.tm_min);
  member.second = static_cast<int>(info.tmu_date.tm_sec);
  member.encrypted = (info.flag & 1u) != 0;
  member.symbolicLink = ((info.version >> 8) & 0xFFu) == kMadeOnUnix && ((info.external_fa >> 16) & S_IFMT) == S_IFLNK;
  return true;
}

} // namespace tavscan
