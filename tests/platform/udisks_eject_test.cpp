// Ejecting through UDisks2, against a stand-in daemon on a private bus that the
// test starts: the objects a desktop's daemon shows for a USB stick with two
// partitions, beside a fixed disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "platform/eject_paths.h"
#include "test_support.h"

extern char **environ;

namespace {

const char kBase[] = "/org/freedesktop/UDisks2";
const char kStick[] = "/org/freedesktop/UDisks2/drives/Stick";
const char kFixed[] = "/org/freedesktop/UDisks2/drives/Fixed";

struct FakeFilesystem {
  std::string path;
  unsigned major = 8, minor = 0;
  const char *drive = "/";
  int mountPoints = 0;
  bool busy = false;
};

struct FakeDrive {
  const char *path = "/";
  int ejectable = 1;
  int canPowerOff = 1;
};

// Calls the stand-in daemon received, in order ("Unmount sdb1", "Eject Stick"),
// and whether each of them forbade interaction.
struct CallLog {
  std::mutex mutex;
  std::vector<std::string> calls;
  bool allQuiet = true;
};

CallLog *gLog = nullptr;

bool noUserInteraction(sd_bus_message *m) {
  bool quiet = false;
  if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return false;
  while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
    const char *key = nullptr;
    sd_bus_message_read(m, "s", &key);
    int value = 0;
    if (std::string(key) == "auth.no_user_interaction" && sd_bus_message_read(m, "v", "b", &value) >= 0)
      quiet = value != 0;
    else
      sd_bus_message_skip(m, "v");
    sd_bus_message_exit_container(m);
  }
  sd_bus_message_exit_container(m);
  return quiet;
}

void record(sd_bus_message *m, const std::string &call) {
  const bool quiet = noUserInteraction(m);
  std::lock_guard<std::mutex> lock(gLog->mutex);
  gLog->calls.push_back(call);
  gLog->allQuiet &= quiet;
}

std::string lastComponent(const std::string &path) {
  return path.substr(path.rfind('/') + 1);
}

int getDeviceNumber(sd_bus *, const char *, const char *, const char *, sd_bus_message *reply, void *data,
                    sd_bus_error *) {
  const auto *fs = static_cast<FakeFilesystem *>(data);
  return sd_bus_message_append(reply, "t", static_cast<uint64_t>(makedev(fs->major, fs->minor)));
}

int getDrive(sd_bus *, const char *, const char *, const char *, sd_bus_message *reply, void *data, sd_bus_error *) {
  return sd_bus_message_append(reply, "o", static_cast<FakeFilesystem *>(data)->drive);
}

int getMountPoints(sd_bus *, const char *, const char *, const char *, sd_bus_message *reply, void *data,
                   sd_bus_error *) {
  const auto *fs = static_cast<FakeFilesystem *>(data);
  sd_bus_message_open_container(reply, 'a', "ay");
  for (int i = 0; i < fs->mountPoints; ++i) {
    const std::string point = "/media/ann/" + lastComponent(fs->path) + "-" + std::to_string(i);
    sd_bus_message_append_array(reply, 'y', point.c_str(), point.size() + 1);
  }
  return sd_bus_message_close_container(reply);
}

int unmount(sd_bus_message *m, void *data, sd_bus_error *) {
  auto *fs = static_cast<FakeFilesystem *>(data);
  record(m, "Unmount " + lastComponent(fs->path));
  if (fs->busy) return sd_bus_reply_method_errorf(m, "org.freedesktop.UDisks2.Error.DeviceBusy", "target is busy");
  if (fs->mountPoints == 0) return sd_bus_reply_method_errorf(m, "org.freedesktop.UDisks2.Error.NotMounted", "no");
  --fs->mountPoints;
  return sd_bus_reply_method_return(m, "");
}

int eject(sd_bus_message *m, void *data, sd_bus_error *) {
  record(m, "Eject " + lastComponent(static_cast<FakeDrive *>(data)->path));
  return sd_bus_reply_method_return(m, "");
}

int powerOff(sd_bus_message *m, void *data, sd_bus_error *) {
  record(m, "PowerOff " + lastComponent(static_cast<FakeDrive *>(data)->path));
  return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kBlockVtable[] = {
    SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("DeviceNumber", "t", getDeviceNumber, 0, 0),
    SD_BUS_PROPERTY("Drive", "o", getDrive, 0, 0),
    SD_BUS_PROPERTY("IdLabel", "s", nullptr, 0, SD_BUS_VTABLE_PROPERTY_CONST), SD_BUS_VTABLE_END};
const sd_bus_vtable kFilesystemVtable[] = {
    SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("MountPoints", "aay", getMountPoints, 0, 0),
    SD_BUS_METHOD("Unmount", "a{sv}", "", unmount, SD_BUS_VTABLE_UNPRIVILEGED), SD_BUS_VTABLE_END};
const sd_bus_vtable kDriveVtable[] = {SD_BUS_VTABLE_START(0),
                                      SD_BUS_PROPERTY("Ejectable", "b", nullptr, offsetof(FakeDrive, ejectable), 0),
                                      SD_BUS_PROPERTY("CanPowerOff", "b", nullptr, offsetof(FakeDrive, canPowerOff), 0),
                                      SD_BUS_METHOD("Eject", "a{sv}", "", eject, SD_BUS_VTABLE_UNPRIVILEGED),
                                      SD_BUS_METHOD("PowerOff", "a{sv}", "", powerOff, SD_BUS_VTABLE_UNPRIVILEGED),
                                      SD_BUS_VTABLE_END};

// A private bus daemon and, when asked, a stand-in UDisks2 on it, served by a
// thread of its own. The system bus address points at it while it lives.
class FakeUDisks : public ::testing::Test {
protected:
  void SetUp() override {
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0) GTEST_SKIP() << "dbus-daemon is not installed";
    const std::string config = dir_ / "bus.conf";
    const std::string socket = dir_ / "bus";
    testing_support::writeFile(config, "<busconfig><type>session</type><listen>unix:path=" + socket +
                                           "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                                           "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                                           "<allow own=\"*\"/><allow user=\"*\"/>"
                                           "</policy></busconfig>");
    std::string configArgument = "--config-file=" + config;
    // The daemon prints its address once it takes connections: the test waits for
    // that, however long a loaded machine makes it.
    char *argv[] = {const_cast<char *>("/usr/bin/dbus-daemon"), const_cast<char *>("--nofork"), configArgument.data(),
                    const_cast<char *>("--print-address=3"), nullptr};
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&quiet, ready[1], 3);
    const int spawned = posix_spawn(&daemon_, argv[0], &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    ::close(ready[1]);
    std::string printed;
    char c;
    while (spawned == 0 && printed.find('\n') == std::string::npos) {
      const ssize_t got = ::read(ready[0], &c, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break; // the daemon ended without listening
      printed.push_back(c);
    }
    ::close(ready[0]);
    ASSERT_EQ(spawned, 0);
    ASSERT_NE(printed.find('\n'), std::string::npos) << "dbus-daemon did not start";
    address_ = "unix:path=" + socket;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);

    stick_.path = kStick;
    stick_.ejectable = 1;
    fixed_.path = kFixed;
    sdb1_ = {std::string(kBase) + "/block_devices/sdb1", 8, 17, kStick, 2, false};
    sdb2_ = {std::string(kBase) + "/block_devices/sdb2", 8, 18, kStick, 1, false};
    sda1_ = {std::string(kBase) + "/block_devices/sda1", 8, 1, kFixed, 1, false};
    loop0_ = {std::string(kBase) + "/block_devices/loop0", 7, 0, "/", 1, false};
    gLog = &log_;
  }

  void TearDown() override {
    stop_ = true;
    if (service_.joinable()) service_.join();
    if (daemon_ > 0) {
      ::kill(daemon_, SIGTERM);
      ::waitpid(daemon_, nullptr, 0);
    }
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    gLog = nullptr;
  }

  // Starts serving the objects; returns once the daemon's name is taken (or the
  // service could not start, which fails the test).
  void serve() {
    std::promise<bool> started;
    std::future<bool> ready = started.get_future();
    service_ = std::thread([this, &started] {
      sd_bus *bus = nullptr;
      if (sd_bus_new(&bus) < 0) return started.set_value(false);
      sd_bus_set_address(bus, address_.c_str());
      sd_bus_set_bus_client(bus, 1);
      if (sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return started.set_value(false);
      }
      sd_bus_add_object_manager(bus, nullptr, kBase);
      for (FakeFilesystem *fs : {&sdb1_, &sdb2_, &sda1_, &loop0_}) {
        sd_bus_add_object_vtable(bus, nullptr, fs->path.c_str(), "org.freedesktop.UDisks2.Block", kBlockVtable, fs);
        sd_bus_add_object_vtable(bus, nullptr, fs->path.c_str(), "org.freedesktop.UDisks2.Filesystem",
                                 kFilesystemVtable, fs);
      }
      for (FakeDrive *drive : {&stick_, &fixed_})
        sd_bus_add_object_vtable(bus, nullptr, drive->path, "org.freedesktop.UDisks2.Drive", kDriveVtable, drive);
      started.set_value(sd_bus_request_name(bus, "org.freedesktop.UDisks2", 0) >= 0);
      while (!stop_) {
        if (sd_bus_process(bus, nullptr) > 0) continue;
        sd_bus_wait(bus, 20000);
      }
      sd_bus_flush_close_unref(bus);
    });
    ASSERT_TRUE(ready.get()) << "the stand-in daemon could not take its name";
  }

  static platform::Volume volumeOn(unsigned major, unsigned minor) {
    platform::Volume volume;
    volume.mountPoint = "/media/ann/STICK";
    volume.devMajor = major;
    volume.devMinor = minor;
    volume.type = platform::DriveType::Removable;
    return volume;
  }

  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> lock(log_.mutex);
    return log_.calls;
  }

  testing_support::TempDir dir_;
  pid_t daemon_ = 0;
  std::string address_;
  std::thread service_;
  std::atomic<bool> stop_ = false;
  CallLog log_;
  FakeDrive stick_, fixed_;
  FakeFilesystem sdb1_, sdb2_, sda1_, loop0_;
};

} // namespace

TEST_F(FakeUDisks, UnmountsEveryFilesystemOfTheDriveThenEjects) {
  serve();
  EXPECT_EQ(platform::ejectWithUDisks(volumeOn(8, 17)), platform::EjectStatus::Ok);
  std::vector<std::string> made = calls();
  ASSERT_EQ(made.size(), 4u);
  EXPECT_EQ(made.back(), "Eject Stick");
  // The daemon lists its objects in no particular order.
  std::sort(made.begin(), made.end() - 1);
  const std::vector<std::string> expected = {"Unmount sdb1", "Unmount sdb1", "Unmount sdb2", "Eject Stick"};
  EXPECT_EQ(made, expected);
  EXPECT_TRUE(log_.allQuiet);
  EXPECT_EQ(sda1_.mountPoints, 1); // the fixed disk beside it is left alone
}

TEST_F(FakeUDisks, PowersOffADriveWithoutEjectableMedium) {
  stick_.ejectable = 0;
  serve();
  EXPECT_EQ(platform::ejectWithUDisks(volumeOn(8, 18)), platform::EjectStatus::Ok);
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().back(), "PowerOff Stick");
}

TEST_F(FakeUDisks, BusyFilesystemStopsTheEject) {
  sdb2_.busy = true;
  serve();
  EXPECT_EQ(platform::ejectWithUDisks(volumeOn(8, 17)), platform::EjectStatus::Refused);
  for (const std::string &call : calls())
    EXPECT_NE(call, "Eject Stick");
}

TEST_F(FakeUDisks, DevicesTheDaemonCannotEjectAreLeftToTheKernel) {
  serve();
  EXPECT_FALSE(platform::ejectWithUDisks(volumeOn(8, 99)).has_value()); // unknown to the daemon
  EXPECT_FALSE(platform::ejectWithUDisks(volumeOn(7, 0)).has_value());  // a loop device has no drive
  EXPECT_TRUE(calls().empty());
}

TEST_F(FakeUDisks, BusWithoutTheDaemonIsLeftToTheKernel) {
  EXPECT_FALSE(platform::ejectWithUDisks(volumeOn(8, 17)).has_value());
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-bus")).c_str(), 1);
  EXPECT_FALSE(platform::ejectWithUDisks(volumeOn(8, 17)).has_value());
}
