#include "model/catalog_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <unordered_map>

#include "model/model_storage.h"

namespace tavlor {

namespace {

constexpr std::string_view kVersion10 = "zar_version_1_0";
constexpr std::string_view kVersion11 = "zar_version_1_1";

bool isBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::time_t mktimeOf(int day, int month, int year, int hour, int minute, int second) {
  struct tm t {};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

bool readWholeFile(const std::string &path, std::string &out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (ok) {
      if (done == out.size()) out.resize(out.size() + 65536); // the file may have grown
      const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    out.resize(done);
  }
  ::close(fd);
  return ok;
}

} // namespace

std::time_t localCalendarTime(int day, int month, int year, int hour, int minute, int second) {
  return mktimeOf(day, month, year, hour, minute, second);
}

// mktime for every record would dominate the load: it takes the time-zone lock and
// searches the zone rules each time. Offsets are found once per calendar day, and
// mktime decides the days where the offset changes.
struct CatalogLoader::LocalTimes {
  struct Offsets {
    std::int64_t atStart, atEnd;
  };
  std::unordered_map<std::int64_t, Offsets> days;

  std::time_t convert(int day, int month, int year, int hour, int minute, int second) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || year < 1900 || year > 2100) {
      return mktimeOf(day, month, year, hour, minute, second);
    }
    const std::int64_t dayNumber = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    auto found = days.find(dayNumber);
    if (found == days.end()) {
      const std::int64_t start = dayNumber * 86400;
      const std::time_t t0 = mktimeOf(day, month, year, 0, 0, 0);
      const std::time_t t1 = mktimeOf(day, month, year, 23, 59, 59);
      found = days.emplace(dayNumber, Offsets{t0 - start, t1 - (start + 86399)}).first;
    }
    if (found->second.atStart != found->second.atEnd) return mktimeOf(day, month, year, hour, minute, second);
    return static_cast<std::time_t>(dayNumber * 86400 + hour * 3600 + minute * 60 + second + found->second.atStart);
  }
};

bool isZipFolderName(std::string_view name) {
  std::size_t at = name.find(".zip");
  if (at == std::string_view::npos) at = name.find(".ZIP");
  return at != std::string_view::npos && at > 0 && at + 4 == name.size();
}

CatalogLoader::CatalogLoader(CatalogModel &model, std::string_view text, const std::string &path,
                             LoadReporter &reporter)
    : model_(model), text_(text), path_(path), reporter_(reporter), localTimes_(std::make_shared<LocalTimes>()) {}

CatalogLoader::~CatalogLoader() = default;

void CatalogLoader::damaged(const char *what) {
  reporter_.damaged(path_, pos_, what);
}

void CatalogLoader::skipBlanks() {
  while (pos_ < text_.size() && isBlank(static_cast<unsigned char>(text_[pos_])))
    ++pos_;
}

std::string_view CatalogLoader::word() {
  skipBlanks();
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !isBlank(static_cast<unsigned char>(text_[pos_])))
    ++pos_;
  return text_.substr(start, pos_ - start);
}

// A number stands where a word starts with a digit, or with a sign and a digit. What
// is not a number is left in place for the structure to read, so a damaged record
// cannot swallow the ">" that closes its folder.
bool CatalogLoader::numberAhead() {
  skipBlanks();
  if (atEnd()) return false;
  const char c = text_[pos_];
  if (isDigit(c)) return true;
  return (c == '-' || c == '+') && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1]);
}

std::int64_t CatalogLoader::signedNumber() {
  if (!numberAhead()) {
    damaged("number expected");
    return 0;
  }
  const std::string_view w = word();
  std::size_t i = 0;
  const bool negative = w[0] == '-';
  if (w[0] == '-' || w[0] == '+') ++i;
  // Accumulate as a negative value so that the lowest 64-bit number fits; saturate.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < w.size() && isDigit(w[i]); ++i) {
    const int digit = w[i] - '0';
    if (value < (kMin + digit) / 10) {
      value = kMin;
    } else {
      value = value * 10 - digit;
    }
  }
  if (negative) return value;
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::int64_t CatalogLoader::unsignedNumber() {
  if (!numberAhead()) {
    damaged("number expected");
    return 0;
  }
  const std::string_view w = word();
  if (w[0] == '-') return 0;
  std::size_t i = w[0] == '+' ? 1 : 0;
  // File sizes are unsigned 64-bit; beyond what a signed size holds they saturate.
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t value = 0;
  for (; i < w.size() && isDigit(w[i]); ++i) {
    value = value * 10 + static_cast<std::uint64_t>(w[i] - '0');
    if (value > kMax) return static_cast<std::int64_t>(kMax);
  }
  return static_cast<std::int64_t>(value);
}

int CatalogLoader::intNumber() {
  const std::int64_t v = signedNumber();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

std::string CatalogLoader::readQuotedName() {
  std::string name;
  while (pos_ < text_.size() && text_[pos_] != '"')
    ++pos_;
  if (atEnd()) {
    damaged("name expected");
    return name;
  }
  ++pos_;
  for (;;) {
    const std::string_view w = word();
    if (w.empty()) {
      damaged("end of the catalog inside a name");
      break;
    }
    const std::size_t quote = w.find('"');
    if (!name.empty()) name.push_back(' ');
    name.append(w.substr(0, quote));
    if (quote != std::string_view::npos) break;
  }
  return name;
}

NodeKind CatalogLoader::readDriveType() {
  NodeKind kind = NodeKind::RemovableDisk;
  if (word() != "<") return kind;
  for (;;) {
    skipBlanks();
    if (atEnd()) {
      damaged("end of the catalog inside the header");
      break;
    }
    const char c = text_[pos_++];
    if (c == '>') break;
    if (c != '%' || word() != "drivetype") continue;
    const std::string_view value = word();
    if (value == "fixed") {
      kind = NodeKind::FixedDisk;
    } else if (value == "removable") {
      kind = NodeKind::RemovableDrive;
    } else if (value == "cdrom") {
      kind = NodeKind::CdRom;
    } else if (value == "default") {
      kind = NodeKind::RemovableDisk;
    }
  }
  return kind;
}

std::time_t CatalogLoader::readDate(bool isFile, bool &warn) {
  int day = intNumber(), month = intNumber(), year = intNumber();
  int hour = intNumber(), minute = intNumber(), second = intNumber();
  warn = false;
  if (year > 2035) {
    warn = isFile && !(day == 5 && month == 2 && year == 2036);
    day = 5;
    month = 2;
    year = 2036;
    hour = minute = second = 0;
  }
  return localTimes_->convert(day, month, year, hour, minute, second);
}

ItemId CatalogLoader::beginFolder(ItemId parent, NodeKind kind, std::optional<int> selectedIcon, bool &hasBody) {
  hasBody = false;
  std::string name = readQuotedName();
  const ItemId root = model_.root();
  const bool isDiskFolder = parent == root;
  model_.closeChildFolder(parent, name);
  if (isZipFolderName(name)) {
    kind = NodeKind::ZipFolder;
    selectedIcon = kOpenZipFolderIcon;
  }
  const int selected = selectedIcon ? *selectedIcon : iconOf(kind);
  const std::int64_t size = signedNumber();
  const std::int64_t freeSpace = signedNumber();
  bool unused;
  const std::time_t date = readDate(false, unused);

  ItemId id;
  if (isDiskFolder) {
    // The disk is built apart from the tree and joined to the root when complete.
    id = model_.newItem(root, name, iconOf(kind), selected, false);
    CatalogModel::Item *disk = model_.item(id);
    disk->names = std::make_unique<CatalogModel::NameArena>();
    diskNames_ = disk->names.get();
    diskEntry_ = model_.appendEntry(*model_.rootNames_, root, name, size, freeSpace, date, kind, false);
  } else {
    model_.appendEntry(*diskNames_, parent, name, size, freeSpace, date, kind, true);
    id = model_.newItem(parent, name, iconOf(kind), selected, false);
    model_.item(parent)->children.push_back(id);
  }
  hasBody = word() == "<";
  return id;
}

ItemId CatalogLoader::readFolderEntry(ItemId parent, NodeKind kind, std::optional<int> selectedIcon) {
  if (parent != model_.root() && !diskNames_) return kNoItem; // a folder needs its disk
  bool hasBody = false;
  const ItemId top = beginFolder(parent, kind, selectedIcon, hasBody);
  std::vector<ItemId> open;
  if (hasBody) open.push_back(top);
  while (!open.empty()) {
    if (atEnd()) {
      damaged("end of the catalog inside a folder");
      for (; !open.empty(); open.pop_back())
        model_.sortChildren(open.back());
      break;
    }
    const char c = text_[pos_++];
    if (c == '>') {
      model_.sortChildren(open.back());
      open.pop_back();
    } else if (c == '"') {
      --pos_;
      readFileEntry(open.back());
    } else if (c == '+') {
      const ItemId sub = beginFolder(open.back(), NodeKind::Folder, kOpenFolderIcon, hasBody);
      if (hasBody) open.push_back(sub);
    }
  }
  if (parent == model_.root()) {
    model_.attachDisk(top, diskEntry_);
    diskEntry_ = nullptr;
  }
  return top;
}

void CatalogLoader::readFileEntry(ItemId parent) {
  name_ = readQuotedName();
  const std::int64_t size = unsignedNumber();
  bool warn = false;
  const std::time_t date = readDate(true, warn);
  model_.appendEntry(*diskNames_, parent, name_, size, 0, date, NodeKind::File, true);
  if (!warn) return;
  std::string where = name_;
  if (const FileData *entry = model_.lookupEntry(parent, name_)) where = model_.catalogPath(*entry);
  reporter_.warning("Warning: file date invalid", "The file " + where +
                                                      " has invalid date information.\n"
                                                      "A default date will be presented: Feb 5, 2036\n\n"
                                                      "You may re-catalog the disk to eliminate this message.\n\n"
                                                      "Press OK to continue");
}

LoadResult CatalogLoader::run() {
  const ItemId root = model_.root();
  const std::string_view version = word();
  NodeKind kind = NodeKind::RemovableDisk;
  if (version == kVersion11) {
    kind = readDriveType();
  } else if (version != kVersion10) {
    reporter_.warning("Please re-catalog this disk",
                      "Cannot read " + path_ +
                          "\nThe file is not compatible with this version of Tavlor,"
                          "\nwhich requires *.zar files with version id: zar_version_1_1"
                          "\n\nTo proceed, please re-catalog this disk, i.e. File->Catalog New Disk ...\n");
    return {LoadStatus::Rejected, kNoItem};
  }
  if (word() != "+") return {LoadStatus::NoFolder, kNoItem};
  const ItemId disk = readFolderEntry(root, kind, std::nullopt);
  return {LoadStatus::Loaded, disk};
}

LoadResult loadCatalogText(CatalogModel &model, std::string_view text, const std::string &path,
                           LoadReporter &reporter) {
  CatalogLoader loader(model, text, path, reporter);
  return loader.run();
}

LoadResult loadCatalog(CatalogModel &model, const std::string &path, LoadReporter &reporter) {
  std::string text;
  if (!readWholeFile(path, text)) text.clear(); // read as an empty file: rejected with the box
  return loadCatalogText(model, text, path, reporter);
}

} // namespace tavlor
