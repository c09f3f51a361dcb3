#include "tools/report_text.h"

#include <cstdio>

#include "model/name_text.h"
#include "model/names.h"

namespace tavlor {

namespace {

// Widths are display columns, so a UTF-8 name lines up with ASCII ones; for ASCII and
// for names that are not UTF-8 a byte is a column.
void appendPadded(std::string &out, std::string_view text, std::size_t width, bool right) {
  const std::size_t columns = displayColumns(text);
  const std::size_t pad = columns < width ? width - columns : 0;
  if (right) out.append(pad, ' ');
  out.append(text);
  if (!right) out.append(pad, ' ');
}

} // namespace

bool isCsvReportPath(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return dot != std::string_view::npos && equalIgnoringCase(name.substr(dot + 1), "CSV");
}

std::string reportBaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

std::string reportColumnLine(bool csv) {
  if (csv) return " time, size, name, path ";
  std::string line;
  appendPadded(line, "time", 20, true);
  appendPadded(line, "size", 10, true);
  line += " name                         ";
  line += "  path";
  return line;
}

void appendReportCount(std::string &out, std::size_t count, const char *what) {
  const std::string end = kReportLineEnd;
  out += end;
  out += "----------------------" + end;
  out += " " + std::to_string(count) + " " + what + "." + end;
}

void appendReportEntryFields(std::string &out, CatalogModel &model, const FileData &entry, bool csv) {
  // Texts made for the line only: a report of a million hits must not leave a million
  // cached texts behind in the model.
  char dateBuffer[CatalogModel::kDateTextSize];
  const std::string_view date = model.dateTextOnce(entry, dateBuffer);
  const std::string size = model.sizeTextOnce(entry);
  if (csv) {
    out += ' ';
    out += date;
    out += ", ";
    out += size;
    out += ", ";
    out += entry.name();
    out += ", ";
  } else {
    appendPadded(out, date, 20, true);
    appendPadded(out, size, 10, true);
    out += ' ';
    appendPadded(out, entry.name(), 30, false);
    out += ' ';
  }
}

void appendReportEntry(std::string &out, CatalogModel &model, const FileData &entry, bool csv) {
  appendReportEntryFields(out, model, entry, csv);
  model.appendItemPath(out, entry.parentItem());
  out += kReportLineEnd;
}

ReportWriter fileReportWriter(std::FILE *file, bool *failed) {
  return [file, failed](std::string_view piece) {
    if (std::fwrite(piece.data(), 1, piece.size(), file) != piece.size() && failed) *failed = true;
  };
}

bool writeReportFile(const std::string &path, const std::string &text) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

} // namespace tavlor
