// catalog_date.h - dates of catalog records: six numbers in local time.
#ifndef SCANLIB_CATALOG_DATE_H
#define SCANLIB_CATALOG_DATE_H

#include <ctime>
#include <optional>

namespace tavscan {

struct CatalogDate {
  int day = 5;
  int month = 2;
  int year = 2036;
  int hour = 0;
  int minute = 0;
  int second = 0;

  bool operator==(const CatalogDate &) const = default;
};

// 5 February 2036, 00:00:00: the date of everything that cannot be dated.
inline constexpr CatalogDate kDefaultCatalogDate{};

// The local date of a file time, or nullopt when the time cannot stand in a catalog:
// zero, not convertible, before 1970 or after 2038 in local time, or past the last
// second a signed 32-bit count since 1970 can hold.
std::optional<CatalogDate> catalogDateOf(time_t when);

// The file time of a local date (mktime with daylight saving decided by the date).
// nullopt when mktime cannot represent it.
std::optional<time_t> fileTimeOf(const CatalogDate &date);

} // namespace tavscan

#endif // SCANLIB_CATALOG_DATE_H
