#include "model/catalog_set_loader.h"

#include <sched.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace tavlor {

namespace {

// Past this many things said, a load that is not yet in its turn waits: a damaged
// catalog may warn once per entry, and a million kept texts would be a gigabyte.
constexpr std::size_t kMostWaiting = 256;

struct Said {
  bool isWarning;
  std::string caption; // a warning's caption; a damage's catalog path
  std::string text;    // a warning's text; what was damaged
  std::size_t offset;
};

struct Slot {
  std::unique_ptr<CatalogModel> model;
  LoadResult result;
  std::deque<Said> said;
  std::exception_ptr failed;
  bool done = false;
  std::atomic<std::size_t> read{0};
  std::atomic<std::size_t> size{0};
};

class Shelf {
public:
  explicit Shelf(const std::vector<std::string> &paths) : paths_(paths), slots_(paths.size()) {}

  // A worker: takes the next file not yet taken until none is left or stop() was called.
  void work() {
    for (;;) {
      std::size_t index;
      {
        std::lock_guard lock(mutex_);
        if (stopped_ || next_ == paths_.size()) return;
        index = next_++;
      }
      Slot &slot = slots_[index];
      Voice voice(*this, slot);
      std::unique_ptr<CatalogModel> model;
      LoadResult result;
      std::exception_ptr failed;
      try {
        model = std::make_unique<CatalogModel>();
        result = loadCatalog(*model, paths_[index], voice);
      } catch (...) {
        failed = std::current_exception();
      }
      std::lock_guard lock(mutex_);
      slot.model = std::move(model);
      slot.result = result;
      slot.failed = failed;
      slot.done = true;
      changed_.notify_all();
    }
  }

  // What the file of index said since the last call, into out; true once its load is
  // over and all it said has been taken. Waits a little for either.
  bool take(std::size_t index, std::vector<Said> &out) {
    Slot &slot = slots_[index];
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(30), [&] { return slot.done || !slot.said.empty(); });
    out.assign(std::make_move_iterator(slot.said.begin()), std::make_move_iterator(slot.said.end()));
    slot.said.clear();
    drained_.notify_all();
    return slot.done && out.empty();
  }

  Slot &slot(std::size_t index) { return slots_[index]; }

  std::pair<std::size_t, std::size_t> progress() const {
    std::size_t read = 0, size = 0;
    for (const Slot &s : slots_) {
      read += s.read.load(std::memory_order_relaxed);
      size += s.size.load(std::memory_order_relaxed);
    }
    return {read, size};
  }

  void stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    drained_.notify_all();
  }

private:
  // A load's reporter on its worker: keeps what is said for the file's turn.
  class Voice : public LoadReporter {
  public:
    Voice(Shelf &shelf, Slot &slot) : shelf_(shelf), slot_(slot) {}
    void warning(const std::string &caption, const std::string &text) override { say({true, caption, text, 0}); }
    void damaged(const std::string &path, std::size_t offset, const char *what) override {
      say({false, path, what, offset});
    }
    void progress(std::size_t done, std::size_t total) override {
      slot_.read.store(done, std::memory_order_relaxed);
      slot_.size.store(total, std::memory_order_relaxed);
    }

  private:
    void say(Said said) {
      std::unique_lock lock(shelf_.mutex_);
      shelf_.drained_.wait(lock, [&] { return slot_.said.size() < kMostWaiting || shelf_.stopped_; });
      slot_.said.push_back(std::move(said));
      shelf_.changed_.notify_all();
    }
    Shelf &shelf_;
    Slot &slot_;
  };

  const std::vector<std::string> &paths_;
  std::vector<Slot> slots_;
  std::mutex mutex_;
  std::condition_variable changed_; // a load said something or ended
  std::condition_variable drained_; // what was said was taken, or the loads stop
  std::size_t next_ = 0;
  bool stopped_ = false;
};

// The workers, stopped and joined however the caller leaves.
class Workers {
public:
  Workers(Shelf &shelf, unsigned count) : shelf_(shelf) {
    for (unsigned k = 0; k < count; ++k) {
      try {
        threads_.emplace_back([&shelf] { shelf.work(); });
      } catch (const std::system_error &) {
        break; // fewer threads, or none: the caller then loads in turn
      }
    }
  }
  ~Workers() {
    shelf_.stop();
    for (std::thread &t : threads_)
      t.join();
  }
  bool any() const { return !threads_.empty(); }

private:
  Shelf &shelf_;
  std::vector<std::thread> threads_;
};

std::vector<LoadResult> loadInTurn(CatalogModel &model, const std::vector<std::string> &paths, LoadReporter &reporter,
                                   const CatalogLoaded &loaded) {
  std::vector<LoadResult> results;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    results.push_back(loadCatalog(model, paths[i], reporter));
    if (loaded) loaded(i, results.back());
  }
  return results;
}

} // namespace

unsigned catalogLoadThreads() {
  if (const char *wanted = std::getenv("TAVLOR_LOAD_THREADS")) {
    char *end = nullptr;
    const unsigned long n = std::strtoul(wanted, &end, 10);
    if (end != wanted && *end == '\0' && n >= 1) return static_cast<unsigned>(std::min<unsigned long>(n, 64));
  }
  // The processors this process may run on (taskset, a container's share), not all the
  // machine has.
  cpu_set_t allowed;
  if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
    return static_cast<unsigned>(CPU_COUNT(&allowed));
  return std::max(1u, std::thread::hardware_concurrency());
}

std::vector<LoadResult> loadCatalogs(CatalogModel &model, const std::vector<std::string> &paths, LoadReporter &reporter,
                                     unsigned threads, const CatalogLoaded &loaded) {
  if (threads < 2 || paths.size() < 2) return loadInTurn(model, paths, reporter, loaded);
  Shelf shelf(paths);
  Workers workers(shelf, static_cast<unsigned>(std::min<std::size_t>(threads, paths.size())));
  if (!workers.any()) return loadInTurn(model, paths, reporter, loaded);
  std::vector<LoadResult> results;
  std::vector<Said> said;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    while (!shelf.take(i, said)) {
      for (const Said &s : said) {
        if (s.isWarning) {
          reporter.warning(s.caption, s.text);
        } else {
          reporter.damaged(s.caption, s.offset, s.text.c_str());
        }
      }
      const auto [read, size] = shelf.progress();
      reporter.progress(read, size);
    }
    Slot &slot = shelf.slot(i);
    if (slot.failed) std::rethrow_exception(slot.failed); // the workers stop as this leaves
    LoadResult result = slot.result;
    if (result.status == LoadStatus::Loaded) result.disk = model.adoptDisk(*slot.model);
    slot.model.reset();
    results.push_back(result);
    if (loaded) loaded(i, results.back());
  }
  return results;
}

} // namespace tavlor
