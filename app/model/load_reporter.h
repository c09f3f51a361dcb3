// load_reporter.h - what the catalog loader tells the user while it reads.
#ifndef APP_MODEL_LOAD_REPORTER_H
#define APP_MODEL_LOAD_REPORTER_H

#include <cstddef>
#include <string>

namespace tavlor {

// The loader's voice. The program shows warning() as a modal warning box and returns
// when it is answered; tests record the calls. damaged() reports input the writer
// never produces; it is optional (the default ignores it) and is never shown to the
// user as a box.
class LoadReporter {
public:
  virtual ~LoadReporter() = default;
  // One warning box ("Please re-catalog this disk", "Warning: file date invalid").
  virtual void warning(const std::string &caption, const std::string &text) = 0;
  // path: the catalog; offset: byte offset where reading noticed the damage.
  virtual void damaged(const std::string & /*path*/, std::size_t /*offset*/, const char * /*what*/) {}
  // Called every few hundred kilobytes of a catalog's text (done of total bytes read),
  // so that a program that loads on its only thread can let its windows paint in
  // between. Optional.
  virtual void progress(std::size_t /*done*/, std::size_t /*total*/) {}
};

// Shows the warnings through the platform's message-box handler (standard error by
// default).
class PlatformLoadReporter : public LoadReporter {
public:
  void warning(const std::string &caption, const std::string &text) override;
};

} // namespace tavlor

#endif // APP_MODEL_LOAD_REPORTER_H
