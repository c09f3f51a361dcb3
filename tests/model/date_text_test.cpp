// Date texts come from a table of the local time of days; they must read exactly as
// the C library's local time gives them, across every change of offset.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "model/catalog_model.h"

namespace {

std::string libraryText(std::time_t when) {
  struct tm local {};
  if (!localtime_r(&when, &local)) return {};
  char buffer[128];
  return std::string(buffer, std::strftime(buffer, sizeof buffer, "%x %X", &local));
}

TEST(DateText, ReadsAsTheLibraryAcrossOffsetChangesInEveryZone) {
  const char *const previous = std::getenv("TZ");
  const std::string saved = previous ? previous : "";
  // Whole-hour, half-hour and 45-minute offsets; changes of one hour and of half an hour.
  for (const char *zone : {"UTC", "Europe/Berlin", "America/St_Johns", "Asia/Kolkata", "Asia/Kathmandu",
                           "Australia/Lord_Howe", "America/Sao_Paulo"}) {
    SCOPED_TRACE(zone);
    ::setenv("TZ", zone, 1);
    ::tzset();
    // The date asked for last in the zone before, asked for again in this one.
    const std::time_t fallback = 2085696000; // 5 February 2036, UTC
    int differences = tavlor::CatalogModel::formatDate(fallback) != libraryText(fallback);
    // Three years in steps that visit every hour and minute, the years around the
    // epoch's sign, and the catalogs' default date.
    for (std::time_t t = 1546300800; t < 1640995200 && differences < 5; t += 1301)
      differences += tavlor::CatalogModel::formatDate(t) != libraryText(t);
    for (std::time_t t = -90000; t < 90000 && differences < 5; t += 599)
      differences += tavlor::CatalogModel::formatDate(t) != libraryText(t);
    // Dates of a report sorted by name jump over decades, and days far apart share a
    // place in the table.
    for (std::int64_t k = 0; k < 40000 && differences < 5; ++k) {
      const std::time_t t = static_cast<std::time_t>(631152000 + (k * 104729 * 3607) % (50ll * 365 * 86400));
      differences += tavlor::CatalogModel::formatDate(t) != libraryText(t);
    }
    differences += tavlor::CatalogModel::formatDate(fallback) != libraryText(fallback);
    EXPECT_EQ(differences, 0);
  }
  if (previous)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

TEST(DateText, ReadsAsTheLibraryInEveryLocaleAtHand) {
  // Texts are written without strftime where the locale's formats are plain numbers.
  const std::string saved = std::setlocale(LC_TIME, nullptr);
  // A machine with only the C locales still tries a twelve-hour clock ("%I:%M:%S %p"),
  // compiled here where the C library's locale sources are installed.
  char folder[] = "/tmp/tavlor-locales-XXXXXX";
  const bool compiled = !std::setlocale(LC_TIME, "en_US.UTF-8") && ::mkdtemp(folder) &&
                        std::system(("localedef -i en_US -f UTF-8 " + std::string(folder) +
                                     "/en_US.UTF-8 >/dev/null 2>&1").c_str()) == 0;
  if (compiled) ::setenv("LOCPATH", folder, 1);
  for (const char *name : {"C", "C.UTF-8", "en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8", "ko_KR.UTF-8", "ar_EG.UTF-8"}) {
    if (!std::setlocale(LC_TIME, name)) continue;
    SCOPED_TRACE(name);
    // Each locale begins and ends with a date the locale before ended with.
    const std::time_t same = 1700000000;
    int differences = tavlor::CatalogModel::formatDate(same) != libraryText(same);
    for (std::time_t t = -2208988800; t < 4102444800 && differences < 5; t += 3 * 86400 + 3599)
      differences += tavlor::CatalogModel::formatDate(t) != libraryText(t);
    differences += tavlor::CatalogModel::formatDate(same) != libraryText(same);
    EXPECT_EQ(differences, 0);
  }
  std::setlocale(LC_TIME, saved.c_str());
  if (compiled) {
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(folder);
  }
}

} // namespace
