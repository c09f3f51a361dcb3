#include "export/html_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "export/html_icons.h"
#include "model/name_text.h"
#include "platform/files.h"

namespace tavlor {

namespace {

constexpr const char *kCrLf = "\r\n";
constexpr const char *kTableLine = "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">";

// A link to a file of the output folder: its bytes beyond ASCII percent-encoded, so
// the link finds the file whatever the name's encoding, and the page stays text.
std::string htmlHref(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return htmlEscape(out);
}

int openFolder(const std::string &folder) {
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Why the file name in the folder cannot take a new version, or 0: a folder is never
// replaced, and a read-only file keeps its protection whoever writes.
int replaceable(int folderFd, const std::string &name) {
  if (name.empty()) return EISDIR;
  struct stat st;
  if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (S_ISREG(st.st_mode) && platform::isReadOnly(st)) return EACCES;
  return 0;
}

// A new version of a file takes over the permissions of the one it replaces.
platform::ReplacementFile::Options replacing() {
  platform::ReplacementFile::Options options;
  options.keepMode = true;
  return options;
}

} // namespace

// A page is built in memory and written whole, so its character set can be declared
// in its head once every text on it is known; a single file of a large disk is written
// out as it grows instead, its character set decided before it starts.
struct HtmlExport::Page {
  std::string text;
  std::size_t charsetAt = std::string::npos;
  std::optional<bool> utf8;                  // decided in advance for a page written as it grows
  std::function<int(std::string_view)> out; // where such a page goes
  int error = 0;

  void put(std::string_view s) { text.append(s); }
  void line(std::string_view s) {
    text.append(s);
    text.append(kCrLf);
    if (out && text.size() >= kPiece) spill();
  }
  // Every text on a page is UTF-8 by then; an all-ASCII page needs no declaration.
  bool declaresCharset() const { return charsetAt != std::string::npos && (utf8 ? *utf8 : !isAsciiText(text)); }
  std::string finished() const {
    if (!declaresCharset()) return text;
    std::string done = text;
    done.insert(charsetAt, kCharsetLine);
    return done;
  }
  // Hands what there is to out, as finished() would make it but without a copy.
  void spill() {
    if (declaresCharset()) text.insert(charsetAt, kCharsetLine);
    charsetAt = std::string::npos;
    if (!error) error = out(text);
    text.clear();
  }

  static constexpr std::size_t kPiece = 256 * 1024;
  static constexpr const char *kCharsetLine =
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n";
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

namespace {

// The high bit of each of the eight bytes of word that is a character of markup (and
// perhaps of a byte above such a one: only whether there is any counts).
[[gnu::always_inline]] inline std::uint64_t markupBits(std::uint64_t word) {
  const auto zeroByte = [](std::uint64_t x) {
    return (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
  };
  return zeroByte(word ^ 0x2626262626262626ull) | zeroByte(word ^ 0x3c3c3c3c3c3c3c3cull) |
         zeroByte(word ^ 0x3e3e3e3e3e3e3e3eull) | zeroByte(word ^ 0x2222222222222222ull);
}

// True when one of the eight bytes of word is a character of markup.
[[gnu::always_inline]] inline bool holdsMarkup(std::uint64_t word) {
  return markupBits(word) != 0;
}

// Appends text with the four characters of markup as references; runs without them
// go in whole.
void appendEscaped(std::string &out, std::string_view text) {
  // Eight bytes at a time past runs without markup, then a plain test per byte.
  std::size_t from = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if ((at & 7) == 0) {
      std::uint64_t word;
      while (at + 8 <= text.size() && (std::memcpy(&word, text.data() + at, 8), !holdsMarkup(word)))
        at += 8;
      if (at == text.size()) break;
    }
    const char c = text[at];
    if (c != '&' && c != '<' && c != '>' && c != '"') continue;
    out.append(text, from, at - from);
    out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : "&quot;";
    from = at + 1;
  }
  out.append(text, from, std::string_view::npos);
}

// True when bytes are ASCII without a character of markup: most names and every
// date, which then go in whole. Whole words only, the last one overlapping the one
// before (a short text is a word with zero bytes above it, which are neither), and one
// test at the end.
bool isPlainAscii(std::string_view bytes) {
  const char *p = bytes.data();
  const std::size_t n = bytes.size();
  std::uint64_t word, bad = 0;
  if (n >= 8) {
    for (std::size_t at = 0; at + 8 <= n; at += 8) {
      std::memcpy(&word, p + at, 8);
      bad |= word | markupBits(word);
    }
    std::memcpy(&word, p + n - 8, 8);
  } else if (n >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, p, 4);
    std::memcpy(&tail, p + n - 4, 4);
    word = head | static_cast<std::uint64_t>(tail) << 32;
  } else {
    word = n == 0 ? 0
                  : static_cast<unsigned char>(p[0]) | static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
                        static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
  }
  bad |= word | markupBits(word);
  return !(bad & 0x8080808080808080ull);
}

// htmlText appended to out, without a copy where the bytes are UTF-8 already; convert
// makes the display text of bytes that are not (a folder path converts name by name).
void appendHtmlText(std::string &out, std::string_view bytes,
                    std::string (*convert)(std::string_view) = displayUtf8) {
  if (isPlainAscii(bytes))
    out.append(bytes);
  else if (isValidUtf8(bytes))
    appendEscaped(out, bytes);
  else
    appendEscaped(out, convert(bytes));
}

} // namespace

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscaped(out, text);
  return out;
}

std::string htmlText(std::string_view bytes) {
  return htmlEscape(displayUtf8(bytes));
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

const FileData *HtmlExport::entryOf(ItemId item) const {
  const ItemId parent = model_.parentOf(item);
  if (parent == kNoItem) return nullptr;
  return model_.lookupEntry(parent, model_.label(item));
}

std::vector<HtmlExport::Folder> HtmlExport::exportedFolders() const {
  std::vector<Folder> folders;
  if (!model_.isValid(start_)) return folders;
  const Folder first{start_, entryOf(start_), kOutside};
  if (!options_.recurse) return {first};
  // Pre-order without recursion: catalogs may nest folders deeper than the stack. The
  // entries of a folder's subfolders are found together, once.
  std::vector<Folder> pending{first};
  std::vector<const FileData *> childEntries;
  while (!pending.empty()) {
    const Folder folder = pending.back();
    pending.pop_back();
    const auto at = static_cast<std::uint32_t>(folders.size());
    folders.push_back(folder);
    const auto children = model_.childrenOf(folder.item);
    model_.childEntries(folder.item, childEntries);
    for (std::size_t k = children.size(); k-- > 0;)
      pending.push_back({children[k], childEntries[k], at});
  }
  // Each folder's exported subfolders, in order, as a list through them.
  for (std::size_t j = folders.size(); j-- > 1;) {
    Folder &parent = folders[folders[j].parent];
    folders[j].nextSibling = parent.firstChild;
    parent.firstChild = static_cast<std::uint32_t>(j);
  }
  return folders;
}

void HtmlExport::assignPageNames(std::vector<Folder> &folders) {
  pageNumbers_.clear();
  pageNumbers_.reserve(folders.size());
  pageCounter_ = 0;
  // Numbers go by entry: folders sharing one (a twin without an entry of its own
  // takes its twin's) share the first one's page.
  for (Folder &folder : folders) {
    folder.page = static_cast<std::uint32_t>(++pageCounter_);
    folder.page = pageNumbers_.try_emplace(folder.entry, folder.page).first->second;
  }
}

void HtmlExport::appendPageName(std::string &out, const FileData *entry) const {
  // A folder not exported links nowhere.
  if (const auto found = pageNumbers_.find(entry); found != pageNumbers_.end()) appendPageNumber(out, found->second);
}

void HtmlExport::appendPageNumber(std::string &out, std::uint32_t number) const {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out += options_.singleFile ? std::string_view("#folder") : std::string_view("Tavlor_folder");
  out.append(digits, end);
  if (!options_.singleFile) out += std::string_view(".htm");
}

std::map<const FileData *, std::string> HtmlExport::pageNames() const {
  std::map<const FileData *, std::string> names;
  for (const auto &[entry, number] : pageNumbers_)
    appendPageNumber(names[entry], number);
  return names;
}

bool HtmlExport::pageIsAscii(const std::vector<Folder> &folders) const {
  if (!isAsciiText(options_.description)) return false;
  if (model_.isValid(start_) && !isAsciiText(model_.itemPath(start_))) return false;
  WalkAhead ahead(folders.size(), FolderEntries{&model_, &folders});
  for (const Folder &folder : folders) {
    if (!isAsciiText(model_.label(folder.item))) return false;
    for (const FileData *e : model_.entriesOf(folder.item)) {
      ahead.step();
      if (!isAsciiText(e->name())) return false;
    }
  }
  // Sizes are digits; dates follow the locale, whose short formats show no month or
  // day names in most languages: one date of each month and either half of the day
  // tells.
  for (int month = 0; month < 12; ++month)
    for (int hour : {1, 13})
      if (!isAsciiText(CatalogModel::formatDate(static_cast<std::time_t>(946684800 + month * 2678400 + hour * 3600))))
        return false;
  return true;
}

HtmlExportResult HtmlExport::run(const std::function<void()> &folderWritten) {
  HtmlExportResult result;
  std::vector<Folder> folders = exportedFolders();
  assignPageNames(folders);
  pathEnds_.clear();

  // A folder the user names that is not there yet is made, as a copy makes its
  // destination; from here on everything is written relative to it.
  const std::string folder = folderPrefix_.empty() ? "." : folderPrefix_;
  int fd = openFolder(folder);
  if (fd < 0 && errno == ENOENT) {
    platform::createFolderLevels(folderPrefix_.substr(0, folderPrefix_.size() - 1));
    fd = openFolder(folder);
  }
  if (fd < 0) {
    const std::string shown = folderPrefix_.size() > 1 ? folderPrefix_.substr(0, folderPrefix_.size() - 1) : folder;
    result.unwritten.push_back({shown, errno, true});
    return result;
  }
  folderFd_ = fd;
  struct Close {
    int &fd;
    ~Close() {
      ::close(fd);
      fd = -1;
    }
  } close{folderFd_};

  for (const HtmlIcon &icon : htmlIcons()) {
    Page gif;
    gif.text = icon.bytes;
    if (const int err = save(gif, icon.fileName)) result.unwritten.push_back({folderPrefix_ + icon.fileName, err});
  }

  // The output is made ready before any page is written; when it cannot be, no page
  // is written either.
  platform::ReplacementFile output;
  int err = replaceable(folderFd_, outputName_);
  if (!err) err = output.create(folderFd_, outputName_, replacing());
  if (err) {
    result.unwritten.push_back({options_.outputPath, err});
    return result;
  }
  Page main;
  if (options_.singleFile) {
    main.utf8 = !pageIsAscii(folders);
    main.out = [&output](std::string_view piece) { return output.write(piece.data(), piece.size()); };
  }
  writeHead(main);
  writeSummary(main);
  ahead_.emplace(folders.size(), FolderEntries{&model_, &folders});
  aheadDay_ = -1;
  for (int k = 0; k < 8; ++k)
    prefetchAhead();
  for (const Folder &folder : folders) {
    writeFolder(folders, folder, main, result);
    if (folderWritten) folderWritten();
  }
  ahead_.reset(); // it walks this call's folders
  main.line("</body>");
  main.line("</html>");
  if (main.out) {
    main.spill();
    err = main.error;
  } else {
    const std::string bytes = main.finished();
    err = output.write(bytes.data(), bytes.size());
  }
  if (!err) err = output.commit();
  if (err) {
    result.unwritten.insert(result.unwritten.begin(), {options_.outputPath, err});
  } else {
    result.outputWritten = true;
  }
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
  page.line("<br>" + htmlText(options_.description));
  page.line("</font>");
}

void HtmlExport::writeSummary(Page &page) const {
  page.line("<h4>Tavlor web catalog</h4> ");
  if (!options_.singleFile) {
    page.line("<p>");
    page.line("<a href=\"Tavlor_folder1.htm\">" + htmlText(model_.isValid(start_) ? model_.label(start_) : "") +
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

void HtmlExport::writeFolder(const std::vector<Folder> &folders, const Folder &folder, Page &main,
                             HtmlExportResult &result) {
  const ItemId item = folder.item;
  const FileData *entry = folder.entry;
  const ItemId parent = model_.parentOf(item);
  const FileData *parentEntry = folder.parent != kOutside ? folders[folder.parent].entry
                                : parent == kNoItem      ? nullptr
                                                         : entryOf(parent);
  std::string pageName;
  appendPageNumber(pageName, folder.page);

  Page own;
  Page &page = options_.singleFile ? main : own;
  if (options_.singleFile) {
    page.line("<p>");
    page.put("<a name=\"" + pageName.substr(pageName.empty() ? 0 : 1) + "\">");
  } else {
    writeHead(page);
    page.line("<p>");
  }
  page.put("<b>");
  std::string_view parentPath = folderPath(item, parent);
  if (entry) {
    // Not kept in the model: a page of a million folders would keep a path for each.
    std::string walked;
    if (entry->parentItem() != parent) {
      model_.appendItemPath(walked, entry->parentItem());
      parentPath = walked;
    }
    std::string &text = page.text;
    const std::size_t at = text.size();
    text.append(parentPath);
    if (!parentPath.empty() && !entry->name().empty()) text += '/';
    text.append(entry->name());
    // Converted and escaped where it stands unless it needs to be.
    if (!isPlainAscii(std::string_view(text).substr(at))) {
      const std::string heading = text.substr(at);
      text.resize(at);
      appendHtmlText(text, heading, displayUtf8Path);
    }
  } else {
    page.put(htmlEscape(displayUtf8Path(kRootLabel)));
  }
  page.line("</b>");
  page.line(kTableLine);
  page.line("<td width=\"220\" bgcolor=\"#cccccc\" >Filename</td>");
  page.line("<td bgcolor=\"#cccccc\" align=\"right\">Size</td>");
  page.line("<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>");

  std::string up;
  bool hasUp = true;
  if (parentEntry && folder.parent != kOutside) {
    appendPageNumber(up, folders[folder.parent].page);
  } else if (parentEntry) {
    appendPageName(up, parentEntry);
    if (!pageNumbers_.contains(parentEntry)) up = htmlHref(outputName_);
  } else if (options_.singleFile) {
    hasUp = false;
  } else {
    up = entry ? "Tavlor_folder1.htm" : htmlHref(outputName_);
  }
  if (hasUp) page.line("<tr><td><a href=\"" + up + "\"> <img SRC=\"upicon.gif\"> <b> ..  </b> </a>");

  // The pages of the subfolders, by entry, for their rows' links.
  childPages_.clear();
  for (std::uint32_t j = folder.firstChild; j != kOutside; j = folders[j].nextSibling)
    if (folders[j].entry) childPages_.push_back({folders[j].entry, folders[j].page});
  std::sort(childPages_.begin(), childPages_.end());
  for (const FileData *e : model_.entriesOf(item)) {
    prefetchAhead();
    writeEntryRow(page, *e);
  }
  page.line("</table>");
  if (!options_.singleFile) {
    page.line("</body>");
    page.line("</html>");
    if (const int err = save(page, pageName)) result.unwritten.push_back({folderPrefix_ + pageName, err});
  }
}

std::string_view HtmlExport::folderPath(ItemId item, ItemId parent) {
  // Folders come in pre-order: the parent, when exported, was written before and is
  // still among the ends kept; whatever was written after it is dropped.
  while (!pathEnds_.empty() && pathEnds_.back().item != parent)
    pathEnds_.pop_back();
  std::size_t parentLength;
  if (pathEnds_.empty()) {
    pathText_.clear();
    model_.appendItemPath(pathText_, parent);
    parentLength = pathText_.size();
    if (parent != kNoItem) pathEnds_.push_back({parent, parentLength});
  } else {
    parentLength = pathEnds_.back().length;
    pathText_.resize(parentLength);
  }
  // The item's own path, as the model joins it: its label after its parent's path,
  // with no separator below the root, whose own path is empty.
  if (parent != kNoItem) {
    if (model_.parentOf(parent) != kNoItem) pathText_ += '/';
    pathText_ += model_.label(item);
  }
  pathEnds_.push_back({item, pathText_.size()});
  return std::string_view(pathText_).substr(0, parentLength);
}

void HtmlExport::prefetchAhead() {
  // The row's name is asked for too, its record being there now; files of one folder
  // often share their day, whose slot is asked for once.
  const FileData *entry = ahead_->next();
  if (!entry) return;
  __builtin_prefetch(entry->name().data());
  const std::time_t date = entry->date();
  const std::time_t day = date / 86400;
  if (day == aheadDay_) return;
  aheadDay_ = day;
  CatalogModel::prefetchDateText(date);
}

void HtmlExport::writeEntryRow(Page &page, const FileData &entry) {
  // A row is a few fixed pieces between its texts, each appended whole.
  std::string &text = page.text;
  if (entry.isContainer()) {
    text += entry.isZipFolder() ? std::string_view("<tr><td> <img SRC=\"zipicon.gif\"> <a href=\"")
                                : std::string_view("<tr><td> <img SRC=\"foldericon.gif\"> <a href=\"");
    const auto child = std::lower_bound(childPages_.begin(), childPages_.end(), std::pair(&entry, std::uint32_t(0)));
    if (child != childPages_.end() && child->first == &entry) appendPageNumber(text, child->second);
    text += std::string_view("\">");
    appendHtmlText(text, entry.name());
    text += std::string_view("</a> </td><td align=\"right\">");
  } else {
    text += std::string_view("<tr><td> <img SRC=\"fileicon.gif\"> ");
    appendHtmlText(text, entry.name());
    text += std::string_view(" </td><td align=\"right\">");
  }
  // Texts made for the row only: a disk of a million entries keeps no text per entry.
  text += model_.sizeTextOnce(entry); // digits, commas and a unit: nothing to escape
  text += std::string_view("</td><td align=\"right\">");
  char dateBuffer[CatalogModel::kDateTextSize];
  appendHtmlText(text, model_.dateTextOnce(entry, dateBuffer));
  page.line("</td></tr>");
}

int HtmlExport::save(const Page &page, const std::string &name) const {
  // The line ends are already CR LF, and icons are written as their bytes stand.
  const std::string bytes = page.finished();
  platform::ReplacementFile file;
  int err = replaceable(folderFd_, name);
  if (!err) err = file.create(folderFd_, name, replacing());
  if (!err) err = file.write(bytes.data(), bytes.size());
  if (!err) err = file.commit();
  return err;
}

} // namespace tavlor
