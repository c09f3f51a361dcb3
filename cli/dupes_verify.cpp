#include "dupes_verify.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tools/report_text.h"
#include "tools/verify_duplicates.h"

namespace cli {
namespace {

std::string megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
  return text;
}

// One line on the terminal, redrawn a few times a second; cleared when done.
class ProgressLine {
public:
  ProgressLine() : shown_(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() {
    if (drawn_) std::fprintf(stderr, "\r\033[K");
  }
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;

  void update(std::uint64_t done, std::uint64_t total) {
    if (!shown_) return;
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && (percent == percent_ || (now - last_ < std::chrono::milliseconds(200) && done < total))) return;
    last_ = now;
    drawn_ = true;
    percent_ = percent;
    std::fprintf(stderr, "\rtavlor dupes: verifying %3d%% (%s of %s)\033[K", percent, megabytes(done).c_str(),
                 megabytes(total).c_str());
    std::fflush(stderr);
  }

  // Clears the line before a message takes its place.
  void clear() {
    if (drawn_) std::fprintf(stderr, "\r\033[K");
  }

private:
  bool shown_;
  bool drawn_ = false;
  int percent_ = -1;
  std::chrono::steady_clock::time_point last_{};
};

} // namespace

int verifyAndReport(tavlor::CatalogModel &model, const std::string &lookIn, std::span<const tavlor::ResultRow> rows,
                    bool csv, std::int64_t ignoreSmallerBytes) {
  ProgressLine progress;
  tavlor::VerifyOptions options;
  options.ignoreSmaller = ignoreSmallerBytes;
  options.progress = [&](std::uint64_t done, std::uint64_t total) { progress.update(done, total); };
  options.unreadable = [&](const std::string &path, const std::string &reason) {
    progress.clear();
    std::fprintf(stderr, "tavlor dupes: not verified: %s: %s\n", path.c_str(), reason.c_str());
  };
  const tavlor::VerifyResult result = tavlor::verifyDuplicates(model, rows, options);
  progress.clear();
  std::vector<std::string> missing;
  for (const tavlor::UnverifiedSet &set : result.unverified)
    for (const std::string &label : set.missingDisks)
      if (std::find(missing.begin(), missing.end(), label) == missing.end()) missing.push_back(label);
  for (const std::string &label : missing)
    std::fprintf(stderr, "tavlor dupes: disk %s is not mounted; insert it to verify the sets it holds\n",
                 label.c_str());
  bool failed = false;
  tavlor::writeVerifiedReport(model, lookIn, result, csv, tavlor::fileReportWriter(stdout, &failed));
  if (std::fflush(stdout) != 0) failed = true;
  if (failed) {
    std::fprintf(stderr, "tavlor dupes: the report could not be written to standard output\n");
    return 1;
  }
  const bool complete = result.unverified.empty() && result.unreadable == 0;
  return complete && result.verifiedSets > 0 ? 0 : 1;
}

} // namespace cli
