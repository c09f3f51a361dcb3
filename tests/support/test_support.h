// test_support.h - helpers shared by the tests.
#ifndef TESTS_SUPPORT_TEST_SUPPORT_H
#define TESTS_SUPPORT_TEST_SUPPORT_H

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder below $TMPDIR (or /tmp), removed with everything in it when the
// object goes away.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  const std::string &path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string &relative) const { return path_ + "/" + relative; }

  // Creates a folder (and its parents) below path(); returns its full path.
  std::string createDir(const std::string &relative) const;
  // Creates a file (and its parent folders) holding contents; returns its full path.
  std::string createFile(const std::string &relative, const std::string &contents = "") const;

private:
  std::string path_;
};

// Local time as seconds since 1970, like mktime.
time_t localTime(int day, int month, int year, int hour, int minute, int second);

// Sets the modification (and access) time of path, not following a final link.
void setModificationTime(const std::string &path, time_t when);

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &contents);

// A message box as the library showed it.
struct RecordedBox {
  std::string caption;
  std::string text;
  int icon = 0;
};

// Installs itself as the library's message-box handler while it lives.
class BoxRecorder {
public:
  BoxRecorder();
  ~BoxRecorder();
  const std::vector<RecordedBox> &boxes() const { return boxes_; }
  void clear() { boxes_.clear(); }

private:
  static void record(const char *caption, const char *text, int icon, void *context);
  std::vector<RecordedBox> boxes_;
};

// Result of running a program.
struct RunResult {
  int status = -1; // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs argv[0] with the arguments (no shell), standard input from /dev/null, and
// collects both outputs.
RunResult runProgram(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv = {});

// True when the process is root and can create loop devices and private mount
// namespaces; reason receives why not.
bool canUseLoopMounts(std::string *reason);

} // namespace testing_support

#endif // TESTS_SUPPORT_TEST_SUPPORT_H
