// scan_prefetch.h - a second thread that examines the entries of the folders being
// scanned ahead of the thread that writes them.
//
// The writer visits a folder's entries in listing order; the helper takes the
// newest folder handed to it (the one the writer is in) and calls lstat on its
// entries in the same order, so that the writer mostly finds the answers waiting.
// Each entry is examined exactly once, by whichever thread claims it first.
#ifndef SCANLIB_SCAN_PREFETCH_H
#define SCANLIB_SCAN_PREFETCH_H

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavscan {

class StatPrefetcher {
public:
  // The entries of one folder and their answers. The names never change once handed
  // over, so both threads read them without a lock.
  class Folder {
  public:
    Folder(int fd, std::vector<std::string> names);
    ~Folder();
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    const std::vector<std::string> &names() const { return names_; }

  private:
    friend class StatPrefetcher;
    struct Slot {
      std::atomic<int> state{0}; // 0 unclaimed, 1 being examined, 2 answered
      int result = -1;
      struct stat st;
    };
    int fd_; // the helper's own descriptor of the folder
    std::vector<std::string> names_;
    std::unique_ptr<Slot[]> slots_;
    std::atomic<bool> finished_{false};
    size_t cursor_ = 0; // helper only: where it goes on
  };

  StatPrefetcher();
  ~StatPrefetcher();
  StatPrefetcher(const StatPrefetcher &) = delete;
  StatPrefetcher &operator=(const StatPrefetcher &) = delete;

  // A folder just read, open at fd (not taken over: it is duplicated). names are the
  // entries to examine in order.
  std::shared_ptr<Folder> start(int fd, std::vector<std::string> names);

  // lstat of entry index of folder, relative to fd (the caller's descriptor of the
  // same folder): the helper's answer when it got there first, else examined here.
  bool get(Folder &folder, int fd, size_t index, struct stat &st);

  // The caller asks no more about folder; the helper drops it.
  void finish(Folder &folder) { folder.finished_.store(true, std::memory_order_relaxed); }

private:
  void run();
  void examine(Folder &folder, uint64_t generation);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::shared_ptr<Folder>> folders_; // newest last
  std::atomic<uint64_t> generation_{0};          // counts start calls
  bool stop_ = false;
  std::thread thread_;
};

} // namespace tavscan

#endif // SCANLIB_SCAN_PREFETCH_H
