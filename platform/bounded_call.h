// bounded_call.h - waiting a limited time for a call that may hang.
#ifndef PLATFORM_BOUNDED_CALL_H
#define PLATFORM_BOUNDED_CALL_H

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

// Runs call() on a thread of its own and waits at most limit for its result;
// nullopt when it took longer. A call that hangs (a statvfs on an NFS mount whose
// server went away) keeps its thread until it returns, so call must own everything
// it uses (capture by value).
template <typename Result, typename Call>
std::optional<Result> callWithTimeLimit(Call call, std::chrono::milliseconds limit) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<Result> result;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, call]() mutable {
      Result result = call();
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->result = std::move(result);
      shared->done.notify_all();
    }).detach();
  } catch (const std::system_error &) {
    return std::nullopt; // no thread to be had: treat it like a call that never came back
  }
  std::unique_lock<std::mutex> lock(shared->mutex);
  shared->done.wait_for(lock, limit, [&] { return shared->result.has_value(); });
  return shared->result;
}

} // namespace platform

#endif // PLATFORM_BOUNDED_CALL_H
