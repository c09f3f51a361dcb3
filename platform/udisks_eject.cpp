#include <sys/sysmacros.h>
#include <systemd/sd-bus.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/eject_paths.h"

namespace platform {

namespace {

const char kService[] = "org.freedesktop.UDisks2";
const char kBlock[] = "org.freedesktop.UDisks2.Block";
const char kFilesystem[] = "org.freedesktop.UDisks2.Filesystem";
const char kDrive[] = "org.freedesktop.UDisks2.Drive";
// Unmounting and ejecting wait for the device; polkit is told not to ask, so a
// call never waits for a password dialog nobody sees.
constexpr uint64_t kCallTimeoutUs = 60ull * 1000 * 1000;

// What the daemon tells about one of its objects, as far as ejecting needs it.
struct UDisksObject {
  std::string path;
  bool isBlock = false;
  uint64_t deviceNumber = 0;
  std::string drive; // object path of the block's drive, "/" for none
  bool isFilesystem = false;
  int mountPoints = 0;
  bool isDrive = false;
  bool ejectable = false;
  bool canPowerOff = false;
};

struct BusDeleter {
  void operator()(sd_bus *bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageDeleter {
  void operator()(sd_bus_message *message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusDeleter>;
using Message = std::unique_ptr<sd_bus_message, MessageDeleter>;

class BusError {
public:
  BusError() = default;
  ~BusError() { sd_bus_error_free(&error_); }
  BusError(const BusError &) = delete;
  BusError &operator=(const BusError &) = delete;
  sd_bus_error *get() { return &error_; }
  bool named(const char *name) const { return sd_bus_error_has_name(&error_, name) != 0; }

private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

// One property of a{sv}; the message stands at its name.
bool readProperty(sd_bus_message *m, const std::string &interface, UDisksObject &object) {
  const char *name = nullptr;
  if (sd_bus_message_read(m, "s", &name) < 0) return false;
  const std::string property = name;
  if (interface == kBlock && property == "DeviceNumber")
    return sd_bus_message_read(m, "v", "t", &object.deviceNumber) >= 0;
  if (interface == kBlock && property == "Drive") {
    const char *drive = nullptr;
    if (sd_bus_message_read(m, "v", "o", &drive) < 0) return false;
    object.drive = drive;
    return true;
  }
  if (interface == kDrive && (property == "Ejectable" || property == "CanPowerOff")) {
    int value = 0;
    if (sd_bus_message_read(m, "v", "b", &value) < 0) return false;
    (property == "Ejectable" ? object.ejectable : object.canPowerOff) = value != 0;
    return true;
  }
  if (interface == kFilesystem && property == "MountPoints") {
    if (sd_bus_message_enter_container(m, 'v', "aay") < 0 || sd_bus_message_enter_container(m, 'a', "ay") < 0)
      return false;
    while (sd_bus_message_at_end(m, false) == 0) {
      if (sd_bus_message_skip(m, "ay") < 0) return false;
      ++object.mountPoints;
    }
    return sd_bus_message_exit_container(m) >= 0 && sd_bus_message_exit_container(m) >= 0;
  }
  return sd_bus_message_skip(m, "v") >= 0;
}

// The reply of ObjectManager.GetManagedObjects: a{oa{sa{sv}}}.
bool readObjects(sd_bus_message *m, std::vector<UDisksObject> &objects) {
  if (sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}") < 0) return false;
  while (sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}") > 0) {
    UDisksObject object;
    const char *path = nullptr;
    if (sd_bus_message_read(m, "o", &path) < 0 || sd_bus_message_enter_container(m, 'a', "{sa{sv}}") < 0) return false;
    object.path = path;
    while (sd_bus_message_enter_container(m, 'e', "sa{sv}") > 0) {
      const char *name = nullptr;
      if (sd_bus_message_read(m, "s", &name) < 0 || sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return false;
      const std::string interface = name;
      object.isBlock |= interface == kBlock;
      object.isFilesystem |= interface == kFilesystem;
      object.isDrive |= interface == kDrive;
      while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
        if (!readProperty(m, interface, object) || sd_bus_message_exit_container(m) < 0) return false;
      }
      if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_exit_container(m) < 0) return false;
    }
    if (sd_bus_message_exit_container(m) < 0 || sd_bus_message_exit_container(m) < 0) return false;
    objects.push_back(std::move(object));
  }
  return sd_bus_message_exit_container(m) >= 0;
}

// Calls method (taking only the options dictionary) on a UDisks2 object; the error
// named harmless counts as success.
bool callWithOptions(sd_bus *bus, const std::string &path, const char *interface, const char *method,
                     const char *harmless = nullptr) {
  sd_bus_message *raw = nullptr;
  if (sd_bus_message_new_method_call(bus, &raw, kService, path.c_str(), interface, method) < 0) return false;
  const Message call(raw);
  if (sd_bus_message_append(call.get(), "a{sv}", 1, "auth.no_user_interaction", "b", 1) < 0) return false;
  BusError error;
  sd_bus_message *reply = nullptr;
  const int result = sd_bus_call(bus, call.get(), kCallTimeoutUs, error.get(), &reply);
  sd_bus_message_unref(reply);
  return result >= 0 || (harmless != nullptr && error.named(harmless));
}

const UDisksObject *findObject(const std::vector<UDisksObject> &objects, const std::string &path) {
  for (const UDisksObject &object : objects)
    if (object.path == path) return &object;
  return nullptr;
}

} // namespace

std::optional<EjectStatus> ejectWithUDisks(const Volume &volume) {
  if (volume.devMajor == 0) return std::nullopt;
  sd_bus *raw = nullptr;
  if (sd_bus_open_system(&raw) < 0) return std::nullopt;
  const Bus bus(raw);

  sd_bus_message *reply = nullptr;
  BusError error;
  if (sd_bus_call_method(bus.get(), kService, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager",
                         "GetManagedObjects", error.get(), &reply, "") < 0)
    return std::nullopt; // no daemon (ServiceUnknown), or the bus refused us: the kernel may still do it
  const Message objectsReply(reply);
  std::vector<UDisksObject> objects;
  if (!readObjects(objectsReply.get(), objects)) return std::nullopt;

  const uint64_t wanted = makedev(volume.devMajor, volume.devMinor);
  std::string drivePath;
  for (const UDisksObject &object : objects)
    if (object.isBlock && object.deviceNumber == wanted) drivePath = object.drive;
  const UDisksObject *drive = drivePath.empty() || drivePath == "/" ? nullptr : findObject(objects, drivePath);
  if (drive == nullptr || !drive->isDrive) return std::nullopt; // a loop device or a device the daemon ignores

  // Every filesystem of the drive comes off, not only the one asked for: the
  // drive cannot go while a sibling partition is still mounted.
  for (const UDisksObject &object : objects) {
    if (!object.isBlock || !object.isFilesystem || object.drive != drivePath) continue;
    for (int i = 0; i < object.mountPoints; ++i)
      // Whether one call takes off one mount or all of them, "not mounted" means done.
      if (!callWithOptions(bus.get(), object.path, kFilesystem, "Unmount", "org.freedesktop.UDisks2.Error.NotMounted"))
        return EjectStatus::Refused;
  }
  if (drive->ejectable)
    return callWithOptions(bus.get(), drivePath, kDrive, "Eject") ? EjectStatus::Ok : EjectStatus::Refused;
  if (drive->canPowerOff)
    return callWithOptions(bus.get(), drivePath, kDrive, "PowerOff") ? EjectStatus::Ok : EjectStatus::Refused;
  return EjectStatus::Refused;
}

} // namespace platform
