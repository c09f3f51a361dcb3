// scan_output.h - the record lines of a catalog, written through a large buffer.
//
// Every line ends with CR LF whatever the platform's text mode. Names pass through
// catalogName first, so that no name can break the quoting of a line.
#ifndef SCANLIB_SCAN_OUTPUT_H
#define SCANLIB_SCAN_OUTPUT_H

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "catalog_date.h"

namespace tavscan {

// name with each double quote and control byte (below 0x20, and 0x7F) replaced by
// "?": the format has no escape, and a quote or a line break would end the record.
std::string catalogName(std::string_view name);

// Appends the text of a plain file's line without its line end: blank, quoted name,
// size, date. The sort of a folder's files is over these texts.
void appendFileLine(std::string &line, std::string_view name, uint64_t size, const CatalogDate &date);

class CatalogOutput {
public:
  explicit CatalogOutput(std::ostream &out) : out_(out) { buffer_.reserve(kFlushAt + 4096); }
  ~CatalogOutput() { flush(); }
  CatalogOutput(const CatalogOutput &) = delete;
  CatalogOutput &operator=(const CatalogOutput &) = delete;

  // " + "name" A B date" then " < " (a folder on disk).
  void openFolder(std::string_view name, int64_t sizeA, int64_t sizeB, const CatalogDate &date);
  void closeFolder() { put(" > \r\n"); }
  // A file line built by appendFileLine.
  void fileLine(std::string_view text) {
    put(text);
    put("\r\n");
  }
  // " + "name" A 0 date" then "<" (an archive or a folder inside it).
  void openZipFolder(std::string_view name, uint64_t size, const CatalogDate &date);
  void closeZipFolder() { put(">\r\n"); }
  // ""name" size date" (a member, or an archive without members).
  void memberLine(std::string_view name, uint64_t size, const CatalogDate &date);

  // Lines written by another CatalogOutput (an archive listed ahead of its place).
  void text(std::string_view lines) { put(lines); }

  // Hands the buffered text to the stream.
  void flush();

private:
  static constexpr size_t kFlushAt = 1 << 18;
  void put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kFlushAt) flush();
  }
  std::ostream &out_;
  std::string buffer_;
};

} // namespace tavscan

#endif // SCANLIB_SCAN_OUTPUT_H
