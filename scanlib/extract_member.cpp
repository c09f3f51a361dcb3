#include "extract_member.h"

#include <zlib.h>

#include <vector>

#include "file_times.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace tavscan {

namespace {

// A DOS date field can hold month 0 or 15, day 0, hour 31: such a date names no time,
// and the catalog lists the member with the default date, so the file gets that too.
bool namesATime(const ZipMember &m) {
  return m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= 31 && m.hour <= 23 && m.minute <= 59 && m.second <= 59;
}

} // namespace

CatalogDate memberDate(const ZipMember &member, const std::string &zipPath) {
  if (member.year >= 2036 || !namesATime(member)) {
    platform::showMessageBox("Warning: file date invalid",
                             "The file " + member.name + " in " + zipPath + " has invalid date information.\n" +
                                 "A default date will be assigned: Feb 5, 2036\n" + "Press OK to continue",
                             platform::BoxIcon::Warning);
    return kDefaultCatalogDate;
  }
  return CatalogDate{member.day, member.month, member.year, member.hour, member.minute, member.second};
}

bool memberReadable(const ZipMember &member) {
  return !member.encrypted;
}

bool overwriteAllows(int dirFd, const std::string &name, const CatalogDate &date, bool overwriteNewer,
                     bool overwriteOlder) {
  int comparison = 0;
  if (!compareFileDate(dirFd, name.c_str(), false, date, comparison)) return true;
  if (comparison == 0) return true;
  return comparison > 0 ? overwriteNewer : overwriteOlder;
}

WriteOutcome writeMember(MemberReader &reader, const ZipMember &member, int dirFd, const std::string &name,
                         const CatalogDate &date, int &error) {
  error = 0;
  if (!reader.usable()) return WriteOutcome::Damaged;
  platform::ReplacementFile out;
  if ((error = out.create(dirFd, name)) != 0) return WriteOutcome::CannotCreate;

  uLong crc = crc32(0L, Z_NULL, 0);
  uint64_t total = 0;
  std::vector<char> buffer(kCopyChunk);
  long size;
  while ((size = reader.read(buffer.data(), buffer.size())) > 0) {
    total += static_cast<uint64_t>(size);
    // Never more than the archive declared: a member that inflates beyond its size
    // is damaged (or built to fill the disk).
    if (total > member.uncompressedSize) return WriteOutcome::Damaged;
    crc = crc32_z(crc, reinterpret_cast<const Bytef *>(buffer.data()), static_cast<size_t>(size));
    if ((error = out.write(buffer.data(), static_cast<size_t>(size))) != 0) return WriteOutcome::Damaged;
  }
  if (size < 0 || total != member.uncompressedSize || static_cast<uint32_t>(crc) != member.crc)
    return WriteOutcome::Damaged;

  setFileDate(out.fd(), date);
  if ((error = out.commit()) != 0) return WriteOutcome::CannotCreate;
  return WriteOutcome::Written;
}

} // namespace tavscan
