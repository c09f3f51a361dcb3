#include "platform/desktop_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char **environ;

namespace platform {

namespace {

// Runs argv[0] (searched on PATH) and returns its standard output without the final
// line end; "" when it cannot be run or fails. Its standard error is discarded.
std::string outputOf(const std::vector<std::string> &args) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<char *> argv;
  for (const std::string &arg : args)
    argv.push_back(const_cast<char *>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string output;
  char buffer[512];
  ssize_t got;
  while (spawned == 0 && (got = read(pipeFds[0], buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    output.append(buffer, static_cast<size_t>(got));
  }
  close(pipeFds[0]);
  if (spawned != 0) return {};
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r' || output.back() == ' '))
    output.pop_back();
  return output;
}

std::string parentFolder(const std::string &path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string desktopFileType(const std::string &path) {
  return outputOf({"xdg-mime", "query", "filetype", path});
}

std::string desktopDefaultApplication(const std::string &mimeType) {
  if (mimeType.empty()) return {};
  return outputOf({"xdg-mime", "query", "default", mimeType});
}

OpenResult openWithDesktop(const std::string &path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == EACCES) return OpenResult::AccessDenied;
    struct stat folder {};
    return ::stat(parentFolder(path).c_str(), &folder) == 0 ? OpenResult::FileMissing : OpenResult::FolderMissing;
  }
  if (::access(path.c_str(), R_OK) != 0) return OpenResult::AccessDenied;
  if (desktopDefaultApplication(desktopFileType(path)).empty()) return OpenResult::NoApplication;
  // The shell puts xdg-open in the background and ends at once, so the application
  // is never a child left for this process to reap.
  const char *script = "command -v xdg-open >/dev/null 2>&1 || exit 127\n"
                       "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
  std::vector<char *> argv{const_cast<char *>("sh"), const_cast<char *>("-c"),         const_cast<char *>(script),
                           const_cast<char *>("sh"), const_cast<char *>(path.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) return OpenResult::StartFailed;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? OpenResult::Ok : OpenResult::StartFailed;
}

} // namespace platform
