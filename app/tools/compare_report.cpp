// The text report of a disk/catalog compare.
#include "model/name_text.h"
#include "tools/disk_compare.h"

namespace tavlor {

namespace {

// Widths are display columns, as in the other reports: a UTF-8 name lines up.
void padTo(std::string &out, std::string_view text, std::size_t width) {
  const std::size_t columns = displayColumns(text);
  out.append(text);
  if (columns < width) out.append(width - columns, ' ');
}

void rightIn(std::string &out, std::string_view text, std::size_t width) {
  const std::size_t columns = displayColumns(text);
  if (columns < width) out.append(width - columns, ' ');
  out.append(text);
}

const char *const kEol = "\r\n";

void appendHeading(std::string &out, std::string_view driveChoice) {
  out += " Tavlor, Disk/catalog compare report";
  out += kEol;
  out += " -----------------------------------------";
  out += kEol;
  out += kEol;
  out += " Disk compared is ";
  out.append(driveChoice);
  out += kEol;
  out += kEol;
  out += " status          name                                size date                 path";
  out += kEol;
  out += kEol;
}

void appendRow(std::string &out, const CompareReportRow &r) {
  out += ' ';
  padTo(out, r.status, 15);
  out += ' ';
  padTo(out, r.name, 30);
  const bool catalogLine = !r.sizeCatalog.empty() || !r.dateCatalog.empty();
  if (catalogLine) {
    rightIn(out, r.sizeCatalog, 10);
    out += ' ';
    padTo(out, r.dateCatalog, 20);
    out += ' ';
    out += r.folder;
    out += kEol;
  }
  if (!r.sizeDisk.empty() || !r.dateDisk.empty()) {
    // One column left of the catalog values above: the line has 46 blanks, where
    // the catalog line had 47 characters before its size.
    if (catalogLine) out.append(46, ' ');
    rightIn(out, r.sizeDisk, 10);
    out += ' ';
    padTo(out, r.dateDisk, 20);
    if (!catalogLine) {
      out += ' ';
      out += r.folder;
    }
    out += kEol;
  }
  // A row with neither side (Identical) is ended by the empty line below.
}

void appendCount(std::string &out, std::size_t differences) {
  out += kEol;
  out += ' ';
  out += std::to_string(differences);
  out += " Differences found.";
  out += kEol;
}

CompareReportRow reportRow(const DiskCompare &compare, const CompareRow &row) {
  return {compare.text(row, CompareColumn::Status),   compare.text(row, CompareColumn::Name),
          compare.text(row, CompareColumn::InFolder), compare.text(row, CompareColumn::SizeCatalog),
          compare.text(row, CompareColumn::SizeDisk), compare.text(row, CompareColumn::DateCatalog),
          compare.text(row, CompareColumn::DateDisk)};
}

} // namespace

std::string compareReport(std::string_view driveChoice, const std::vector<CompareReportRow> &rows) {
  std::string out;
  appendHeading(out, driveChoice);
  std::size_t differences = 0;
  for (const CompareReportRow &r : rows) {
    if (r.status != statusText(CompareStatus::Identical)) ++differences;
    appendRow(out, r);
  }
  appendCount(out, differences);
  return out;
}

std::string compareReport(std::string_view driveChoice, const DiskCompare &compare) {
  // Row by row: a report of a million rows needs no second copy of their texts.
  std::string out;
  appendHeading(out, driveChoice);
  for (const CompareRow &row : compare.rows())
    appendRow(out, reportRow(compare, row));
  appendCount(out, compare.differences());
  return out;
}

std::vector<CompareReportRow> reportRows(const DiskCompare &compare) {
  std::vector<CompareReportRow> out;
  out.reserve(compare.rows().size());
  for (const CompareRow &row : compare.rows())
    out.push_back(reportRow(compare, row));
  return out;
}

} // namespace tavlor
