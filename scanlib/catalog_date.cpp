#include "catalog_date.h"

#include <cstdint>

namespace tavscan {

std::optional<CatalogDate> catalogDateOf(time_t when) {
  if (when == 0 || when < 0 || when > INT32_MAX) return std::nullopt;
  struct tm local;
  if (!localtime_r(&when, &local)) return std::nullopt;
  const int year = local.tm_year + 1900;
  if (year < 1970 || year > 2038) return std::nullopt;
  return CatalogDate{local.tm_mday, local.tm_mon + 1, year, local.tm_hour, local.tm_min, local.tm_sec};
}

std::optional<time_t> fileTimeOf(const CatalogDate &date) {
  struct tm local = {};
  local.tm_mday = date.day;
  local.tm_mon = date.month - 1;
  local.tm_year = date.year - 1900;
  local.tm_hour = date.hour;
  local.tm_min = date.minute;
  local.tm_sec = date.second;
  local.tm_isdst = -1;
  const time_t result = mktime(&local);
  if (result == static_cast<time_t>(-1) && !(local.tm_year == 69 && local.tm_mon == 11 && local.tm_mday == 31))
    return std::nullopt;
  return result;
}

} // namespace tavscan
