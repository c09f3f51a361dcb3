#include "zip_builder.h"

#include <fstream>
#include <stdexcept>

namespace testing_support {
namespace {

void put16(std::string &out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string &out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

void put64(std::string &out, uint64_t value) {
  put32(out, static_cast<uint32_t>(value));
  put32(out, static_cast<uint32_t>(value >> 32));
}

uint32_t dosTime(const ZipEntrySpec &e) {
  return static_cast<uint32_t>((e.hour << 11) | (e.minute << 5) | (e.second / 2));
}

uint32_t dosDate(const ZipEntrySpec &e) {
  return static_cast<uint32_t>(((e.year - 1980) << 9) | (e.month << 5) | e.day);
}

std::string zip64Extra(const ZipEntrySpec &e) {
  std::string extra;
  if (!e.zip64) return extra;
  const uint64_t size = e.zip64Size ? e.zip64Size : e.data.size();
  put16(extra, 0x0001);
  put16(extra, 16);
  put64(extra, size); // uncompressed
  put64(extra, size); // compressed
  return extra;
}

// The fields local and central headers share, from "version needed" to the name
// and extra lengths.
void putCommon(std::string &out, const ZipEntrySpec &e, const std::string &extra) {
  put16(out, e.zip64 ? 45 : 10);
  put16(out, e.flags);
  put16(out, 0); // stored
  put16(out, dosTime(e));
  put16(out, dosDate(e));
  put32(out, zipCrc32(e.data));
  const uint32_t size = e.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(e.data.size());
  put32(out, size);
  put32(out, size);
  put16(out, static_cast<uint32_t>(e.name.size()));
  put16(out, static_cast<uint32_t>(extra.size()));
}

} // namespace

uint32_t zipCrc32(const std::string &data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

ZipBuilder &ZipBuilder::add(const ZipEntrySpec &entry) {
  entries_.push_back(entry);
  return *this;
}

ZipBuilder &ZipBuilder::add(const std::string &name, const std::string &data, int day, int month, int year, int hour,
                            int minute, int second) {
  ZipEntrySpec e;
  e.name = name;
  e.data = data;
  e.day = day;
  e.month = month;
  e.year = year;
  e.hour = hour;
  e.minute = minute;
  e.second = second;
  return add(e);
}

std::string ZipBuilder::bytes() const {
  std::string out;
  std::vector<uint32_t> offsets;
  for (const auto &e : entries_) {
    offsets.push_back(static_cast<uint32_t>(out.size()));
    const std::string extra = zip64Extra(e);
    put32(out, 0x04034b50);
    putCommon(out, e, extra);
    out += e.name;
    out += extra;
    out += e.data;
  }
  const uint32_t directoryStart = static_cast<uint32_t>(out.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const auto &e = entries_[i];
    const std::string extra = zip64Extra(e);
    put32(out, 0x02014b50);
    put16(out, e.versionMadeBy);
    putCommon(out, e, extra);
    put16(out, 0); // comment length
    put16(out, 0); // disk number
    put16(out, 0); // internal attributes
    put32(out, e.externalAttributes);
    put32(out, offsets[i]);
    out += e.name;
    out += extra;
  }
  const uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryStart;
  put32(out, 0x06054b50);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<uint32_t>(entries_.size()));
  put16(out, static_cast<uint32_t>(entries_.size()));
  put32(out, directorySize);
  put32(out, directoryStart);
  put16(out, 0);
  return out;
}

void ZipBuilder::writeTo(const std::string &path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  const std::string data = bytes();
  file.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

} // namespace testing_support
