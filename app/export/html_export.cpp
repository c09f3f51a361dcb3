#include "export/html_export.h"

#include <cstdio>
#include <utility>

#include "export/html_icons.h"

namespace tavlor {

namespace {

constexpr const char *kCrLf = "\r\n";
constexpr const char *kTableLine = "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">";

bool isContinuation(unsigned char c) {
  return (c & 0xc0) == 0x80;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n;
    std::uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xc2 && c <= 0xdf) {
      n = 1, cp = c & 0x1f;
    } else if (c >= 0xe0 && c <= 0xef) {
      n = 2, cp = c & 0x0f;
    } else if (c >= 0xf0 && c <= 0xf4) {
      n = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if (!isContinuation(d)) return false;
      cp = (cp << 6) | (d & 0x3f);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
      return false;
    i += n + 1;
  }
  return true;
}

} // namespace

// A page is built in memory and written whole, so its character set can be declared
// in its head once every name on it is known.
struct HtmlExport::Page {
  std::string text;
  std::size_t charsetAt = std::string::npos;

  void put(std::string_view s) { text.append(s); }
  void line(std::string_view s) {
    text.append(s);
    text.append(kCrLf);
  }
  std::string finished() const {
    if (charsetAt == std::string::npos) return text;
    std::string out = text;
    out.insert(charsetAt, std::string("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=") +
                              htmlCharset(text) + "\">" + kCrLf);
    return out;
  }
};

const char *const kLargeHtmlFileSetQuestion =
    "You appear to be creating a single HTML file for a very large set of files."
    "\nSuch large files may be difficult or slow to load in web browsers."
    "\nIt is recommended to either reduce the file set or use the Web site option."
    "\n\nDo you want to proceed anyway?";

HtmlTotals htmlTotals(CatalogModel &model, ItemId start) {
  HtmlTotals t;
  if (model.isValid(start)) model.accumulate(start, t.size, t.files, t.folders, t.zipFolders);
  return t;
}

bool isLargeHtmlFileSet(const HtmlExportOptions &options, const HtmlTotals &totals) {
  return options.singleFile && options.recurse && totals.files > kLargeHtmlFileSet;
}

std::string defaultHtmlDescription(std::time_t now) {
  return "Web site updated " + CatalogModel::formatDate(now);
}

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out.push_back(c);
    }
  }
  return out;
}

const char *htmlCharset(std::string_view page) {
  return isValidUtf8(page) ? "utf-8" : "windows-1252";
}

HtmlExport::HtmlExport(CatalogModel &model, ItemId start, HtmlExportOptions options, const HtmlTotals &totals)
    : model_(model), start_(start), options_(std::move(options)), totals_(totals) {
  const std::size_t slash = options_.outputPath.rfind('/');
  if (slash == std::string::npos) {
    outputName_ = options_.outputPath;
  } else {
    folderPrefix_ = options_.outputPath.substr(0, slash + 1);
    outputName_ = options_.outputPath.substr(slash + 1);
  }
}

FileData *HtmlExport::entryOf(ItemId item) const {
  const ItemId parent = model_.parentOf(item);
  if (parent == kNoItem) return nullptr;
  return model_.lookupEntry(parent, model_.label(item));
}

std::vector<ItemId> HtmlExport::exportedItems() const {
  std::vector<ItemId> items;
  if (!model_.isValid(start_)) return items;
  if (!options_.recurse) return {start_};
  // Pre-order without recursion: catalogs may nest folders deeper than the stack.
  std::vector<ItemId> pending{start_};
  while (!pending.empty()) {
    const ItemId item = pending.back();
    pending.pop_back();
    items.push_back(item);
    const auto children = model_.childrenOf(item);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      pending.push_back(*it);
  }
  return items;
}

void HtmlExport::assignPageNames(const std::vector<ItemId> &items) {
  pageNames_.clear();
  pageCounter_ = 0;
  for (ItemId item : items) {
    const std::string n = std::to_string(++pageCounter_);
    pageNames_[entryOf(item)] = options_.singleFile ? "#folder" + n : "Tavlor_folder" + n + ".htm";
  }
}

HtmlExportResult HtmlExport::run(const std::function<void()> &folderWritten) {
  HtmlExportResult result;
  const std::vector<ItemId> items = exportedItems();
  assignPageNames(items);

  for (const HtmlIcon &icon : htmlIcons()) {
    Page gif;
    gif.text = icon.bytes;
    if (!save(gif, folderPrefix_ + icon.fileName)) result.unwritten.push_back(folderPrefix_ + icon.fileName);
  }

  // The output is opened (and truncated) before any page is written; when it cannot
  // be, no page is written either.
  std::FILE *output = std::fopen(options_.outputPath.c_str(), "wb");
  if (!output) return result;
  Page main;
  writeHead(main);
  writeSummary(main);
  for (ItemId item : items) {
    writeFolder(item, main, result);
    if (folderWritten) folderWritten();
  }
  main.line("</body>");
  main.line("</html>");
  result.outputWritten = write(main, output);
  return result;
}

void HtmlExport::writeHead(Page &page) const {
  page.line("<html>");
  page.line("<head>");
  page.line("<title>Tavlor web catalog</title>");
  page.line("<META NAME=\"Generator\" CONTENT=\"Tavlor\">");
  page.charsetAt = page.text.size();
  page.line("</head>");
  page.line("<BODY BGCOLOR=\"#FFFFFF\" ALINK=\"#FF0000\" VLINK=\"#630000\">");
  page.line("<font size=\"-1\">");
  page.line("Web site generated using Tavlor");
  page.line("<br>" + htmlEscape(options_.description));
  page.line("</font>");
}

void HtmlExport::writeSummary(Page &page) const {
  page.line("<h4>Tavlor web catalog</h4> ");
  if (!options_.singleFile) {
    page.line("<p>");
    page.line("<a href=\"Tavlor_folder1.htm\">" + htmlEscape(model_.isValid(start_) ? model_.label(start_) : "") +
              "</a> (click link at left to browse catalog)");
  }
  page.line("<p> Summary information: ");
  page.line(kTableLine);
  page.line("<td width=\"220\" bgcolor=\"#cccccc\" >Text</td>");
  page.line("<td bgcolor=\"#cccccc\" align=\"right\">Value</td>");
  const std::pair<const char *, std::string> rows[] = {
      {"Accumulated File Size", model_.formatSize(totals_.size)},
      {"No. of files", std::to_string(totals_.files)},
      {"No. of Folders", std::to_string(totals_.folders)},
      {"No. of Zip Folders", std::to_string(totals_.zipFolders)},
  };
  for (const auto &[label, value] : rows) {
    page.put(std::string("<tr> <td align=\"left\">") + label + "</td><td align=\"right\">" + value + "</td></tr> ");
  }
  page.put("</table> ");
}

void HtmlExport::writeFolder(ItemId item, Page &main, HtmlExportResult &result) {
  const FileData *entry = entryOf(item);
  const ItemId parent = model_.parentOf(item);
  const FileData *parentEntry = parent == kNoItem ? nullptr : entryOf(parent);
  const std::string &pageName = pageNames_[entry];

  Page own;
  Page &page = options_.singleFile ? main : own;
  if (options_.singleFile) {
    page.line("<p>");
    page.put("<a name=\"" + pageName.substr(pageName.empty() ? 0 : 1) + "\">");
  } else {
    writeHead(page);
    page.line("<p>");
  }
  std::string heading = kRootLabel;
  if (entry) {
    const std::string &folder = model_.folderPath(*entry);
    heading = folder + (!folder.empty() && !entry->name().empty() ? "/" : "") + std::string(entry->name());
  }
  page.line("<b>" + htmlEscape(heading) + "</b>");
  page.line(kTableLine);
  page.line("<td width=\"220\" bgcolor=\"#cccccc\" >Filename</td>");
  page.line("<td bgcolor=\"#cccccc\" align=\"right\">Size</td>");
  page.line("<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>");

  std::string up;
  bool hasUp = true;
  if (parentEntry) {
    const auto found = pageNames_.find(parentEntry);
    up = found != pageNames_.end() ? found->second : htmlEscape(outputName_);
  } else if (options_.singleFile) {
    hasUp = false;
  } else {
    up = entry ? "Tavlor_folder1.htm" : htmlEscape(outputName_);
  }
  if (hasUp) page.line("<tr><td><a href=\"" + up + "\"> <img SRC=\"upicon.gif\"> <b> ..  </b> </a>");

  for (const FileData *e : model_.entriesOf(item))
    writeEntryRow(page, *e);
  page.line("</table>");
  if (!options_.singleFile) {
    page.line("</body>");
    page.line("</html>");
    const std::string path = folderPrefix_ + pageName;
    if (!save(page, path)) result.unwritten.push_back(path);
  }
}

void HtmlExport::writeEntryRow(Page &page, const FileData &entry) {
  page.put("<tr><td> ");
  const char *close = " </td>";
  if (entry.isContainer()) {
    page.put(entry.isZipFolder() ? "<img SRC=\"zipicon.gif\"> <a href=\"" : "<img SRC=\"foldericon.gif\"> <a href=\"");
    page.put(pageNames_[&entry]);
    page.put("\">");
    close = "</a> </td>";
  } else {
    page.put("<img SRC=\"fileicon.gif\"> ");
  }
  page.put(htmlEscape(entry.name()));
  page.put(close);
  page.put("<td align=\"right\">" + htmlEscape(model_.sizeText(entry)) + "</td>");
  page.put("<td align=\"right\">" + htmlEscape(model_.dateText(entry)) + "</td>");
  page.line("</tr>");
}

bool HtmlExport::save(const Page &page, const std::string &path) const {
  // Binary mode: the line ends are already CR LF, and icons must not be translated.
  std::FILE *file = std::fopen(path.c_str(), "wb");
  return file && write(page, file);
}

bool HtmlExport::write(const Page &page, std::FILE *file) const {
  const std::string bytes = page.finished();
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

} // namespace tavlor
