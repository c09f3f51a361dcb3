// report_text.h - the pieces the Find Files and Duplicate Files reports share.
//
// Reports are written in text mode as the catalogs are: every line ends in CR LF.
// Names and paths are written as the bytes the catalog holds.
#ifndef APP_TOOLS_REPORT_TEXT_H
#define APP_TOOLS_REPORT_TEXT_H

#include <cstdio>
#include <functional>
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
// The same line up to its folder path: the path and the line end are the caller's.
void appendReportEntryFields(std::string &out, CatalogModel &model, const FileData &entry, bool csv);

// The closing lines of a report: a blank line, the dashes, and " COUNT WHAT." (as
// "Files found" or "Duplicate sets found"), each with its line end.
void appendReportCount(std::string &out, std::size_t count, const char *what);

// Receives a report piece by piece as it is formatted (each piece at most about 64 KiB),
// so a report of millions of lines is never held whole.
using ReportWriter = std::function<void(std::string_view piece)>;

// Collects the lines of a report and hands them to a writer in pieces.
class ReportPieces {
public:
  explicit ReportPieces(const ReportWriter &write) : write_(write) { text_.reserve(kPiece + 4096); }
  ~ReportPieces() { flush(); }
  ReportPieces(const ReportPieces &) = delete;
  ReportPieces &operator=(const ReportPieces &) = delete;
  std::string &text() { return text_; }
  // Hands the collected text on once it is a piece's worth.
  void lineDone() {
    if (text_.size() >= kPiece) flush();
  }
  void flush() {
    if (!text_.empty()) write_(text_);
    text_.clear();
  }

private:
  static constexpr std::size_t kPiece = 64 * 1024;
  const ReportWriter &write_;
  std::string text_;
};

// A writer to a stdio stream; failed, when given, is set when a piece is not written.
ReportWriter fileReportWriter(std::FILE *file, bool *failed = nullptr);

// Writes text to path, replacing the file; false when it cannot be written.
bool writeReportFile(const std::string &path, const std::string &text);

} // namespace tavlor

#endif // APP_TOOLS_REPORT_TEXT_H
