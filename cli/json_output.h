// json_output.h - the --json form of the commands: JSON Lines, one object per entry,
// streamed as each line is made.
//
// Names are bytes. A text that is not valid UTF-8 is written with each invalid byte
// replaced by U+FFFD, and beside it KEY_bytes holds the exact bytes: valid UTF-8 as it
// is, a backslash doubled, every other byte as \xNN (two lower-case hex digits), so
// the bytes can always be told apart and recovered.
#ifndef CLI_JSON_OUTPUT_H
#define CLI_JSON_OUTPUT_H

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "model/catalog_model.h"
#include "model/properties.h"
#include "tools/disk_compare.h"
#include "tools/disk_usage.h"
#include "tools/result_list.h"

namespace cli {

// The lines go to a stream through one reused buffer, handed on in pieces of about
// 64 KiB, so millions of lines never make one string.
class JsonLines {
public:
  explicit JsonLines(std::FILE *out);
  ~JsonLines();
  JsonLines(const JsonLines &) = delete;
  JsonLines &operator=(const JsonLines &) = delete;

  void begin();
  void text(const char *key, std::string_view value);
  void number(const char *key, std::int64_t value);
  // ISO 8601 local time with the UTC offset: "2021-03-04T05:06:07+01:00".
  void date(const char *key, std::time_t when);
  void end();
  // Writes what is left; false when some of the output could not be written.
  bool finish();

private:
  void key(const char *name);
  // Writes value between quotes; true when it went as it is (printable ASCII).
  bool quoted(std::string_view value);
  void flush();

  std::FILE *out_;
  std::string buffer_;
  bool first_ = true;
  bool failed_ = false;
  // The text of the last minute a date fell in: a catalog's dates cluster.
  std::time_t minute_ = 0;
  bool minuteKept_ = false;
  char minuteText_[64] = {};
  char offsetText_[16] = {};
};

// "disk", "folder", "zip" or "file".
const char *kindName(const tavlor::FileData &entry);

// The fields of one entry: disk, path, name, kind, size, date, and zip (the catalog
// path of the ZIP file) for a member of one. A container's size is the one its size
// text shows.
void entryFields(JsonLines &out, tavlor::CatalogModel &model, const tavlor::FileData &entry);

// One line per entry.
void writeEntries(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::ResultRow> rows);

// One line per member of a set, with "set" numbering the sets from 1.
void writeDuplicates(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::ResultRow> rows);

// One line per row, "change" as the report names it; the catalog side's fields as an
// entry's, the disk side's as disk_path (below root, the folder compared),
// size_on_disk and date_on_disk.
void writeCompare(JsonLines &out, tavlor::CatalogModel &model, const tavlor::DiskCompare &compare,
                  std::string_view label, const std::string &root);

// The one object of properties: the entry's fields (none for the root), its type and
// for a container or the root the totals below it.
void writeProperties(JsonLines &out, tavlor::CatalogModel &model, const tavlor::FileData *entry);

// One line per row of a disk usage.
void writeUsage(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::UsageRow> rows);

// Reports that the output could not be written ("tavlor COMMAND: cannot write the
// output") and returns exit status 1.
int outputFailure(const char *command);

// The disk label of the item (empty for the root).
std::string diskOf(const tavlor::CatalogModel &model, tavlor::ItemId item);

} // namespace cli

#endif // CLI_JSON_OUTPUT_H
