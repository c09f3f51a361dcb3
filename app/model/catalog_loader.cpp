#include "model/catalog_loader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "model/model_blocks.h"
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

// The run of digits at p read eight bytes at a time, when eight bytes can be read and
// the run is one to seven digits long followed by a blank: its value and length, else
// a length of 0. Branches on the length of each number cost more than the arithmetic.
struct DigitRun {
  std::uint32_t value;
  std::uint32_t length;
};
[[gnu::always_inline]] inline DigitRun digitRun(const char *p, const char *end) {
  if (end - p < 8) return {0, 0};
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  // A byte is a digit when its high half is 3 and adding 6 keeps it there; a carry out
  // of a byte that is not a digit only disturbs the bytes after it.
  const std::uint64_t halves =
      (word & 0xF0F0F0F0F0F0F0F0ull) | (((word + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) >> 4);
  const std::uint64_t other = halves ^ 0x3333333333333333ull;
  if (other == 0) return {0, 0}; // eight digits or more: the general reading
  const unsigned length = static_cast<unsigned>(__builtin_ctzll(other)) / 8;
  if (length == 0 || !isBlank(static_cast<unsigned char>(p[length]))) return {0, 0};
  // The digits moved to the top bytes, zeros before them, then combined in pairs,
  // fours and eights.
  std::uint64_t digits = (word - 0x3030303030303030ull) << (8 * (8 - length));
  digits = (digits * 10) + (digits >> 8);
  digits = (((digits & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
            (((digits >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
           32;
  return {static_cast<std::uint32_t>(digits), length};
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
  // Damaged records may hold any int: the offsets must not overflow.
  t.tm_mon = month == std::numeric_limits<int>::min() ? month : month - 1;
  t.tm_year = year < std::numeric_limits<int>::min() + 1900 ? std::numeric_limits<int>::min() : year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

// Why a catalog file could not be opened for reading, or none.
enum class OpenFailure { None, Unreadable, NotAFile, Sparse, TooLarge, NotACatalog };

// The bytes of a catalog file, read into pages of their own. The file is read, not
// mapped: a mapped file that someone shortens while it is parsed would kill the
// program. It is read a few megabytes ahead of the parse (readMore) into room for
// the whole file, and the pages behind the parse are moved ahead of it as it goes
// (releaseBefore): the same few physical pages carry the whole text (fresh pages cost
// the kernel more to clear than the parse of what is read into them), and the file
// and the model it becomes are never held whole at the same time.
class CatalogFile {
public:
  ~CatalogFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFailure open(const std::string &path, std::uint64_t limit);
  // The text read so far.
  std::string_view text() const { return {static_cast<const char *>(pages_.get()), size_}; }
  // Reads the next piece after text(); false at the end of the file, or when it could
  // not be read (readError() tells).
  bool readMore();
  int readError() const { return readError_; }
  std::uint64_t fileSize() const { return fileSize_; }
  // The text before offset is never read again: its whole pieces carry what is read
  // next, or are given back when no more is to be read.
  void releaseBefore(std::size_t offset) {
    for (; released_ + kPiece <= offset; released_ += kPiece) {
      if (fd_ >= 0 && spare_.size() < 2) {
        spare_.push_back(released_);
      } else {
        ::madvise(static_cast<char *>(pages_.get()) + released_, kPiece, MADV_DONTNEED);
      }
    }
  }

private:
  static constexpr std::size_t kPiece = std::size_t(2) << 20;
  int fd_ = -1;
  int readError_ = 0;
  Block pages_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
  std::size_t released_ = 0;
  std::vector<std::size_t> spare_; // offsets of pieces behind the parse
  std::uint64_t fileSize_ = 0;
};

// True when the file's first word is a version id this reader knows, read from its
// head alone: a file that is not a catalog is turned away before it is read whole.
bool startsWithVersion(int fd) {
  char head[4096];
  std::size_t have = 0;
  for (;;) {
    const ssize_t n = ::pread(fd, head + have, sizeof head - have, static_cast<off_t>(have));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    have += static_cast<std::size_t>(n);
    if (have == sizeof head) break;
  }
  std::size_t at = 0;
  while (at < have && isBlank(static_cast<unsigned char>(head[at])))
    ++at;
  std::size_t end = at;
  while (end < have && !isBlank(static_cast<unsigned char>(head[end])))
    ++end;
  const std::string_view first(head + at, end - at);
  return first == kVersion10 || first == kVersion11;
}

OpenFailure CatalogFile::open(const std::string &path, std::uint64_t limit) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  fd_ = fd;
  if (fd < 0) return OpenFailure::Unreadable;
  OpenFailure failure = OpenFailure::None;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    failure = OpenFailure::Unreadable;
  } else if (!S_ISREG(st.st_mode)) {
    failure = OpenFailure::NotAFile;
  } else if (!startsWithVersion(fd)) {
    failure = OpenFailure::NotACatalog;
  } else {
    fileSize_ = static_cast<std::uint64_t>(st.st_size);
    // A catalog is text written from start to end and never has a hole; a file that
    // has one (made with truncate or a seek) is mostly nothing and not a catalog.
    const off_t hole = ::lseek(fd, 0, SEEK_HOLE);
    if (hole >= 0 && hole < st.st_size) {
      failure = OpenFailure::Sparse;
    } else if (fileSize_ > limit) {
      failure = OpenFailure::TooLarge;
    } else {
      // A file that grows meanwhile is read up to the size it had when it was opened.
      capacity_ = static_cast<std::size_t>(fileSize_) + 1; // never 0 bytes
      // A large catalog lies in aligned huge pages (model_blocks.h): faulted in a few
      // steps rather than one per 4 KiB.
      try {
        pages_ = allocateBlock(capacity_);
      } catch (const std::bad_alloc &) {
        failure = OpenFailure::Unreadable;
      }
      if (failure == OpenFailure::None && !readMore() && readError_ != 0) failure = OpenFailure::Unreadable;
    }
  }
  if (failure != OpenFailure::None && fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  return failure;
}

bool CatalogFile::readMore() {
  if (fd_ < 0 || !pages_) return false;
  char *const bytes = static_cast<char *>(pages_.get());
  const std::size_t wanted = std::min(kPiece, capacity_ - 1 - size_);
  // A piece behind the parse is moved here, pages and all (pieces are whole huge pages
  // of the aligned block: a text with pieces behind it is over 2 MB). Its place stays
  // mapped, empty (MREMAP_DONTUNMAP): a hole there could be given to other memory,
  // which the release of the whole block would then take away. Where moving fails,
  // the kernel hands out fresh pages.
  if (!spare_.empty() && size_ % kPiece == 0) {
    const std::size_t from = spare_.back();
    spare_.pop_back();
    ::mremap(bytes + from, kPiece, kPiece, MREMAP_MAYMOVE | MREMAP_FIXED | MREMAP_DONTUNMAP, bytes + size_);
  }
  std::size_t got = 0;
  while (got < wanted) {
    const ssize_t n = ::pread(fd_, bytes + size_ + got, wanted - got, static_cast<off_t>(size_ + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) readError_ = errno;
    if (n <= 0) break; // an error, or the file shrank: what is there is the catalog
    got += static_cast<std::size_t>(n);
  }
  size_ += got;
  if (got < wanted || size_ == capacity_ - 1) {
    ::close(fd_);
    fd_ = -1;
    for (const std::size_t piece : spare_)
      ::madvise(bytes + piece, kPiece, MADV_DONTNEED);
    spare_.clear();
  }
  return got > 0;
}

std::string bytesText(std::uint64_t bytes) {
  std::string digits = std::to_string(bytes);
  for (std::size_t at = digits.size(); at > 3; at -= 3)
    digits.insert(at - 3, ",");
  return digits;
}

} // namespace

std::time_t localCalendarTime(int day, int month, int year, int hour, int minute, int second) {
  return mktimeOf(day, month, year, hour, minute, second);
}

// mktime for every record would dominate the load: it takes the time-zone lock and
// looks at the zone file on each call. The UTC offset is found once per calendar day
// (with localtime_r, which does not), and mktime decides only the days near a change
// of the offset.
struct CatalogLoader::LocalTimes {
  static constexpr int kFirstYear = 1900;
  static constexpr int kLastYear = 2100;
  static constexpr std::int32_t kUnknown = std::numeric_limits<std::int32_t>::min();
  static constexpr std::int32_t kChanges = std::numeric_limits<std::int32_t>::max();
  const std::int64_t firstDay = daysFromCivil(kFirstYear, 1, 1);
  // Each day's offset is held XOR kUnknown, so the table starts as zero pages that
  // cost nothing until a day of theirs is met: a small catalog touches a few of them.
  struct Free {
    void operator()(std::int32_t *p) const { std::free(p); }
  };
  const std::size_t dayCount =
      static_cast<std::size_t>(daysFromCivil(kLastYear + 1, 1, 1) - daysFromCivil(kFirstYear, 1, 1));
  std::unique_ptr<std::int32_t[], Free> offsets{
      static_cast<std::int32_t *>(std::calloc(dayCount, sizeof(std::int32_t)))};

  static std::int64_t utcOffsetAt(std::int64_t utc) {
    const time_t t = static_cast<time_t>(utc);
    struct tm local {};
    if (!localtime_r(&t, &local)) return kChanges;
    return local.tm_gmtoff;
  }

  std::time_t convert(int day, int month, int year, int hour, int minute, int second) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || year < kFirstYear || year > kLastYear) {
      return mktimeOf(day, month, year, hour, minute, second);
    }
    const std::int64_t dayNumber = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const std::size_t index = static_cast<std::size_t>(dayNumber - firstDay);
    if (index >= dayCount || !offsets) return mktimeOf(day, month, year, hour, minute, second);
    std::int32_t offset = offsets[index] ^ kUnknown;
    if (offset == kUnknown) {
      // No zone is more than 14 hours off UTC: the same offset over this window holds
      // for every second of the local day.
      const std::int64_t before = utcOffsetAt(dayNumber * 86400 - 14 * 3600);
      const std::int64_t after = utcOffsetAt(dayNumber * 86400 + 86399 + 14 * 3600);
      offset = before == after && before != kChanges ? static_cast<std::int32_t>(before) : kChanges;
      offsets[index] = offset ^ kUnknown;
    }
    if (offset == kChanges) return mktimeOf(day, month, year, hour, minute, second);
    return static_cast<std::time_t>(dayNumber * 86400 + hour * 3600 + minute * 60 + second - offset);
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

bool CatalogLoader::more() {
  if (!more_) return false;
  const std::size_t before = text_.size();
  text_ = more_();
  return text_.size() > before;
}

// The text may be read as the parse goes: every step that reaches the end of what is
// there asks for more before it takes it for the end. The text keeps its place as it
// grows, so pointers into it stay valid.
[[gnu::noinline]] bool CatalogLoader::refill(const char *&end) {
  if (!more()) return false;
  end = text_.data() + text_.size();
  return true;
}

bool CatalogLoader::atEnd() {
  return pos_ >= text_.size() && !more();
}

// True when the byte at offset at is there (read if need be).
bool CatalogLoader::has(std::size_t at) {
  while (at >= text_.size())
    if (!more()) return false;
  return true;
}

// The scanning below works on local pointers: the compiler must assume that every
// character read may alias a member, so loops over members reload them on each byte.

[[gnu::always_inline]] inline void CatalogLoader::skipBlanks() {
  const char *p = text_.data() + pos_, *end = text_.data() + text_.size();
  while ((p < end || refill(end)) && isBlank(static_cast<unsigned char>(*p)))
    ++p;
  pos_ = static_cast<std::size_t>(p - text_.data());
}

[[gnu::always_inline]] inline std::string_view CatalogLoader::word() {
  const char *p = text_.data() + pos_, *end = text_.data() + text_.size();
  while ((p < end || refill(end)) && isBlank(static_cast<unsigned char>(*p)))
    ++p;
  const char *start = p;
  while ((p < end || refill(end)) && !isBlank(static_cast<unsigned char>(*p)))
    ++p;
  pos_ = static_cast<std::size_t>(p - text_.data());
  return std::string_view(start, static_cast<std::size_t>(p - start));
}

// A number stands where a word starts with a digit, or with a sign and a digit. What
// is not a number is left in place for the structure to read, so a damaged record
// cannot swallow the ">" that closes its folder.
[[gnu::always_inline]] inline bool CatalogLoader::numberAhead() {
  skipBlanks();
  if (atEnd()) return false;
  const char c = text_[pos_];
  if (isDigit(c)) return true;
  return (c == '-' || c == '+') && has(pos_ + 1) && isDigit(text_[pos_ + 1]);
}

// Passes over the rest of a word, up to a blank or a ">": a folder's closing mark
// glued to the word before it still closes the folder.
[[gnu::always_inline]] inline void CatalogLoader::skipWordRest(const char *&p, const char *&end) {
  while ((p < end || refill(end)) && !isBlank(static_cast<unsigned char>(*p)) && *p != '>')
    ++p;
}

// The digits at p as an unsigned value, saturating at limit; p ends after the word.
[[gnu::always_inline]] inline std::uint64_t CatalogLoader::scanDigits(const char *&p, const char *&end,
                                                                      std::uint64_t limit) {
  std::uint64_t value = 0;
  // Up to 18 digits cannot overflow, so only longer numbers pay for the checks (and
  // those near the end of what has been read).
  const char *fast = end - p > 18 ? p + 18 : p;
  while (p < fast && isDigit(*p))
    value = value * 10 + static_cast<unsigned>(*p++ - '0');
  for (; (p < end || refill(end)) && isDigit(*p); ++p) {
    const unsigned digit = static_cast<unsigned>(*p - '0');
    value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
  }
  skipWordRest(p, end);
  return value;
}

// The digits of the number ahead, saturated at limit, or at negativeLimit after a
// minus sign; 0 (and damage reported) when no number is ahead.
[[gnu::always_inline]] inline std::uint64_t CatalogLoader::magnitude(bool &negative, std::uint64_t limit,
                                                                     std::uint64_t negativeLimit) {
  negative = false;
  if (!numberAhead()) {
    damaged("number expected");
    return 0;
  }
  const char *p = text_.data() + pos_, *end = text_.data() + text_.size();
  negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  const std::uint64_t value = scanDigits(p, end, negative ? negativeLimit : limit);
  pos_ = static_cast<std::size_t>(p - text_.data());
  return value;
}

namespace {
constexpr std::uint64_t kInt64Max = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
}

[[gnu::always_inline]] inline std::int64_t CatalogLoader::signedNumber() {
  bool negative = false;
  const std::uint64_t value = magnitude(negative, kInt64Max, kInt64Max + 1);
  if (!negative) return static_cast<std::int64_t>(value);
  return value > kInt64Max ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(value);
}

// A folder's size words are words: a number at the start of one gives its value,
// any other word reads as 0 and is passed over, so that the fields after it keep their
// places. A word that is the structure of the catalog (">", "<", a quoted name, a
// lone "+": the folder line lost its numbers) stays to be read as such.
std::int64_t CatalogLoader::sizeWord() {
  if (numberAhead()) return signedNumber();
  damaged("number expected");
  if (atEnd()) return 0;
  const char c = text_[pos_];
  const bool loneSign = c == '+' && (!has(pos_ + 1) || isBlank(static_cast<unsigned char>(text_[pos_ + 1])));
  if (c == '>' || c == '<' || c == '"' || loneSign) return 0;
  const char *p = text_.data() + pos_, *end = text_.data() + text_.size();
  skipWordRest(p, end);
  pos_ = static_cast<std::size_t>(p - text_.data());
  return 0;
}

[[gnu::always_inline]] inline std::int64_t CatalogLoader::unsignedNumber() {
  // File sizes are unsigned 64-bit; beyond what a signed size holds they saturate.
  bool negative = false;
  const std::uint64_t value = magnitude(negative, kInt64Max, kInt64Max);
  return negative ? 0 : static_cast<std::int64_t>(value);
}

[[gnu::always_inline]] inline int CatalogLoader::intNumber() {
  const std::int64_t v = signedNumber();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

std::string CatalogLoader::readQuotedName() {
  std::string name;
  readNameInto(name);
  return name;
}

void CatalogLoader::readNameInto(std::string &name) {
  name.clear();
  while ((pos_ < text_.size() || more()) && text_[pos_] != '"')
    ++pos_;
  if (atEnd()) {
    damaged("name expected");
    return;
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
  int fields[6];
  // The usual record: six short plain numbers, read in one tight pass. Anything else
  // (signs, long or missing numbers) goes through the general reading.
  const char *p = text_.data() + pos_, *end = text_.data() + text_.size();
  int n = 0;
  for (; n < 6; ++n) {
    while ((p < end || refill(end)) && isBlank(static_cast<unsigned char>(*p)))
      ++p;
    const DigitRun run = digitRun(p, end);
    if (run.length) {
      fields[n] = static_cast<int>(run.value);
      p += run.length;
      pos_ = static_cast<std::size_t>(p - text_.data());
      continue;
    }
    const char *start = p;
    int value = 0;
    while ((p < end || refill(end)) && isDigit(*p) && p - start < 9)
      value = value * 10 + (*p++ - '0');
    // The loop above has read on where a piece of the text ended: p == end is the end.
    if (p == start || (p < end && !isBlank(static_cast<unsigned char>(*p)))) break;
    fields[n] = value;
    pos_ = static_cast<std::size_t>(p - text_.data());
  }
  for (; n < 6; ++n)
    fields[n] = intNumber();
  int day = fields[0], month = fields[1], year = fields[2];
  int hour = fields[3], minute = fields[4], second = fields[5];
  warn = false;
  if (year > kLastCatalogYear) {
    warn = isFile && !(day == 5 && month == 2 && year == 2036);
    day = 5;
    month = 2;
    year = 2036;
    hour = minute = second = 0;
  }
  return localTimes_->convert(day, month, year, hour, minute, second);
}

ItemId CatalogLoader::beginFolder(ItemId parent, NodeKind kind, std::optional<int> selectedIcon, bool &hasBody,
                                  bool inOpenFolder) {
  hasBody = false;
  std::string &name = folderName_;
  readNameInto(name);
  const ItemId root = model_.root();
  const bool isDiskFolder = parent == root;
  // A reloaded disk replaces the loaded one whose label equals it ignoring case. A
  // folder repeated within the catalog is replaced when its folder is sorted, so that
  // the search among many siblings is not made once per folder.
  if (isDiskFolder) model_.closeChildFolder(parent, name);
  if (isZipFolderName(name)) {
    kind = NodeKind::ZipFolder;
    selectedIcon = kOpenZipFolderIcon;
  }
  const int selected = selectedIcon ? *selectedIcon : iconOf(kind);
  const std::int64_t size = sizeWord();
  const std::int64_t freeSpace = sizeWord();
  bool unused;
  const std::time_t date = readDate(false, unused);

  ItemId id;
  if (isDiskFolder) {
    // The disk is built apart from the tree and joined to the root when complete.
    id = model_.newItem(root, name, iconOf(kind), selected, false);
    CatalogModel::Item *disk = model_.item(id);
    disk->names = std::make_unique<CatalogModel::NameArena>();
    diskNames_ = disk->names.get();
    // Names are about two fifths of a catalog's text.
    diskNames_->expect(std::max(total_, text_.size()) / 5 * 2);
    diskEntry_ = model_.appendEntry(*model_.rootNames_, root, name, size, freeSpace, date, kind, false);
  } else {
    FileData *entry = model_.appendEntry(*diskNames_, parent, name, size, freeSpace, date, kind, !inOpenFolder);
    id = model_.newItem(parent, name, iconOf(kind), selected, false);
    if (inOpenFolder) {
      openEntries_.push_back(entry);
      openChildren_.push_back(id);
    } else {
      model_.item(parent)->children.push_back(id);
    }
  }
  hasBody = word() == "<";
  return id;
}

// The entries and subfolders of the open folders wait on two stacks, each folder's
// above those of the folders it lies in, and are given to the folder in one piece when
// it closes: a folder's lists are allocated once, at their size, instead of growing
// entry by entry.
void CatalogLoader::closeFolder(const OpenFolder &folder) {
  CatalogModel::Item *it = model_.item(folder.id);
  const auto entriesFrom = openEntries_.begin() + static_cast<std::ptrdiff_t>(folder.entriesFrom);
  const auto childrenFrom = openChildren_.begin() + static_cast<std::ptrdiff_t>(folder.childrenFrom);
  // The list is kept in the disk's name blocks (a folder being read has no entries yet).
  const std::size_t count = openEntries_.size() - folder.entriesFrom;
  it->entries.adopt(diskNames_->storeList(openEntries_.data() + folder.entriesFrom, count), count);
  it->children.insert(it->children.end(), childrenFrom, openChildren_.end());
  openEntries_.erase(entriesFrom, openEntries_.end());
  openChildren_.erase(childrenFrom, openChildren_.end());
  model_.sortChildren(folder.id);
}

ItemId CatalogLoader::readFolderEntry(ItemId parent, NodeKind kind, std::optional<int> selectedIcon) {
  if (parent != model_.root() && !diskNames_) return kNoItem; // a folder needs its disk
  bool hasBody = false;
  const ItemId top = beginFolder(parent, kind, selectedIcon, hasBody, false);
  std::vector<OpenFolder> open;
  if (hasBody) open.push_back({top, openEntries_.size(), openChildren_.size()});
  while (!open.empty()) {
    if (atEnd()) {
      damaged("end of the catalog inside a folder");
      for (; !open.empty(); open.pop_back())
        closeFolder(open.back());
      break;
    }
    if (pos_ >= nextPause_) pause();
    const char c = text_[pos_++];
    if (c == '>') {
      closeFolder(open.back());
      open.pop_back();
    } else if (c == '"') {
      --pos_;
      readFileEntry(open.back().id);
    } else if (c == '+') {
      const ItemId sub = beginFolder(open.back().id, NodeKind::Folder, kOpenFolderIcon, hasBody, true);
      if (hasBody) open.push_back({sub, openEntries_.size(), openChildren_.size()});
    }
  }
  if (parent == model_.root()) {
    model_.attachDisk(top, diskEntry_);
    diskEntry_ = nullptr;
  }
  return top;
}

void CatalogLoader::readFileEntry(ItemId parent) {
  readNameInto(name_);
  const std::int64_t size = unsignedNumber();
  bool warn = false;
  const std::time_t date = readDate(true, warn);
  FileData *entry = model_.appendEntry(*diskNames_, parent, name_, size, 0, date, NodeKind::File, false);
  openEntries_.push_back(entry);
  if (!warn) return;
  reporter_.warning("Warning: file date invalid", "The file " + model_.catalogPath(*entry) +
                                                      " has invalid date information.\n"
                                                      "A default date will be presented: Feb 5, 2036\n\n"
                                                      "You may re-catalog the disk to eliminate this message.\n\n"
                                                      "Press OK to continue");
}

void CatalogLoader::pause() {
  // 256 KB is a few milliseconds of parsing: often enough for a window to stay
  // painted, rare enough to cost nothing.
  nextPause_ = pos_ + (256u << 10);
  reporter_.progress(pos_, std::max(total_, text_.size()));
  if (release_ && pos_ >= nextRelease_) {
    release_(pos_);
    nextRelease_ = pos_ + (2u << 20);
  }
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

std::uint64_t maxCatalogBytes() {
  // The model of a catalog takes about twice the file's size: a file over half the
  // memory could only end in an aborted program.
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kMaxCatalogBytes;
  return std::min<std::uint64_t>(kMaxCatalogBytes, static_cast<std::uint64_t>(pages) * pageSize / 2);
}

LoadResult loadCatalog(CatalogModel &model, const std::string &path, LoadReporter &reporter) {
  return loadCatalog(model, path, reporter, maxCatalogBytes());
}

LoadResult loadCatalog(CatalogModel &model, const std::string &path, LoadReporter &reporter, std::uint64_t maxBytes) {
  CatalogFile file;
  switch (file.open(path, maxBytes)) {
  case OpenFailure::None:
  case OpenFailure::Unreadable:  // read as an empty file: rejected with the box
  case OpenFailure::NotACatalog: // the same box, without reading the file
    break;
  case OpenFailure::NotAFile:
    reporter.warning("Tavlor", "Cannot read " + path + "\nIt is not a regular file (a pipe, a device or a folder)," +
                                   "\nso it is skipped.");
    return {LoadStatus::Rejected, kNoItem};
  case OpenFailure::Sparse:
    reporter.warning("Tavlor", "Cannot read " + path + "\nThe file has holes (" + bytesText(file.fileSize()) +
                                   " bytes, mostly never written), which no catalog has,\nso it is skipped.");
    return {LoadStatus::Rejected, kNoItem};
  case OpenFailure::TooLarge:
    reporter.warning("Tavlor", "Cannot read " + path + "\nThe file is too large to be a catalog (" +
                                   bytesText(file.fileSize()) + " bytes; at most " + bytesText(maxBytes) +
                                   " are loaded),\nso it is skipped.");
    return {LoadStatus::Rejected, kNoItem};
  }
  // Real catalogs hold about one folder per 500 bytes (rarely more than twice that) and
  // one entry per 45-50 bytes.
  model.reserveItems(static_cast<std::size_t>(file.fileSize() / 256));
  model.expectEntries(static_cast<std::size_t>(file.fileSize() / 45));
  CatalogLoader loader(model, file.text(), path, reporter);
  loader.readAhead(
      [&file] {
        file.readMore();
        return file.text();
      },
      static_cast<std::size_t>(file.fileSize()));
  loader.releaseBehind([&file](std::size_t offset) { file.releaseBefore(offset); });
  const LoadResult result = loader.run();
  if (file.readError() != 0) {
    // The disk failed under the parse: what was read is kept, and the user told.
    reporter.warning("Tavlor", "Cannot read " + path + " to its end (" + std::strerror(file.readError()) +
                                   "):\nreading stopped after " + bytesText(file.text().size()) + " of " +
                                   bytesText(file.fileSize()) + " bytes, so only what was before is loaded.");
  }
  return result;
}

} // namespace tavlor
