// report_text.h - the pieces the Find Files and Duplicate Files reports share.
//
// Reports are written in text mode as the catalogs are: every line ends in CR LF.
// Names and paths are written as the bytes the catalog holds.
#ifndef APP_TOOLS_REPORT_TEXT_H
#define APP_TOOLS_REPORT_TEXT_H

#include <string>
#include <string_view>

#include "model/catalog_model.h"

namespace tavlor {

inline constexpr const char *kReportLineEnd = "\r\n";

// True when the report goes out as comma-separated values: the file's extension,
// upper-cased, is exactly "CSV".
bool isCsvReportPath(std::string_view path);

// The file name of path without its folder and extension (the name the next save of
// the same dialog proposes).
std::string reportBaseName(std::string_view path);

// The column line: "time" and "size" right-aligned in 20 and 10 characters, then
// " name" in 30 and "  path"; as CSV " time, size, name, path " (with the trailing
// blank). No line end.
std::string reportColumnLine(bool csv);

// One entry's line with its line end: the date text right-aligned in 20 characters,
// the size text in 10, a blank, the name padded to 30 (never cut), a blank and the
// folder path; as CSV a blank and the four texts joined by ", " (nothing quoted).
// Characters are counted as the display shows them (displayColumns): a UTF-8 name
// of 18 characters takes 18 columns however many bytes it holds.
void appendReportEntry(std::string &out, CatalogModel &model, const FileData &entry, bool csv);

// The closing lines of a report: a blank line, the dashes, and " COUNT WHAT." (as
// "Files found" or "Duplicate sets found"), each with its line end.
void appendReportCount(std::string &out, std::size_t count, const char *what);

// Writes text to path, replacing the file; false when it cannot be written.
bool writeReportFile(const std::string &path, const std::string &text);

} // namespace tavlor

#endif // APP_TOOLS_REPORT_TEXT_H
