#include "test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "Tavscan60.h"
#include "platform/message_box.h"

extern char **environ;

namespace testing_support {

TempDir::TempDir() {
  const char *base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavlor-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp failed: " + std::string(std::strerror(errno)));
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave folders without write or search permission behind.
  for (auto it = std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
  }
  ::chmod(path_.c_str(), 0700);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::createDir(const std::string &relative) const {
  const std::string full = path_ + "/" + relative;
  std::filesystem::create_directories(full);
  return full;
}

std::string TempDir::createFile(const std::string &relative, const std::string &contents) const {
  const std::string full = path_ + "/" + relative;
  std::filesystem::create_directories(std::filesystem::path(full).parent_path());
  writeFile(full, contents);
  return full;
}

time_t localTime(int day, int month, int year, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

void setModificationTime(const std::string &path, time_t when) {
  struct timespec times[2] = {{when, 0}, {when, 0}};
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
    throw std::runtime_error("utimensat " + path + ": " + std::strerror(errno));
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string &path, const std::string &contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  if (!out) throw std::runtime_error("cannot write " + path);
}

BoxRecorder::BoxRecorder() {
  tavscanSetMessageBoxHandler(&BoxRecorder::record, this);
  platform::setMessageBoxHandler(&BoxRecorder::record, this);
}

BoxRecorder::~BoxRecorder() {
  tavscanSetMessageBoxHandler(nullptr, nullptr);
  platform::setMessageBoxHandler(nullptr, nullptr);
}

void BoxRecorder::record(const char *caption, const char *text, int icon, void *context) {
  static_cast<BoxRecorder *>(context)->boxes_.push_back({caption, text, icon});
}

RunResult runProgram(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv) {
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);

  std::vector<std::string> env;
  for (char **e = environ; *e; ++e) env.emplace_back(*e);
  for (const auto &extra : extraEnv) {
    const std::string key = extra.substr(0, extra.find('=') + 1);
    std::erase_if(env, [&](const std::string &v) { return v.rfind(key, 0) == 0; });
    if (extra.back() != '=') env.push_back(extra); // "NAME=" removes NAME
  }
  std::vector<char *> cargv, cenv;
  for (const auto &a : argv) cargv.push_back(const_cast<char *>(a.c_str()));
  cargv.push_back(nullptr);
  for (const auto &e : env) cenv.push_back(const_cast<char *>(e.c_str()));
  cenv.push_back(nullptr);

  pid_t pid = 0;
  const int rc = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), cenv.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  RunResult result;
  if (rc != 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    result.err = "cannot start " + argv[0] + ": " + std::strerror(rc);
    return result;
  }
  struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool canUseLoopMounts(std::string *reason) {
  auto fail = [&](const char *why) {
    if (reason) *reason = why;
    return false;
  };
  if (geteuid() != 0) return fail("needs root (loop devices and mount namespaces)");
  if (::access("/dev/loop-control", R_OK | W_OK) != 0) return fail("no /dev/loop-control");
  if (::access("/sbin/mkfs.ext4", X_OK) != 0 && ::access("/usr/sbin/mkfs.ext4", X_OK) != 0)
    return fail("mkfs.ext4 is not installed");
  const RunResult probe = runProgram({"/usr/bin/unshare", "-m", "/bin/true"});
  if (probe.status != 0) return fail("cannot create a private mount namespace (unshare -m)");
  return true;
}

} // namespace testing_support
