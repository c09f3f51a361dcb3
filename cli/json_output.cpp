#include "json_output.h"

#include <charconv>
#include <unordered_map>
#include <nlohmann/json.hpp>

#include "model/name_text.h"

namespace cli {

namespace {

constexpr std::size_t kPiece = 64 * 1024;

// The length of the strict UTF-8 sequence at the start of bytes, 0 when there is none.
std::size_t sequenceLength(std::string_view bytes) {
  const auto c = static_cast<unsigned char>(bytes[0]);
  std::size_t length = c < 0x80                 ? 1
                       : c >= 0xC2 && c <= 0xDF ? 2
                       : c >= 0xE0 && c <= 0xEF ? 3
                       : c >= 0xF0 && c <= 0xF4 ? 4
                                                : 0;
  if (length == 0 || length > bytes.size()) return 0;
  return tavlor::isValidUtf8(bytes.substr(0, length)) ? length : 0;
}

// The exact bytes as valid UTF-8 text: see json_output.h.
std::string escapedBytes(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  while (!bytes.empty()) {
    const std::size_t length = sequenceLength(bytes);
    if (length == 0) {
      const auto c = static_cast<unsigned char>(bytes[0]);
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
      bytes.remove_prefix(1);
    } else {
      if (bytes[0] == '\\') out += '\\';
      out.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return out;
}

// True when the text goes between quotes as it is: printable ASCII without quote or
// backslash, which is what nearly every name is.
bool plain(std::string_view text) {
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') return false;
  }
  return true;
}

void appendNumber(std::string &out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void appendTwo(char *at, int value) {
  at[0] = static_cast<char>('0' + value / 10 % 10);
  at[1] = static_cast<char>('0' + value % 10);
}

// The disk an item lies on (the item itself for a disk); none for the root.
tavlor::ItemId diskItemOf(const tavlor::CatalogModel &model, tavlor::ItemId item) {
  if (model.parentOf(item) == tavlor::kNoItem) return tavlor::kNoItem;
  for (tavlor::ItemId up = model.parentOf(item); model.parentOf(up) != tavlor::kNoItem; up = model.parentOf(up))
    item = up;
  return item;
}

// What the rows of a folder share, remembered per folder: the rows of a search lie in
// folders all over the tree, and walking up from each would visit every level again.
struct FolderFacts {
  tavlor::ItemId disk = tavlor::kNoItem;
  std::string zip; // the catalog path of the ZIP file the folder lies in, or empty
};

const FolderFacts &factsOf(const tavlor::CatalogModel &model, const tavlor::FileData &entry) {
  thread_local std::unordered_map<tavlor::ItemId, FolderFacts> folders;
  thread_local const tavlor::CatalogModel *of = nullptr;
  if (of != &model) {
    folders.clear();
    of = &model;
  }
  const tavlor::ItemId item = entry.parentItem();
  const auto found = folders.find(item);
  if (found != folders.end()) return found->second;
  FolderFacts facts;
  facts.disk = diskItemOf(model, item);
  model.zipFilePath(entry, facts.zip);
  return folders.emplace(item, std::move(facts)).first->second;
}

void entryFieldsSized(JsonLines &out, tavlor::CatalogModel &model, const tavlor::FileData &entry, std::int64_t size) {
  const FolderFacts &facts = factsOf(model, entry);
  if (entry.isDisk()) {
    out.text("disk", entry.name());
  } else {
    out.text("disk", facts.disk == tavlor::kNoItem ? std::string_view() : std::string_view(model.label(facts.disk)));
  }
  thread_local std::string path;
  path = model.folderPath(entry);
  if (!path.empty()) path += '/';
  path += entry.name();
  out.text("path", path);
  out.text("name", entry.name());
  out.text("kind", kindName(entry));
  out.number("size", size);
  out.date("date", entry.date());
  if (!facts.zip.empty()) out.text("zip", facts.zip);
}

} // namespace

JsonLines::JsonLines(std::FILE *out) : out_(out) {
  buffer_.reserve(kPiece + 4096);
}

JsonLines::~JsonLines() {
  flush();
}

void JsonLines::begin() {
  buffer_ += '{';
  first_ = true;
}

void JsonLines::end() {
  buffer_ += "}\n";
  if (buffer_.size() >= kPiece) flush();
}

void JsonLines::key(const char *name) {
  if (!first_) buffer_ += ',';
  first_ = false;
  buffer_ += '"';
  buffer_ += name;
  buffer_ += "\":";
}

bool JsonLines::quoted(std::string_view value) {
  if (plain(value)) {
    buffer_ += '"';
    buffer_.append(value);
    buffer_ += '"';
    return true;
  }
  // Escaping, and U+FFFD for the bytes that are not UTF-8, as the JSON library does it.
  buffer_ += nlohmann::json(std::string(value)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return false;
}

void JsonLines::text(const char *name, std::string_view value) {
  key(name);
  if (!quoted(value) && !tavlor::isValidUtf8(value)) {
    const std::string bytesKey = std::string(name) + "_bytes";
    key(bytesKey.c_str());
    quoted(escapedBytes(value));
  }
}

void JsonLines::number(const char *name, std::int64_t value) {
  key(name);
  appendNumber(buffer_, value);
}

void JsonLines::date(const char *name, std::time_t when) {
  key(name);
  const std::time_t minute = when >= 0 ? when / 60 : (when - 59) / 60;
  int second = static_cast<int>(when - minute * 60);
  if (!minuteKept_ || minute != minute_) {
    struct tm local {};
    if (!tavlor::CatalogModel::localTime(when, local)) {
      buffer_ += "null";
      return;
    }
    // By hand: snprintf would take most of the time of a line.
    const int year = local.tm_year + 1900;
    if (year < 0 || year > 9999) {
      std::snprintf(minuteText_, sizeof minuteText_, "%04d-%02d-%02dT%02d:%02d:", year, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour, local.tm_min);
    } else {
      char *p = minuteText_;
      appendTwo(p, year / 100);
      appendTwo(p + 2, year % 100);
      p[4] = '-';
      appendTwo(p + 5, local.tm_mon + 1);
      p[7] = '-';
      appendTwo(p + 8, local.tm_mday);
      p[10] = 'T';
      appendTwo(p + 11, local.tm_hour);
      p[13] = ':';
      appendTwo(p + 14, local.tm_min);
      p[16] = ':';
      p[17] = '\0';
    }
    const long offset = local.tm_gmtoff;
    const long magnitude = (offset < 0 ? -offset : offset) / 60;
    offsetText_[0] = offset < 0 ? '-' : '+';
    appendTwo(offsetText_ + 1, static_cast<int>(magnitude / 60 % 100));
    offsetText_[3] = ':';
    appendTwo(offsetText_ + 4, static_cast<int>(magnitude % 60));
    offsetText_[6] = '\0';
    // A zone whose offset is not whole minutes (old local mean times) moves the second
    // too: such a minute is not kept.
    minute_ = minute;
    minuteKept_ = offset % 60 == 0;
    second = local.tm_sec;
  }
  char seconds[2];
  appendTwo(seconds, second);
  buffer_ += '"';
  buffer_ += minuteText_;
  buffer_.append(seconds, 2);
  buffer_ += offsetText_;
  buffer_ += '"';
}

void JsonLines::flush() {
  if (buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

bool JsonLines::finish() {
  flush();
  if (std::fflush(out_) != 0 || std::ferror(out_)) failed_ = true;
  return !failed_;
}

int outputFailure(const char *command) {
  std::fprintf(stderr, "tavlor %s: cannot write the output\n", command);
  return 1;
}

const char *kindName(const tavlor::FileData &entry) {
  if (entry.isDisk()) return "disk";
  if (entry.isZipFolder()) return "zip";
  if (entry.isContainer()) return "folder";
  return "file";
}

std::string diskOf(const tavlor::CatalogModel &model, tavlor::ItemId item) {
  const tavlor::ItemId disk = diskItemOf(model, item);
  return disk == tavlor::kNoItem ? std::string() : model.label(disk);
}

void entryFields(JsonLines &out, tavlor::CatalogModel &model, const tavlor::FileData &entry) {
  // The size a report shows: a container that holds 0 shows its contents.
  entryFieldsSized(out, model, entry, model.summedSize(entry));
}

void writeEntries(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::ResultRow> rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    tavlor::prefetchRows(rows, i);
    const tavlor::ResultRow &row = rows[i];
    if (!row.entry) continue;
    out.begin();
    entryFields(out, model, *row.entry);
    out.end();
  }
}

void writeDuplicates(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::ResultRow> rows) {
  std::int64_t set = 0;
  for (const tavlor::ResultRow &row : rows) {
    if (row.isSeparator()) {
      ++set;
      continue;
    }
    out.begin();
    out.number("set", set);
    entryFields(out, model, *row.entry);
    out.end();
  }
}

void writeCompare(JsonLines &out, tavlor::CatalogModel &model, const tavlor::DiskCompare &compare,
                  std::string_view label, const std::string &root) {
  for (const tavlor::CompareRow &row : compare.rows()) {
    out.begin();
    out.text("change", tavlor::statusText(row.status));
    const tavlor::DiskRecord *disk = compare.diskSide(row);
    if (row.entry) {
      entryFields(out, model, *row.entry);
    } else if (row.status != tavlor::CompareStatus::Identical) {
      out.text("disk", label);
      out.text("name", compare.text(row, tavlor::CompareColumn::Name));
      const bool folder =
          row.status == tavlor::CompareStatus::NewDirectory || row.status == tavlor::CompareStatus::DeletedDirectory;
      out.text("kind", folder ? "folder" : "file");
    } else {
      out.text("disk", label);
    }
    if (disk) {
      // A modified row's record keeps no folder: it is the entry's, below the root.
      std::string diskPath = disk->folderPath + "/" + disk->name;
      if (disk->folderPath.empty() && row.entry) {
        const std::string path = model.catalogPath(*row.entry);
        const std::size_t slash = path.find('/');
        diskPath = root + (slash == std::string::npos ? "/" + disk->name : path.substr(slash));
      }
      out.text("disk_path", diskPath);
      out.number("size_on_disk", disk->size);
      out.date("date_on_disk", disk->date);
    }
    out.end();
  }
}

void writeProperties(JsonLines &out, tavlor::CatalogModel &model, const tavlor::FileData *entry) {
  out.begin();
  std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  if (!entry) {
    model.accumulate(model.root(), size, files, folders, zips);
    out.text("name", tavlor::kRootLabel);
    out.text("kind", "root");
    out.text("type", "Disk Drive");
    out.number("size", size);
  } else if (entry->isContainer()) {
    model.accumulate(model.findOwnItem(*entry), size, files, folders, zips);
    entryFieldsSized(out, model, *entry, size);
    out.text("type", tavlor::typeName(entry->kind()));
  } else {
    entryFields(out, model, *entry);
    out.text("type", tavlor::typeName(entry->kind()));
  }
  if (!entry || entry->isContainer()) {
    out.number("files", files);
    out.number("folders", folders);
    out.number("zip_folders", zips);
  }
  out.end();
}

void writeUsage(JsonLines &out, tavlor::CatalogModel &model, std::span<const tavlor::UsageRow> rows) {
  for (const tavlor::UsageRow &row : rows) {
    out.begin();
    const tavlor::ItemId parent = model.parentOf(row.item);
    if (row.entry) {
      entryFieldsSized(out, model, *row.entry, row.size);
    } else if (parent != tavlor::kNoItem) {
      // A folder item its parent holds no entry for: what the tree knows of it.
      out.text("disk", diskOf(model, row.item));
      out.text("path", model.itemPath(row.item));
      out.text("name", model.label(row.item));
      out.text("kind", "folder");
      out.number("size", row.size);
    } else {
      out.text("path", "/");
      out.text("name", tavlor::kRootLabel);
      out.text("kind", "root");
      out.number("size", row.size);
    }
    out.number("depth", row.depth);
    out.end();
  }
}

} // namespace cli
