#include "tools/find_filters.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "tools/find_files.h"

namespace tavlor {

namespace {

// A run of digits of exactly count characters (count 0: any length, at least one).
bool readNumber(std::string_view &text, std::size_t count, int &out) {
  std::size_t n = 0;
  while (n < text.size() && text[n] >= '0' && text[n] <= '9')
    ++n;
  if (n == 0 || (count && n != count) || n > 9) return false;
  std::from_chars(text.data(), text.data() + n, out);
  text.remove_prefix(n);
  return true;
}

bool readChar(std::string_view &text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

} // namespace

std::optional<SizeCondition> parseSizeCondition(std::string_view text) {
  SizeCondition condition;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    condition.relation = text.front() == '+' ? SizeRelation::MoreThan : SizeRelation::LessThan;
    text.remove_prefix(1);
  }
  std::int64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
    case 'k':
    case 'K':
      unit = std::int64_t{1} << 10;
      break;
    case 'M':
      unit = std::int64_t{1} << 20;
      break;
    case 'G':
      unit = std::int64_t{1} << 30;
      break;
    default:
      break;
    }
    if (unit != 1) text.remove_suffix(1);
  }
  std::int64_t count = 0;
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (count > std::numeric_limits<std::int64_t>::max() / unit) return std::nullopt;
  condition.bytes = count * unit;
  return condition;
}

std::optional<std::time_t> parseLocalDate(std::string_view text) {
  struct tm t {};
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!readNumber(text, 4, year) || !readChar(text, '-') || !readNumber(text, 2, month) || !readChar(text, '-') ||
      !readNumber(text, 2, day))
    return std::nullopt;
  if (!text.empty()) {
    if (!readChar(text, ' ') || !readNumber(text, 2, hour) || !readChar(text, ':') || !readNumber(text, 2, minute))
      return std::nullopt;
    if (!text.empty() && (!readChar(text, ':') || !readNumber(text, 2, second))) return std::nullopt;
    if (!text.empty()) return std::nullopt;
  }
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  const std::time_t when = std::mktime(&t);
  // mktime moves 31 April to 1 May: such a date was never meant.
  if (when == static_cast<std::time_t>(-1) || t.tm_mday != day || t.tm_mon != month - 1) return std::nullopt;
  return when;
}

std::optional<unsigned> parseKindList(std::string_view text) {
  unsigned kinds = 0;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view one = text.substr(0, comma);
    if (one == "f") {
      kinds |= kFoundFile;
    } else if (one == "d") {
      kinds |= kFoundFolder;
    } else if (one == "z") {
      kinds |= kFoundZipFolder;
    } else {
      return std::nullopt;
    }
    if (comma == std::string_view::npos) return kinds;
    text.remove_prefix(comma + 1);
  }
}

std::string FindFilters::setRegex(const std::string &pattern, bool extended, bool respectCase) {
  auto flags = extended ? std::regex::extended : std::regex::ECMAScript;
  if (!respectCase) flags |= std::regex::icase;
  // Matching only, never capturing: nosubs spares the sub-match bookkeeping per name.
  flags |= std::regex::nosubs | std::regex::optimize;
#if defined(__GLIBCXX__)
  // The default matcher recurses once per character: a catalog's name of a few hundred
  // thousand bytes would overflow the stack. The automaton matcher's depth is bounded
  // by the pattern; it takes no back-references, and says so when given one.
  flags |= std::regex_constants::__polynomial;
#endif
  try {
    // The pattern alone first, so that a bad one is refused with its own message and
    // not made whole by the wrapping below.
    std::regex(pattern, flags);
    // A search tries every starting point, which is quadratic in the name's length; a
    // match of "anything, the pattern, anything" is one pass over it.
    const std::string anything = extended ? ".*" : "[\\s\\S]*";
    const std::string whole = anything + (extended ? "(" : "(?:") + pattern + ")" + anything;
    regex_ = std::make_shared<const std::regex>(whole, flags);
  } catch (const std::regex_error &e) {
    regex_.reset();
    return e.what();
  }
  return {};
}

bool FindFilters::empty() const {
  return !regex_ && !size && !newer && !older && kinds == 0 && disks.empty();
}

bool FindFilters::onWantedDisk(const CatalogModel &model, ItemId item) const {
  if (disks.empty()) return true;
  ItemId disk = item;
  for (ItemId up = model.parentOf(disk); up != kNoItem && model.parentOf(up) != kNoItem; up = model.parentOf(up))
    disk = up;
  // The root's own entries are the disks: each is tested on its own.
  if (model.parentOf(disk) == kNoItem) return true;
  return std::find(disks.begin(), disks.end(), disk) != disks.end();
}

bool FindFilters::accepts(CatalogModel &model, const FileData &entry) const {
  if (kinds) {
    const unsigned kind = !entry.isContainer() ? kFoundFile : entry.isZipFolder() ? kFoundZipFolder : kFoundFolder;
    if (!(kinds & kind)) return false;
  }
  if (!disks.empty() && entry.isDisk() &&
      std::find(disks.begin(), disks.end(), model.findOwnItem(entry)) == disks.end())
    return false;
  if (newer && !(entry.date() > *newer)) return false;
  if (older && !(entry.date() < *older)) return false;
  if (regex_) {
    const std::string_view name = entry.name();
    if (!std::regex_match(name.begin(), name.end(), *regex_)) return false;
  }
  if (size) {
    // The size the report shows (a folder of 0, its contents summed and kept), so the
    // report's size and the filter agree.
    const std::int64_t bytes = model.summedSize(entry);
    switch (size->relation) {
    case SizeRelation::Exactly:
      if (bytes != size->bytes) return false;
      break;
    case SizeRelation::MoreThan:
      if (!(bytes > size->bytes)) return false;
      break;
    case SizeRelation::LessThan:
      if (!(bytes < size->bytes)) return false;
      break;
    }
  }
  return true;
}

std::vector<ResultRow> findFiles(CatalogModel &model, std::span<const ItemId> roots, std::string_view upperMask,
                                 bool subfolders, const FindFilters &filters) {
  if (filters.empty()) return findFiles(std::as_const(model), roots, upperMask, subfolders);
  return findFilesWhere(
      model, roots, upperMask, subfolders, [&](ItemId item) { return filters.onWantedDisk(model, item); },
      [&](const FileData &entry) { return filters.accepts(model, entry); });
}

} // namespace tavlor
