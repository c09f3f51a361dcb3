// The derived values of entries: size, date and path texts, icons, totals.
#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "model/catalog_model.h"
#include "model/model_storage.h"

namespace tavlor {

std::string CatalogModel::formatSize(std::int64_t value) const {
  const std::int64_t count = sizeCount(value);
  char digits[32];
  const char *d = digits;
  const char *const end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  // Made in a buffer of its own and taken as one piece: a report asks for a size per line.
  char text[48];
  char *at = text;
  if (*d == '-') *at++ = *d++;
  const std::size_t n = static_cast<std::size_t>(end - d);
  // The digits in groups of three from the right, the first group perhaps shorter.
  std::size_t group = sizeComma_ ? (n % 3 == 0 ? 3 : n % 3) : n;
  for (std::size_t i = 0; i < n; group = 3) {
    if (i > 0) *at++ = ',';
    for (std::size_t k = 0; k < group; ++k)
      *at++ = d[i++];
  }
  if (sizeUnit_ == 1024) at = std::copy_n("KB", 2, at);
  if (sizeUnit_ == 1048576) at = std::copy_n("MB", 2, at);
  return std::string(text, at);
}

CatalogModel::Texts &CatalogModel::textsOf(const FileData &entry) {
  // Texts never outlive their entry (releaseRecord drops them).
  std::unique_ptr<Texts> &texts = texts_[&entry];
  if (!texts) texts = std::make_unique<Texts>();
  return *texts;
}

const CatalogModel::Texts *CatalogModel::knownTexts(const FileData &entry) const {
  // A report or a search of the command line never keeps texts: no lookup at all.
  if (texts_.empty()) return nullptr;
  const auto found = texts_.find(&entry);
  return found == texts_.end() ? nullptr : found->second.get();
}

std::int64_t CatalogModel::summedSize(const FileData &entry) {
  if (entry.isContainer() && entry.sizeAcrossThreads() == 0) {
    std::int64_t size = 0, files = 0, folders = 0, zips = 0;
    accumulate(findOwnItem(entry), size, files, folders, zips);
    entry.fillSize(size);
  }
  return entry.sizeAcrossThreads();
}

const std::string &CatalogModel::sizeText(const FileData &entry) {
  Texts &t = textsOf(entry);
  if (!t.size) t.size = formatSize(summedSize(entry));
  return *t.size;
}

const std::string &CatalogModel::freeSpaceText(const FileData &entry) {
  Texts &t = textsOf(entry);
  if (!t.freeSpace) t.freeSpace = formatSize(entry.freeSpace());
  return *t.freeSpace;
}

const std::string &CatalogModel::dateText(const FileData &entry) {
  Texts &t = textsOf(entry);
  if (!t.date) t.date = formatDate(entry.date());
  return *t.date;
}

std::string CatalogModel::sizeTextOnce(const FileData &entry) {
  if (const Texts *t = knownTexts(entry); t && t->size) return *t->size;
  return formatSize(summedSize(entry));
}

namespace {

// The day a time counted in seconds from 1970-01-01 00:00 falls on, counted from that
// day (rounded down, also before it).
constexpr std::int64_t dayOf(std::int64_t seconds) {
  return seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
}

// The calendar fields of a day counted from 1970-01-01 (year, month, day of the month,
// of the week and of the year), as proleptic Gregorian arithmetic gives them.
void civilDate(std::int64_t days, struct tm &out) {
  out.tm_wday = static_cast<int>(((days % 7) + 11) % 7); // 1 January 1970 was a Thursday
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  out.tm_mday = day;
  out.tm_mon = month - 1;
  out.tm_year = static_cast<int>(year - 1900);
  static const int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  out.tm_yday = kDaysBefore[month - 1] + day - 1 + (leap && month > 2 ? 1 : 0);
}

// The local time of a date from a table of UTC days: within a day whose UTC offset
// does not change, a date's local time is its UTC time moved by that offset, so most
// dates need no time-zone look-up, in whatever order a report asks for them. The zone
// in force is part of the key, so a program that changes TZ and calls tzset is
// answered anew.
struct DayCache {
  // A slot of zero bytes is empty: the table is taken as zero pages, which cost
  // nothing until a date of theirs is asked for. Eight bytes a slot keep the whole
  // table in the processor's second-level cache while a report streams past it.
  struct Slot {
    std::int32_t day;  // the UTC day XOR the lowest number, never 0
    std::uint8_t kind; // 1 + the index of the day's offset in kinds, or kChanges
  };
  // An offset in force, with its zone name and daylight-saving flag: a zone has a few.
  struct Kind {
    const char *zone;
    std::int32_t offset;
    std::int8_t isDst;
  };
  static constexpr std::uint8_t kChanges = 255; // the offset changes within the day: ask the library
  struct Free {
    void operator()(Slot *p) const { std::free(p); }
  };
  static constexpr std::size_t kSlots = 16384; // 44 years of days without a collision
  std::unique_ptr<Slot[], Free> slots{static_cast<Slot *>(std::calloc(kSlots, sizeof(Slot)))};
  std::vector<Kind> kinds;
  bool zoneKnown = false;
  long zoneOffset = 0;
  const char *zoneNames[2] = {};

  std::uint8_t kindOf(const struct tm &start) {
    for (std::size_t k = 0; k < kinds.size(); ++k)
      if (kinds[k].offset == start.tm_gmtoff && kinds[k].isDst == start.tm_isdst && kinds[k].zone == start.tm_zone)
        return static_cast<std::uint8_t>(k + 1);
    if (kinds.size() + 1 >= kChanges) return kChanges;
    kinds.push_back(
        {start.tm_zone, static_cast<std::int32_t>(start.tm_gmtoff), static_cast<std::int8_t>(start.tm_isdst)});
    return static_cast<std::uint8_t>(kinds.size());
  }

  // Starts the table anew when tzset has put another zone in force; generation counts
  // the zones seen.
  void followZone() {
    if (zoneKnown && zoneOffset == ::timezone && zoneNames[0] == ::tzname[0] && zoneNames[1] == ::tzname[1]) return;
    if (zoneKnown && slots) std::memset(static_cast<void *>(slots.get()), 0, kSlots * sizeof(Slot));
    kinds.clear();
    zoneKnown = true;
    zoneOffset = ::timezone;
    zoneNames[0] = ::tzname[0];
    zoneNames[1] = ::tzname[1];
    ++generation;
  }
  std::uint64_t generation = 0;

  bool localTime(std::time_t when, struct tm &out) {
    followZone();
    return localTimeInZone(when, out);
  }
  // The offset in force all through the UTC day of when; nullptr when it changes within
  // that day or the day lies beyond the table (the library must answer then).
  const Kind *kindAt(std::time_t when) {
    const std::int64_t utcDay = dayOf(static_cast<std::int64_t>(when));
    if (!slots || utcDay <= std::numeric_limits<std::int32_t>::min() ||
        utcDay > std::numeric_limits<std::int32_t>::max())
      return nullptr;
    Slot &slot = slots[static_cast<std::size_t>(utcDay) & (kSlots - 1)];
    const std::int32_t stored = static_cast<std::int32_t>(utcDay) ^ std::numeric_limits<std::int32_t>::min();
    if (slot.day != stored) {
      slot.day = stored;
      const std::time_t first = static_cast<std::time_t>(utcDay * 86400);
      const std::time_t last = first + 86399;
      struct tm start {};
      struct tm end {};
      const bool changes = !localtime_r(&first, &start) || !localtime_r(&last, &end) ||
                           start.tm_gmtoff != end.tm_gmtoff || start.tm_isdst != end.tm_isdst;
      slot.kind = changes ? kChanges : kindOf(start);
    }
    return slot.kind == kChanges ? nullptr : &kinds[slot.kind - 1];
  }
  // localTime once followZone has been asked.
  bool localTimeInZone(std::time_t when, struct tm &out) {
    const Kind *kind = kindAt(when);
    if (!kind) return localtime_r(&when, &out) != nullptr;
    const std::int64_t shifted = static_cast<std::int64_t>(when) + kind->offset;
    const std::int64_t days = dayOf(shifted);
    const std::int64_t seconds = shifted - days * 86400;
    out = {};
    out.tm_isdst = kind->isDst;
    out.tm_gmtoff = kind->offset;
    out.tm_zone = kind->zone;
    out.tm_hour = static_cast<int>(seconds / 3600);
    out.tm_min = static_cast<int>(seconds / 60 % 60);
    out.tm_sec = static_cast<int>(seconds % 60);
    civilDate(days, out);
    return true;
  }
};

// The locale's "%x %X" when it is made only of numbers and fixed texts (as in the C
// locale and most others): written digit by digit, far faster than strftime, which
// consults the locale for every field. Anything else is left to strftime.
class DatePattern {
public:
  // A number that changes whenever the locale's time formats may have (any of their
  // texts moved), after which the pattern follows them.
  std::uint64_t generation() {
    refresh();
    return generation_;
  }
  // Writes the text into out (room for kRoom bytes) by the pattern as of the last
  // generation(); nullopt when strftime must.
  std::optional<std::size_t> writePlain(const struct tm &t, char *out) const {
    if (!plain_) return std::nullopt;
    char *at = out;
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
      const char c = pattern_[i];
      if (c != '%') {
        *at++ = c;
        continue;
      }
      switch (pattern_[++i]) {
      case 'm':
        at = two(at, t.tm_mon + 1);
        break;
      case 'd':
        at = two(at, t.tm_mday);
        break;
      case 'e':
        *at++ = t.tm_mday < 10 ? ' ' : static_cast<char>('0' + t.tm_mday / 10);
        *at++ = static_cast<char>('0' + t.tm_mday % 10);
        break;
      case 'y':
        at = two(at, ((t.tm_year + 1900) % 100 + 100) % 100);
        break;
      case 'Y': {
        const int year = t.tm_year + 1900;
        if (year < 1000 || year > 9999) return std::nullopt;
        at = two(two(at, year / 100), year % 100);
        break;
      }
      case 'H':
        at = two(at, t.tm_hour);
        break;
      case 'I':
        at = two(at, t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12);
        break;
      case 'M':
        at = two(at, t.tm_min);
        break;
      case 'S':
        at = two(at, t.tm_sec);
        break;
      case 'p': {
        const std::string &text = t.tm_hour < 12 ? am_ : pm_;
        at = std::copy(text.begin(), text.end(), at);
        break;
      }
      default:
        at = std::copy_n("%", 1, at);
        break; // "%%"
      }
    }
    return static_cast<std::size_t>(at - out);
  }
  static constexpr std::size_t kRoom = 96;

  // True when every field has one width whatever the date (am and pm as long as each
  // other): a day's text at midnight then serves every time of the day, its time
  // written over it by writeTime. As of the last generation().
  bool fixedWidth() const { return fixedWidth_; }
  void writeTime(char *text, int hour, int minute, int second) const {
    for (const TimeField &f : timeFields_) {
      char *at = text + f.at;
      switch (f.code) {
      case 'H':
        two(at, hour);
        break;
      case 'I':
        two(at, hour % 12 == 0 ? 12 : hour % 12);
        break;
      case 'M':
        two(at, minute);
        break;
      case 'S':
        two(at, second);
        break;
      default:
        std::memcpy(at, (hour < 12 ? am_ : pm_).data(), am_.size());
        break; // 'p'
      }
    }
  }
  static constexpr std::size_t kFixedRoom = 27; // the longest day text kept

private:
  struct TimeField {
    std::uint8_t at;
    char code;
  };
  // Where the time of day stands in a text of the pattern, when its fields have fixed widths.
  void placeTimeFields() {
    timeFields_.clear();
    fixedWidth_ = false;
    if (!plain_ || am_.size() != pm_.size()) return;
    std::size_t at = 0;
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
      if (pattern_[i] != '%') {
        ++at;
        continue;
      }
      const char code = pattern_[++i];
      if (code == 'H' || code == 'I' || code == 'M' || code == 'S' || code == 'p')
        timeFields_.push_back({static_cast<std::uint8_t>(at), code});
      at += code == 'Y' ? 4 : code == 'p' ? am_.size() : code == '%' ? 1 : 2;
    }
    fixedWidth_ = at <= kFixedRoom;
  }
  static char *two(char *at, int n) {
    *at++ = static_cast<char>('0' + n / 10 % 10);
    *at++ = static_cast<char>('0' + n % 10);
    return at;
  }
  // Read again whenever the locale's formats differ from the ones it was made of.
  void refresh() {
    // The five texts are all of the locale's time category, which the C library loads
    // and replaces as one piece: while the first stays where it was, so do the others.
    const char *date = nl_langinfo(D_FMT);
    if (known_ && date == seen_[0]) return;
    const char *time = nl_langinfo(T_FMT), *ampm = nl_langinfo(T_FMT_AMPM);
    const char *am = nl_langinfo(AM_STR), *pm = nl_langinfo(PM_STR);
    const char *const texts[] = {date, time, ampm, am, pm};
    if (known_ && std::equal(std::begin(texts), std::end(texts), std::begin(seen_))) return;
    ++generation_;
    if (known_ && date_ == date && time_ == time && ampm_ == ampm && am_ == am && pm_ == pm) {
      std::copy(std::begin(texts), std::end(texts), std::begin(seen_));
      return;
    }
    std::copy(std::begin(texts), std::end(texts), std::begin(seen_));
    known_ = true;
    date_ = date, time_ = time, ampm_ = ampm, am_ = am, pm_ = pm;
    pattern_.clear();
    plain_ = expand(date_, 0) && expand(" ", 0) && expand(time_, 0) && am_.size() < 16 && pm_.size() < 16 &&
             pattern_.size() < 32;
    placeTimeFields();
  }
  bool expand(std::string_view format, int depth) {
    for (std::size_t i = 0; i < format.size(); ++i) {
      if (format[i] != '%') {
        pattern_.push_back(format[i]);
        continue;
      }
      if (++i == format.size()) return false;
      const char c = format[i];
      if (std::string_view("mdeyYHIMSp%").find(c) != std::string_view::npos) {
        pattern_ += '%';
        pattern_ += c;
      } else if (depth > 0) {
        return false;
      } else if (c == 'D') {
        if (!expand("%m/%d/%y", 1)) return false;
      } else if (c == 'T') {
        if (!expand("%H:%M:%S", 1)) return false;
      } else if (c == 'R') {
        if (!expand("%H:%M", 1)) return false;
      } else if (c == 'r') {
        if (!expand(ampm_, 1)) return false;
      } else {
        return false; // names of months or days, modifiers, widths: strftime's part
      }
    }
    return true;
  }
  bool known_ = false, plain_ = false, fixedWidth_ = false;
  std::vector<TimeField> timeFields_;
  std::uint64_t generation_ = 0;
  const char *seen_[5] = {}; // where the locale's texts were: the same places, the same texts
  std::string date_, time_, ampm_, am_, pm_, pattern_;
};

// The texts of dates for a pattern of fixed widths, a slot of one cache line per UTC
// day: the offset in force all through the day and the texts at midnight of the two
// local days it touches. A date's text is its local day's with the time written over
// it: one look into memory, no calendar arithmetic, no walk through the pattern. A
// slot of zero bytes is empty, as in the DayCache.
struct DayTexts {
  struct Slot {
    std::int32_t day;                      // the UTC day XOR the lowest number, never 0
    std::int32_t offset;                   // the offset in force all through it
    std::uint8_t state;                    // a bit per text written, or kLibrary
    std::uint8_t length;                   // of both texts: the widths are fixed
    char text[2][DatePattern::kFixedRoom]; // the local days from the first the UTC day touches
  };
  static_assert(sizeof(Slot) == 64);
  static constexpr std::uint8_t kLibrary = 0x80; // the offset changes within the day
  struct Free {
    void operator()(void *p) const { std::free(p); }
  };
  static constexpr std::size_t kSlots = 16384; // 44 years of days without a collision
  // Zero pages until a day of theirs is asked for, the slots placed on cache lines.
  std::unique_ptr<void, Free> memory{std::calloc(kSlots + 1, sizeof(Slot))};
  Slot *slots =
      memory ? reinterpret_cast<Slot *>((reinterpret_cast<std::uintptr_t>(memory.get()) + 63) & ~std::uintptr_t(63))
             : nullptr;
  std::uint64_t zone = 0, pattern = 0; // the generations the slots were filled for

  [[gnu::always_inline]] static bool utcDayOf(std::time_t when, std::int64_t &day) {
    day = dayOf(static_cast<std::int64_t>(when));
    return day > std::numeric_limits<std::int32_t>::min() + 1 && day < std::numeric_limits<std::int32_t>::max();
  }
  // Always inlined: to GCC a function that only prefetches has no effect, and a call
  // of it that is not inlined first is dropped with its prefetch.
  [[gnu::always_inline]] void prefetch(std::time_t when) const {
    std::int64_t day;
    if (slots && utcDayOf(when, day)) __builtin_prefetch(&slots[static_cast<std::size_t>(day) & (kSlots - 1)]);
  }

  // The text of when into out, or nullopt where the library or the pattern's own walk
  // must make it (an offset that changes within the day, a year the pattern cannot
  // write).
  std::optional<std::size_t> write(std::time_t when, DayCache &days, const DatePattern &p, std::uint64_t zoneNow,
                                   std::uint64_t patternNow, char *out) {
    std::int64_t utcDay;
    if (!slots || !utcDayOf(when, utcDay)) return std::nullopt;
    if (zoneNow != zone || patternNow != pattern) {
      if (zone != 0 || pattern != 0) std::memset(static_cast<void *>(slots), 0, kSlots * sizeof(Slot));
      zone = zoneNow;
      pattern = patternNow;
    }
    Slot &slot = slots[static_cast<std::size_t>(utcDay) & (kSlots - 1)];
    const std::int32_t stored = static_cast<std::int32_t>(utcDay) ^ std::numeric_limits<std::int32_t>::min();
    if (slot.day != stored) {
      const DayCache::Kind *kind = days.kindAt(when);
      slot.day = stored;
      slot.offset = kind ? kind->offset : 0;
      slot.state = kind ? 0 : kLibrary;
    }
    if (slot.state == kLibrary) return std::nullopt;
    const std::int64_t seconds = static_cast<std::int64_t>(when) - utcDay * 86400 + slot.offset;
    const std::int64_t shift = seconds < 0 ? -1 : seconds >= 86400 ? 1 : 0;
    const std::int64_t first = slot.offset < 0 ? -1 : 0; // the first local day, from the UTC day
    const std::size_t which = static_cast<std::size_t>(shift - first);
    if (which > 1) return std::nullopt; // an offset of a day or more
    if (!(slot.state & (1u << which))) {
      struct tm midnight {};
      civilDate(utcDay + shift, midnight);
      char text[DatePattern::kRoom];
      const auto n = p.writePlain(midnight, text);
      if (!n || *n > sizeof slot.text[0]) return std::nullopt;
      std::memcpy(slot.text[which], text, *n);
      slot.length = static_cast<std::uint8_t>(*n);
      slot.state |= static_cast<std::uint8_t>(1u << which);
    }
    // The whole room, a copy of a known size: a copy of the text's own length is a
    // string instruction whose start costs more than the bytes.
    std::memcpy(out, slot.text[which], sizeof slot.text[which]);
    const int second = static_cast<int>(seconds - shift * 86400);
    p.writeTime(out, second / 3600, second / 60 % 60, second % 60);
    return slot.length;
  }
};

// On the heap: the table is too large for the static thread-local storage of a
// library that is loaded at run time.
thread_local std::unique_ptr<DayCache> dayCache;
thread_local std::unique_ptr<DatePattern> datePattern;
thread_local std::unique_ptr<DayTexts> dayTexts;

// The text of the date asked for last: the files of one folder often share their time
// to the second (a package installed, a folder copied), and a report lists them in a row.
struct LastDate {
  std::time_t when = 0;
  std::uint64_t zone = 0, pattern = 0;
  std::size_t length = 0;
  bool known = false;
  char text[DatePattern::kRoom];
};
thread_local std::unique_ptr<LastDate> lastDate;

} // namespace

std::string CatalogModel::formatDate(std::time_t when) {
  // The locale's own short date and time; its time format always shows the time,
  // midnight included, as 00:00:00.
  char buffer[kDateTextSize];
  return std::string(formatDate(when, buffer));
}

void CatalogModel::prefetchDateText(std::time_t when) {
  if (dayTexts) dayTexts->prefetch(when);
}

bool CatalogModel::localTime(std::time_t when, struct tm &out) {
  if (!dayCache) dayCache = std::make_unique<DayCache>();
  return dayCache->localTime(when, out);
}

std::string_view CatalogModel::formatDate(std::time_t when, char (&buffer)[kDateTextSize]) {
  static_assert(DatePattern::kRoom <= kDateTextSize);
  if (!dayCache) dayCache = std::make_unique<DayCache>();
  if (!datePattern) datePattern = std::make_unique<DatePattern>();
  if (!lastDate) lastDate = std::make_unique<LastDate>();
  // Only texts of the pattern are kept: they depend on nothing but the date, the zone
  // and the formats that the generations follow.
  dayCache->followZone();
  const std::uint64_t zone = dayCache->generation, pattern = datePattern->generation();
  LastDate &last = *lastDate;
  if (last.known && last.when == when && last.zone == zone && last.pattern == pattern) {
    if (last.length <= 32)
      std::memcpy(buffer, last.text, 32); // a copy of a known size, as the day texts'
    else
      std::memcpy(buffer, last.text, last.length);
    return std::string_view(buffer, last.length);
  }
  std::optional<std::size_t> n;
  if (datePattern->fixedWidth()) {
    if (!dayTexts) dayTexts = std::make_unique<DayTexts>();
    n = dayTexts->write(when, *dayCache, *datePattern, zone, pattern, buffer);
  }
  struct tm local {};
  if (!n) {
    if (!dayCache->localTimeInZone(when, local)) return {};
    n = datePattern->writePlain(local, buffer);
  }
  if (n) {
    last.when = when;
    last.zone = zone;
    last.pattern = pattern;
    last.length = *n;
    last.known = true;
    std::memcpy(last.text, buffer, *n <= 32 ? 32 : *n);
    return std::string_view(buffer, *n);
  }
  return std::string_view(buffer, std::strftime(buffer, sizeof buffer, "%x %X", &local));
}

std::string_view CatalogModel::dateTextOnce(const FileData &entry, char (&buffer)[kDateTextSize]) const {
  if (const Texts *t = knownTexts(entry); t && t->date) return *t->date;
  return formatDate(entry.date(), buffer);
}

const std::string &CatalogModel::folderPath(const FileData &entry) const {
  return itemPath(entry.parentItem_);
}

std::string CatalogModel::catalogPath(const FileData &entry) const {
  std::string path = folderPath(entry);
  if (!path.empty()) path.push_back('/');
  path.append(entry.name());
  return path;
}

bool CatalogModel::zipFilePath(const FileData &entry, std::string &out) const {
  out.clear();
  // The outermost Zip Folder above the entry is its ZIP file. Looking for ".zip" in the
  // path text instead would put the files of a folder "x.zipper", or of a disk labelled
  // "OLD.ZIP", into a ZIP file that does not exist.
  ItemId zip = kNoItem;
  for (ItemId id = entry.parentItem_; id != kNoItem;) {
    const Item *it = item(id);
    if (!it || it->parent == root_) break; // a disk is never a ZIP file, whatever its label
    if (it->icon == iconOf(NodeKind::ZipFolder)) zip = id;
    id = it->parent;
  }
  if (zip == kNoItem) return false;
  out = itemPath(zip);
  return true;
}

ItemId CatalogModel::findOwnItem(const FileData &entry) const {
  if (!entry.isContainer()) return kNoItem;
  return findChild(entry.parentItem_, entry.name(), false);
}

int CatalogModel::iconIndex(const FileData &entry) const {
  return iconOf(entry.kind());
}

namespace {

// Sizes add up without overflow: a damaged catalog may hold sizes near the limit, and
// a size is never negative.
std::int64_t addSize(std::int64_t total, std::int64_t size) {
  if (size <= 0) return total;
  return total > std::numeric_limits<std::int64_t>::max() - size ? std::numeric_limits<std::int64_t>::max()
                                                                 : total + size;
}

} // namespace

void CatalogModel::childEntries(ItemId id, std::vector<const FileData *> &out) const {
  out.clear();
  const Item *it = item(id);
  if (!it) return;
  const std::vector<ItemId> &children = it->children;
  const EntryList &entries = it->entries;
  // Few children: lookupEntry itself, which finds a child's entry among the first
  // entries (a catalog lists a folder's subfolders before its files). Otherwise the
  // same choice (exact name first, the first in catalog order) through sorted copies,
  // so that a folder of many subfolders costs n log n, not n squared.
  if (children.size() <= 32) {
    for (ItemId child : children) {
      const std::size_t at = entryIndex(*it, labelOf(child));
      out.push_back(at < entries.size() ? entries[at] : nullptr);
    }
    return;
  }
  std::vector<const FileData *> byName(entries.begin(), entries.end());
  std::stable_sort(byName.begin(), byName.end(),
                   [](const FileData *a, const FileData *b) { return a->name() < b->name(); });
  std::vector<const FileData *> byFolded;
  for (ItemId child : children) {
    const std::string_view label = labelOf(child);
    auto exact = std::lower_bound(byName.begin(), byName.end(), label,
                                  [](const FileData *e, std::string_view l) { return e->name() < l; });
    if (exact != byName.end() && (*exact)->name() == label) {
      out.push_back(*exact);
      continue;
    }
    if (byFolded.empty()) {
      byFolded.assign(entries.begin(), entries.end());
      std::stable_sort(byFolded.begin(), byFolded.end(), [](const FileData *a, const FileData *b) {
        return compareIgnoringCase(a->name(), b->name()) < 0;
      });
    }
    auto folded = std::lower_bound(byFolded.begin(), byFolded.end(), label, [](const FileData *e, std::string_view l) {
      return compareIgnoringCase(e->name(), l) < 0;
    });
    out.push_back(folded != byFolded.end() && equalIgnoringCase((*folded)->name(), label) ? *folded : nullptr);
  }
}

void CatalogModel::accumulate(ItemId top, std::int64_t &size, std::int64_t &files, std::int64_t &folders,
                              std::int64_t &zipFolders) {
  struct Totals {
    std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  };
  // The child entries of every open folder lie in one list, in the order the folders
  // were opened: a folder's are dropped from its end when it closes, so no folder
  // allocates a list of its own.
  struct Frame {
    ItemId item;
    const FileData *entry;        // the container entry of item (null for the top)
    std::size_t first, next, end; // its child entries in pending
    Totals totals;
  };
  std::vector<const FileData *> pending, found;
  auto open = [&](ItemId id, const FileData *entry) {
    Frame f{id, entry, 0, 0, 0, {}};
    for (const FileData *e : entriesOf(id)) {
      if (!e->isContainer()) {
        f.totals.size = addSize(f.totals.size, e->size());
        ++f.totals.files;
      }
    }
    childEntries(id, found);
    f.first = f.next = pending.size();
    pending.insert(pending.end(), found.begin(), found.end());
    f.end = pending.size();
    return f;
  };
  if (!isValid(top)) return;
  // An explicit stack: folders may nest deeper than the call stack allows.
  std::vector<Frame> stack;
  stack.push_back(open(top, nullptr));
  for (;;) {
    Frame &f = stack.back();
    if (f.next < f.end) {
      const ItemId child = childrenOf(f.item)[f.next - f.first];
      const FileData *e = pending[f.next++];
      if (e && e->isContainer()) stack.push_back(open(child, e));
      continue;
    }
    const Frame done = stack.back();
    stack.pop_back();
    pending.resize(done.first);
    if (stack.empty()) {
      size = addSize(size, done.totals.size);
      files += done.totals.files;
      folders += done.totals.folders;
      zipFolders += done.totals.zips;
      return;
    }
    Totals &up = stack.back().totals;
    // A folder's size is what a walk from its own item would sum: kept, as its size
    // text keeps it, so the folders of a large disk are not walked once per level.
    if (!done.entry->isZipFolder() && done.entry->sizeAcrossThreads() == 0) done.entry->fillSize(done.totals.size);
    if (done.entry->isZipFolder()) {
      up.size = addSize(up.size, done.entry->sizeAcrossThreads());
      up.zips += done.totals.zips + 1;
    } else {
      up.size = addSize(up.size, done.totals.size);
      up.folders += 1;
      up.zips += done.totals.zips;
    }
    up.files += done.totals.files;
    up.folders += done.totals.folders;
  }
}

bool CatalogModel::setSizeUnit(std::string_view unit) {
  std::int64_t value;
  if (unit == "byte") {
    value = 1;
  } else if (unit == "KB") {
    value = 1024;
  } else if (unit == "MB") {
    value = 1048576;
  } else {
    return false;
  }
  const bool changed = value != sizeUnit_;
  sizeUnit_ = value;
  return changed;
}

void CatalogModel::setSizeComma(bool on, bool refresh) {
  if (on == sizeComma_) return;
  sizeComma_ = on;
  if (refresh) refreshSizeTexts();
}

} // namespace tavlor
