#include "platform/volume_label_set.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/errors.h"
#include "platform/label_probe.h"

#ifndef FSLABEL_MAX
#define FSLABEL_MAX 256
#endif
#ifndef FS_IOC_SETFSLABEL
#define FS_IOC_SETFSLABEL _IOW(0x94, 50, char[FSLABEL_MAX])
#endif

extern char **environ;

namespace platform {

namespace {

const char kService[] = "org.freedesktop.UDisks2";
constexpr uint64_t kCallTimeoutUs = 30ull * 1000 * 1000;

// nullopt when the daemon cannot be asked about the device, so the tool is tried.
std::optional<LabelSetResult> setWithUDisks(const std::string &device, const std::string &label) {
  sd_bus *bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) return std::nullopt;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message *reply = nullptr;
  std::optional<LabelSetResult> result;
  int r = sd_bus_call_method(bus, kService, "/org/freedesktop/UDisks2/Manager", "org.freedesktop.UDisks2.Manager",
                             "ResolveDevice", &error, &reply, "a{sv}a{sv}", 1, "path", "s", device.c_str(), 0);
  const char *object = nullptr;
  if (r >= 0 && sd_bus_message_enter_container(reply, 'a', "o") >= 0 && sd_bus_message_read(reply, "o", &object) > 0) {
    std::string path = object;
    sd_bus_message_unref(reply);
    reply = nullptr;
    sd_bus_error_free(&error);
    sd_bus_message *call = nullptr;
    r = sd_bus_message_new_method_call(bus, &call, kService, path.c_str(), "org.freedesktop.UDisks2.Filesystem",
                                       "SetLabel");
    if (r >= 0) r = sd_bus_message_append(call, "sa{sv}", label.c_str(), 1, "auth.no_user_interaction", "b", 1);
    if (r >= 0) r = sd_bus_call(bus, call, kCallTimeoutUs, &error, &reply);
    sd_bus_message_unref(call);
    LabelSetResult done;
    done.ok = r >= 0;
    if (!done.ok) {
      done.error = -r;
      done.message = error.message ? error.message : errorText(-r);
    }
    result = done;
  }
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  sd_bus_flush_close_unref(bus);
  return result;
}

// The filesystem on the volume's device. The mount type does not tell it for FUSE
// volumes: NTFS and exFAT are both "fuseblk".
std::string deviceFsType(const Volume &volume) {
  LabelProbe probe = labelFromUdev(volume.devMajor, volume.devMinor);
  if (probe.type.empty()) probe = labelFromBlkid(volume.source);
  if (!probe.type.empty()) return probe.type;
  return volume.fsType == "fuseblk" ? std::string() : volume.fsType;
}

// The label tool of a filesystem type; null when there is none.
const char *labelTool(const std::string &fsType) {
  if (fsType == "ext2" || fsType == "ext3" || fsType == "ext4") return "e2label";
  if (fsType == "vfat" || fsType == "msdos" || fsType == "fat") return "fatlabel";
  if (fsType == "exfat") return "exfatlabel";
  if (fsType == "ntfs" || fsType == "ntfs3") return "ntfslabel";
  return nullptr;
}

// btrfs and xfs take a new label while mounted, through the call their own tools
// (btrfs filesystem label, xfs_io -c "label -s") make on the mounted folder; made
// here, the label reaches the filesystem whole, where xfs_io would split it at its
// blanks.
LabelSetResult setOnMountedFolder(const std::string &mountPoint, const std::string &label) {
  LabelSetResult result;
  char buffer[FSLABEL_MAX] = {};
  int error = 0;
  if (label.size() >= sizeof buffer) {
    error = EINVAL;
  } else {
    label.copy(buffer, label.size());
    const int fd = ::open(mountPoint.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      error = errno;
    } else {
      if (::ioctl(fd, FS_IOC_SETFSLABEL, buffer) != 0) error = errno;
      ::close(fd);
    }
  }
  result.ok = error == 0;
  result.error = error;
  if (!result.ok) result.message = errorText(error);
  return result;
}

// Runs tool device label, its standard output and error gathered as the message.
LabelSetResult runTool(const char *tool, const std::string &device, const std::string &label) {
  LabelSetResult result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    result.error = errno;
    result.message = errorText(errno);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  std::vector<char *> argv{const_cast<char *>(tool), const_cast<char *>(device.c_str()),
                           const_cast<char *>(label.c_str()), nullptr};
  pid_t child = 0;
  int spawned = posix_spawnp(&child, tool, &actions, nullptr, argv.data(), environ);
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
  if (spawned != 0) {
    result.error = spawned;
    result.message = std::string(tool) + ": " + errorText(spawned);
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!result.ok) {
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
      output.pop_back();
    result.message = output.empty() ? std::string(tool) + " failed" : output;
  }
  return result;
}

} // namespace

LabelSetResult setVolumeLabel(const Volume &volume, const std::string &label) {
  if (volume.fromTable || volume.devMajor == 0 || volume.source.empty() || volume.source[0] != '/') {
    LabelSetResult refused;
    refused.error = ENOTSUP;
    refused.message = errorText(ENOTSUP);
    return refused;
  }
  if (std::optional<LabelSetResult> done = setWithUDisks(volume.source, label)) return *done;
  const std::string fsType = deviceFsType(volume);
  if (fsType == "btrfs" || fsType == "xfs") return setOnMountedFolder(volume.mountPoint, label);
  const char *tool = labelTool(fsType);
  if (!tool) {
    LabelSetResult refused;
    refused.error = ENOTSUP;
    refused.message = errorText(ENOTSUP);
    return refused;
  }
  LabelSetResult result = runTool(tool, volume.source, label);
  // These tools (all but e2label) write the device itself and refuse while it is
  // mounted.
  if (!result.ok && result.error == 0 && std::string_view(tool) != "e2label")
    result.message +=
        "\nThe label can be set while the disk is not mounted: " + std::string(tool) + " " + volume.source + " LABEL";
  return result;
}

} // namespace platform
