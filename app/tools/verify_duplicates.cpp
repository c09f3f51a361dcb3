#include "tools/verify_duplicates.h"

#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "Tavscan60.h"
#include "export/disk_locator.h"
#include "export/file_actions.h"
#include "platform/disk_read.h"
#include "platform/errors.h"
#include "platform/temp_folder.h"
#include "tools/find_duplicates.h"

namespace tavlor {
namespace {

// The chunks of a set together stay within this many bytes, so a set of ten thousand
// equal-sized files cannot take gigabytes; a chunk is never smaller than a page.
constexpr std::size_t kChunkBudget = 64u << 20;
constexpr std::size_t kLargestChunk = 1u << 20;
constexpr std::size_t kSmallestChunk = 4096;
// Above this many members, files are closed between chunks, so a large set never runs
// out of descriptors.
constexpr std::size_t kOpenAtOnce = 64;

struct Member {
  const FileData *entry = nullptr;
  std::unique_ptr<platform::DiskFile> file;
  std::string extractedFile; // the scratch copy of a ZIP member, removed when done
  std::string extractedFolder;
  std::vector<char> chunk;
};

// Members (indexes) that agree on every byte up to offset.
struct Group {
  std::vector<std::size_t> members;
  std::int64_t offset = 0;
};

std::string bytesText(std::int64_t n) {
  return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

std::string plural(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class Verifier {
public:
  Verifier(const CatalogModel &model, const VerifyOptions &options, VerifyResult &result)
      : model_(model), options_(options), result_(result) {}
  ~Verifier() {
    if (!scratch_.empty()) platform::removeEmptyFolder(scratch_);
  }
  Verifier(const Verifier &) = delete;
  Verifier &operator=(const Verifier &) = delete;

  void run(const std::vector<std::vector<const FileData *>> &sets) {
    // Which sets can be read is settled first, so progress knows the whole amount.
    std::vector<const std::vector<const FileData *> *> readable;
    for (const auto &set : sets) {
      UnverifiedSet missing;
      for (const FileData *entry : set) {
        const std::string label = labelOf(model_.catalogPath(*entry));
        if (!drive(label) &&
            std::find(missing.missingDisks.begin(), missing.missingDisks.end(), label) == missing.missingDisks.end())
          missing.missingDisks.push_back(label);
      }
      if (!missing.missingDisks.empty()) {
        missing.members = set;
        result_.unverified.push_back(std::move(missing));
        continue;
      }
      readable.push_back(&set);
      for (const FileData *entry : set)
        total_ += static_cast<std::uint64_t>(std::max<std::int64_t>(entry->size(), 0));
    }
    for (const auto *set : readable) {
      ++result_.setsChecked;
      verifySet(*set);
    }
    report();
  }

private:
  const std::optional<std::string> &drive(const std::string &label) {
    auto [at, added] = drives_.try_emplace(label);
    if (added) {
      std::string found;
      const bool present = options_.findDrive ? options_.findDrive(label, found) : findDriveByLabel(label, found);
      if (present) at->second = found;
    }
    return at->second;
  }

  void report() {
    if (options_.progress) options_.progress(std::min(done_, total_), total_);
  }

  void skip(std::int64_t bytes) { done_ += static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0)); }

  void leaveOut(Member &m, const std::string &reason, std::int64_t unread) {
    ++result_.unreadable;
    if (options_.unreadable) options_.unreadable(model_.catalogPath(*m.entry), reason);
    m.file.reset();
    skip(unread);
  }

  // The scratch folder for one extracted member; empty when none can be made.
  std::string memberFolder() {
    if (scratch_.empty()) {
      const std::string base = options_.scratchFolder.empty() ? privateTemporaryFolder() : options_.scratchFolder;
      scratch_ = platform::freshScratchFolder(base);
    }
    return platform::freshScratchFolder(scratch_);
  }

  // Finds the member's file and opens it; false (the member left out) when it cannot
  // be read or is no longer the size the catalog gives.
  bool open(Member &m) {
    const EntrySource source = entrySource(model_, *m.entry);
    const std::int64_t size = m.entry->size();
    if (!source.refusal.empty()) {
      leaveOut(m, source.refusal, size);
      return false;
    }
    const std::string &root = *drive(source.label());
    std::string fileRoot = root;
    platform::DiskPath found;
    if (source.inZip()) {
      const platform::DiskPath zip = platform::resolveOnDisk(
          root, std::vector<std::string>(source.components.begin() + 1, source.components.begin() + source.zipDepth));
      if (zip.error) {
        leaveOut(m, "its ZIP file " + source.zipPath() + ": " + zip.why, size);
        return false;
      }
      m.extractedFolder = memberFolder();
      if (m.extractedFolder.empty()) {
        leaveOut(m, "no private scratch folder can be made to extract it", size);
        return false;
      }
      char written[kTavscanPathBufferSize] = "";
      const bool extracted = extractFromZip(zip.path.c_str(), source.member().c_str(), m.extractedFolder.c_str(), false,
                                            true, true, written, sizeof written);
      m.extractedFile = written;
      if (!extracted && size != 0) {
        leaveOut(m, "it cannot be extracted from its ZIP file", size);
        return false;
      }
      fileRoot = m.extractedFolder;
      const std::size_t slash = m.extractedFile.rfind('/');
      found = platform::resolveOnDisk(fileRoot,
                                      {slash == std::string::npos ? source.name : m.extractedFile.substr(slash + 1)});
    } else {
      found = platform::resolveOnDisk(root,
                                      std::vector<std::string>(source.components.begin() + 1, source.components.end()));
    }
    if (found.error) {
      leaveOut(m, found.why, size);
      return false;
    }
    if (found.folder) {
      leaveOut(m, "it is a folder now", size);
      return false;
    }
    m.file = std::make_unique<platform::DiskFile>(fileRoot, found);
    if (const int err = m.file->open()) {
      leaveOut(m, "it cannot be opened: " + platform::errorText(err), size);
      return false;
    }
    if (m.file->size() != size) {
      leaveOut(m, "its size changed (" + bytesText(size) + " cataloged, " + bytesText(m.file->size()) + " now)", size);
      return false;
    }
    return true;
  }

  void cleanUp(Member &m) {
    m.file.reset();
    if (!m.extractedFile.empty()) platform::removeFile(m.extractedFile);
    if (!m.extractedFolder.empty()) platform::removeEmptyFolder(m.extractedFolder);
  }

  void verifySet(const std::vector<const FileData *> &set) {
    std::vector<Member> members(set.size());
    // Files of different sizes cannot agree: each size starts a group of its own.
    std::vector<Group> pending;
    std::map<std::int64_t, std::size_t> bySize;
    for (std::size_t i = 0; i < set.size(); ++i) {
      members[i].entry = set[i];
      if (!open(members[i])) continue;
      if (set.size() > kOpenAtOnce) members[i].file->park();
      const auto [at, added] = bySize.try_emplace(set[i]->size(), pending.size());
      if (added) pending.push_back({});
      pending[at->second].members.push_back(i);
    }
    const std::size_t chunk =
        std::clamp(kChunkBudget / std::max<std::size_t>(set.size(), 1), kSmallestChunk, kLargestChunk);
    const bool parkAfterRead = set.size() > kOpenAtOnce;
    std::vector<Group> agreed;
    while (!pending.empty()) {
      Group group = std::move(pending.back());
      pending.pop_back();
      const std::int64_t size = group.members.empty() ? 0 : set[group.members.front()]->size();
      if (group.members.size() < 2 || size < options_.ignoreSmaller) {
        for (std::size_t i : group.members) {
          skip(size - group.offset);
          members[i].file.reset();
        }
        report();
        continue;
      }
      if (group.offset == size) {
        agreed.push_back(std::move(group));
        continue;
      }
      const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(chunk, size - group.offset));
      std::vector<std::size_t> read;
      for (std::size_t i : group.members) {
        Member &m = members[i];
        m.chunk.resize(n);
        errno = 0;
        const long got = m.file->read(m.chunk.data(), n);
        if (got < 0 || static_cast<std::size_t>(got) != n) {
          const int err = errno;
          leaveOut(m,
                   got < 0 && err != ESTALE ? "it cannot be read: " + platform::errorText(err)
                                            : "it changed while it was read",
                   size - group.offset - std::max<long>(got, 0));
          if (got > 0) {
            result_.bytesRead += static_cast<std::uint64_t>(got);
            skip(got);
          }
          continue;
        }
        if (parkAfterRead) m.file->park();
        result_.bytesRead += n;
        done_ += n;
        read.push_back(i);
      }
      // The hash only sorts; every agreement is confirmed byte by byte.
      std::vector<std::pair<XXH64_hash_t, std::vector<std::size_t>>> split;
      for (std::size_t i : read) {
        const XXH64_hash_t hash = XXH3_64bits(members[i].chunk.data(), n);
        bool placed = false;
        for (auto &[h, part] : split) {
          if (h == hash && std::memcmp(members[part.front()].chunk.data(), members[i].chunk.data(), n) == 0) {
            part.push_back(i);
            placed = true;
            break;
          }
        }
        if (!placed) split.push_back({hash, {i}});
      }
      // Pushed in reverse so the first part is taken next, keeping reads in set order.
      for (auto it = split.rbegin(); it != split.rend(); ++it)
        pending.push_back({std::move(it->second), group.offset + static_cast<std::int64_t>(n)});
      report();
    }
    std::sort(agreed.begin(), agreed.end(),
              [](const Group &a, const Group &b) { return a.members.front() < b.members.front(); });
    for (const Group &group : agreed) {
      result_.rows.push_back(ResultRow::separator());
      for (std::size_t i : group.members)
        result_.rows.push_back(ResultRow::of(*set[i]));
      ++result_.verifiedSets;
    }
    for (Member &m : members)
      cleanUp(m);
  }

  const CatalogModel &model_;
  const VerifyOptions &options_;
  VerifyResult &result_;
  std::map<std::string, std::optional<std::string>> drives_;
  std::string scratch_;
  std::uint64_t done_ = 0;
  std::uint64_t total_ = 0;
};

} // namespace

VerifyResult verifyDuplicates(const CatalogModel &model, std::span<const ResultRow> rows,
                              const VerifyOptions &options) {
  std::vector<std::vector<const FileData *>> sets;
  for (const ResultRow &row : rows) {
    if (row.isSeparator())
      sets.emplace_back();
    else if (!sets.empty())
      sets.back().push_back(row.entry);
  }
  VerifyResult result;
  Verifier(model, options, result).run(sets);
  return result;
}

void writeVerifiedReport(CatalogModel &model, const std::string &lookIn, const VerifyResult &result, bool csv,
                         const ReportWriter &write) {
  writeDuplicatesReport(model, lookIn, result.rows, csv, write);
  const std::string end = kReportLineEnd;
  ReportPieces pieces(write);
  std::string &out = pieces.text();
  if (!result.unverified.empty()) {
    out += end;
    out += " Unverified sets: their disks are not mounted" + end;
    out += " ------------------------------------" + end;
    for (const UnverifiedSet &set : result.unverified) {
      out += csv ? " insert" : "---> insert";
      for (std::size_t i = 0; i < set.missingDisks.size(); ++i)
        out += (i == 0 ? " " : ", ") + set.missingDisks[i];
      out += end;
      for (const FileData *entry : set.members)
        appendReportEntry(out, model, *entry, csv);
      pieces.lineDone();
    }
    appendReportCount(out, result.unverified.size(), "Unverified sets");
  }
  out += end;
  out += " Verified by content: " + plural(result.setsChecked, "set", "sets") + " checked, " +
         plural(result.verifiedSets, "duplicate set", "duplicate sets") + ", " +
         plural(result.unverified.size(), "set", "sets") + " unverified, " +
         plural(result.unreadable, "file", "files") + " unreadable, " + std::to_string(result.bytesRead) +
         " bytes read." + end;
}

} // namespace tavlor
