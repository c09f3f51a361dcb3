#include "PaintBreaks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

void letWindowsPaint(bool now) {
  // Twenty milliseconds keep a window smooth to the eye, and processing events far
  // more often would show in the load time.
  static QElapsedTimer since;
  if (!now && since.isValid() && since.elapsed() < 20) return;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  since.start();
}

void runWhileWindowsPaint(const std::function<void()> &work) {
  QEventLoop loop;
  std::atomic<bool> done{false};
  std::exception_ptr failed;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        work();
      } catch (...) {
        failed = std::current_exception();
      }
      done = true;
      // Posted: the loop may not have started yet, and then it quits at once.
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
  } catch (const std::system_error &) {
    work();
    return;
  }
  // A loop that some event's handler quit early is entered again until the work is done.
  while (!done)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  if (failed) std::rethrow_exception(failed);
}
