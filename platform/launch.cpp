#include "launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char **environ;

namespace platform {
namespace {

std::vector<char *> argvOf(const std::vector<std::string> &argv) {
  std::vector<char *> out;
  for (const std::string &a : argv)
    out.push_back(const_cast<char *>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

void trimLineEnds(std::string &text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
}

std::string parentOf(const std::string &path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The words of a desktop entry's Exec value: blanks separate them, double quotes
// group them, and inside quotes a backslash escapes the next character.
std::vector<std::string> execWords(const std::string &value) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (quoted) {
      if (c == '\\' && i + 1 < value.size()) {
        word.push_back(value[++i]);
      } else if (c == '"') {
        quoted = false;
      } else {
        word.push_back(c);
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// The value of a desktop entry's own string escapes (\s \n \t \r \\); any other
// backslash is left for the Exec line's quoting.
std::string unescapeValue(const std::string &value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char next = i + 1 < value.size() ? value[i + 1] : '\0';
    if (value[i] == '\\' && (next == 's' || next == 'n' || next == 't' || next == 'r' || next == '\\')) {
      ++i;
      out.push_back(next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : '\\');
    } else {
      out.push_back(value[i]);
    }
  }
  return out;
}

std::vector<std::string> applicationFolders() {
  std::vector<std::string> folders;
  const char *dataHome = std::getenv("XDG_DATA_HOME");
  const char *home = std::getenv("HOME");
  if (dataHome && *dataHome)
    folders.push_back(std::string(dataHome) + "/applications");
  else if (home && *home)
    folders.push_back(std::string(home) + "/.local/share/applications");
  const char *dirs = std::getenv("XDG_DATA_DIRS");
  std::stringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
  std::string dir;
  while (std::getline(list, dir, ':'))
    if (!dir.empty()) folders.push_back(dir + "/applications");
  return folders;
}

// The Exec value of the [Desktop Entry] group of the file; empty when there is none.
std::string execLine(const std::string &file) {
  std::ifstream in(file);
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (inEntry && line.rfind("Exec=", 0) == 0) return unescapeValue(line.substr(5));
  }
  return {};
}

} // namespace

LaunchCheck checkLaunchPath(const std::string &path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == EACCES) return LaunchCheck::AccessDenied;
    if (errno == ENOENT) {
      struct stat folder;
      const std::string parent = parentOf(path);
      if (::stat(parent.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode)) return LaunchCheck::FileMissing;
    }
    return LaunchCheck::PathMissing;
  }
  // A folder is opened by listing it, a file by reading it.
  if (::access(path.c_str(), S_ISDIR(st.st_mode) ? (R_OK | X_OK) : R_OK) != 0) return LaunchCheck::AccessDenied;
  return LaunchCheck::Ok;
}

std::string programOutput(const std::vector<std::string> &argv) {
  if (argv.empty()) return {};
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char *> args = argvOf(argv);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  std::string output;
  char buffer[512];
  ssize_t got;
  while (spawned == 0 && (got = ::read(fds[0], buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fds[0]);
  if (spawned != 0) return {};
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  trimLineEnds(output);
  return output;
}

std::string defaultApplication(const std::string &mimeType) {
  if (mimeType.empty()) return {};
  return programOutput({"xdg-mime", "query", "default", mimeType});
}

std::string queryFileType(const std::string &path) {
  return programOutput({"xdg-mime", "query", "filetype", path});
}

int startDetached(const std::vector<std::string> &argv) {
  if (argv.empty()) return EINVAL;
  // The exec's errno comes back through a pipe that the successful exec closes.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
  std::vector<char *> args = argvOf(argv);
  const pid_t child = ::fork();
  if (child < 0) {
    const int err = errno;
    ::close(fds[0]);
    ::close(fds[1]);
    return err;
  }
  if (child == 0) {
    // The intermediate child exits at once, so the program is adopted by init and
    // never becomes a zombie of this process.
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        const int err = errno;
        (void)!::write(fds[1], &err, sizeof err);
      }
      ::_exit(0);
    }
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    ::execvp(args[0], args.data());
    const int err = errno;
    (void)!::write(fds[1], &err, sizeof err);
    ::_exit(127);
  }
  ::close(fds[1]);
  int err = 0;
  ssize_t got;
  while ((got = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return got == static_cast<ssize_t>(sizeof err) ? err : 0;
}

std::vector<std::string> desktopEntryCommand(const std::string &desktopId, const std::string &path) {
  if (desktopId.empty() || desktopId.find('/') != std::string::npos) return {};
  for (const std::string &folder : applicationFolders()) {
    const std::string file = folder + "/" + desktopId;
    if (::access(file.c_str(), R_OK) != 0) continue;
    const std::vector<std::string> words = execWords(execLine(file));
    if (words.empty()) return {};
    std::vector<std::string> command;
    bool placed = false;
    for (const std::string &word : words) {
      if (word == "%f" || word == "%F" || word == "%u" || word == "%U") {
        command.push_back(path);
        placed = true;
      } else if (word.size() == 2 && word[0] == '%') {
        if (word == "%%") command.push_back("%");
      } else {
        command.push_back(word);
      }
    }
    if (!placed) command.push_back(path);
    return command;
  }
  return {};
}

bool programOnPath(const std::string &name) {
  if (name.empty()) return false;
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0;
  const char *path = std::getenv("PATH");
  std::stringstream list(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(list, dir, ':')) {
    const std::string file = (dir.empty() ? "." : dir) + "/" + name;
    struct stat st;
    if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0) return true;
  }
  return false;
}

std::vector<std::string> openCommand(const std::string &path) {
  return {"xdg-open", path};
}

std::vector<std::string> textEditorCommand(const std::string &path) {
  std::vector<std::string> command = desktopEntryCommand(defaultApplication("text/plain"), path);
  if (!command.empty()) return command;
  if (const char *visual = std::getenv("VISUAL"); visual && *visual) {
    command = execWords(visual);
    if (!command.empty()) {
      command.push_back(path);
      return command;
    }
  }
  for (const char *editor : {"gnome-text-editor", "gedit", "kate", "kwrite", "xed", "pluma", "mousepad", "featherpad",
                             "leafpad", "geany", "xedit"}) {
    if (programOnPath(editor)) return {editor, path};
  }
  return {};
}

OpenResult openWithDesktop(const std::string &path) {
  switch (checkLaunchPath(path)) {
  case LaunchCheck::FileMissing:
    return OpenResult::FileMissing;
  case LaunchCheck::PathMissing:
    return OpenResult::FolderMissing;
  case LaunchCheck::AccessDenied:
    return OpenResult::AccessDenied;
  case LaunchCheck::Ok:
    break;
  }
  if (defaultApplication(queryFileType(path)).empty()) return OpenResult::NoApplication;
  return startDetached(openCommand(path)) == 0 ? OpenResult::Ok : OpenResult::StartFailed;
}

} // namespace platform
