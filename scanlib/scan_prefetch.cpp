#include "scan_prefetch.h"

#include <fcntl.h>
#include <unistd.h>

namespace tavscan {

StatPrefetcher::Folder::Folder(int fd, std::vector<std::string> names)
    : fd_(::fcntl(fd, F_DUPFD_CLOEXEC, 0)), names_(std::move(names)), slots_(new Slot[names_.size()]) {}

StatPrefetcher::Folder::~Folder() {
  if (fd_ >= 0) ::close(fd_);
}

StatPrefetcher::StatPrefetcher() : thread_([this] { run(); }) {}

StatPrefetcher::~StatPrefetcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

std::shared_ptr<StatPrefetcher::Folder> StatPrefetcher::start(int fd, std::vector<std::string> names) {
  auto folder = std::make_shared<Folder>(fd, std::move(names));
  if (folder->fd_ < 0 || folder->names_.empty()) {
    folder->finished_ = true; // the caller examines everything itself
    return folder;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    folders_.push_back(folder);
    generation_.fetch_add(1, std::memory_order_release);
  }
  wake_.notify_one();
  return folder;
}

bool StatPrefetcher::get(Folder &folder, int fd, size_t index, struct stat &st) {
  Folder::Slot &slot = folder.slots_[index];
  int unclaimed = 0;
  if (slot.state.compare_exchange_strong(unclaimed, 1, std::memory_order_acq_rel)) {
    return ::fstatat(fd, folder.names_[index].c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }
  // The helper is on this very entry: one lstat, not worth sleeping for.
  while (slot.state.load(std::memory_order_acquire) != 2)
    std::this_thread::yield();
  st = slot.st;
  return slot.result == 0;
}

void StatPrefetcher::examine(Folder &folder, uint64_t generation) {
  const size_t count = folder.names_.size();
  for (size_t &i = folder.cursor_; i < count; ++i) {
    if (folder.finished_.load(std::memory_order_relaxed) || generation_.load(std::memory_order_acquire) != generation)
      return; // the writer left this folder, or entered a newer one
    Folder::Slot &slot = folder.slots_[i];
    int unclaimed = 0;
    if (!slot.state.compare_exchange_strong(unclaimed, 1, std::memory_order_acq_rel)) continue;
    slot.result = ::fstatat(folder.fd_, folder.names_[i].c_str(), &slot.st, AT_SYMLINK_NOFOLLOW);
    slot.state.store(2, std::memory_order_release);
  }
}

void StatPrefetcher::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  uint64_t seen = 0;
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || generation_.load(std::memory_order_acquire) != seen; });
    if (stop_) return;
    seen = generation_.load(std::memory_order_acquire);
    while (!stop_) {
      while (!folders_.empty() && (folders_.back()->finished_.load(std::memory_order_relaxed) ||
                                   folders_.back()->cursor_ >= folders_.back()->names_.size()))
        folders_.pop_back();
      if (folders_.empty()) break;
      const std::shared_ptr<Folder> folder = folders_.back();
      lock.unlock();
      examine(*folder, seen);
      lock.lock();
      seen = generation_.load(std::memory_order_acquire);
    }
  }
}

} // namespace tavscan
