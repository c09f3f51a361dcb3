// The text report of a disk/catalog compare.
#include "tools/disk_compare.h"

namespace tavlor {

namespace {

void padTo(std::string &out, std::string_view text, std::size_t width) {
  out.append(text);
  if (text.size() < width) out.append(width - text.size(), ' ');
}

void rightIn(std::string &out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
}

} // namespace

std::string compareReport(std::string_view driveChoice, const std::vector<CompareReportRow> &rows) {
  const char *eol = "\r\n";
  std::string out;
  out += " Tavlor, Disk/catalog compare report";
  out += eol;
  out += " -----------------------------------------";
  out += eol;
  out += eol;
  out += " Disk compared is ";
  out.append(driveChoice);
  out += eol;
  out += eol;
  out += " status          name                                size date                 path";
  out += eol;
  out += eol;
  std::size_t differences = 0;
  for (const CompareReportRow &r : rows) {
    if (r.status != statusText(CompareStatus::Identical)) ++differences;
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
      out += eol;
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
      out += eol;
    }
    // A row with neither side (Identical) is ended by the empty line below.
  }
  out += eol;
  out += ' ';
  out += std::to_string(differences);
  out += " Differences found.";
  out += eol;
  return out;
}

std::vector<CompareReportRow> reportRows(const DiskCompare &compare) {
  std::vector<CompareReportRow> out;
  out.reserve(compare.rows().size());
  for (const CompareRow &row : compare.rows()) {
    out.push_back({compare.text(row, CompareColumn::Status), compare.text(row, CompareColumn::Name),
                   compare.text(row, CompareColumn::InFolder), compare.text(row, CompareColumn::SizeCatalog),
                   compare.text(row, CompareColumn::SizeDisk), compare.text(row, CompareColumn::DateCatalog),
                   compare.text(row, CompareColumn::DateDisk)});
  }
  return out;
}

} // namespace tavlor
