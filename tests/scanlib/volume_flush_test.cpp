#include <unistd.h>

#include "Tavscan60.h"
#include "volume_table_fixture.h"

namespace {

const char kMalformed[] = "Drive name should be the mount point of a volume.";
const char kNoDevice[] = "The device does not exist.";
const char kNotResponding[] = "The device is not responding.";

// flushdisk's result and message text ("" for none), the message released.
struct Flushed {
  bool ok;
  std::string message;
  bool hadMessage;
};

Flushed flush(const char *drive, bool eject) {
  char *message = nullptr;
  const bool ok = flushdisk(drive, eject, message);
  Flushed result{ok, message ? message : "", message != nullptr};
  strdelete(message);
  return result;
}

} // namespace

TEST_F(VolumeTableTest, FlushRefusesNamesThatAreNoMountPoint) {
  useTable({"usb\tU\tremovable"});
  dir_.createDir("plain");
  for (const char *name : {"", "usb", "relative/path"}) {
    const Flushed result = flush(name, false);
    EXPECT_FALSE(result.ok) << name;
    EXPECT_EQ(result.message, kMalformed) << name;
  }
  EXPECT_EQ(flush(nullptr, false).message, kMalformed);
  EXPECT_EQ(flush(root("plain").c_str(), true).message, kMalformed);
  EXPECT_EQ(flush((root("usb") + "/inside").c_str(), true).message, kNoDevice);
  dir_.createDir("usb/folder");
  EXPECT_EQ(flush((root("usb") + "/folder").c_str(), true).message, kMalformed);
}

TEST_F(VolumeTableTest, FlushReportsTheStateOfTheDrive) {
  useTable({"gone\tG\tremovable", "empty\tE\tcdrom\tENOMEDIUM", "broken\tB\tremovable\tEIO",
            "unplugged\tP\tremovable\tENODEV"});
  EXPECT_EQ(flush(root("gone").c_str(), false).message, kNoDevice);
  EXPECT_EQ(flush(root("unplugged").c_str(), true).message, kNoDevice);
  EXPECT_EQ(flush(root("broken").c_str(), true).message, kNotResponding);
  const Flushed empty = flush(root("empty").c_str(), true);
  EXPECT_FALSE(empty.ok);
  EXPECT_FALSE(empty.hadMessage);
}

TEST_F(VolumeTableTest, FlushLeavesNonRemovableDrivesAlone) {
  useTable({"fixed\tF\tfixed", "nas\tN\tremote", "ram\tR\tramdisk"});
  for (const char *name : {"fixed", "nas", "ram"}) {
    const Flushed result = flush(root(name).c_str(), true);
    EXPECT_FALSE(result.ok) << name;
    EXPECT_FALSE(result.hadMessage) << name;
  }
}

TEST_F(VolumeTableTest, FlushesRemovableAndOpticalTableVolumes) {
  useTable({"usb\tU\tremovable", "cd\tC\tcdrom"});
  EXPECT_TRUE(flush(root("usb").c_str(), false).ok);
  const Flushed ejected = flush((root("usb") + "/").c_str(), true);
  EXPECT_TRUE(ejected.ok);
  EXPECT_FALSE(ejected.hadMessage);
  EXPECT_TRUE(flush(root("cd").c_str(), true).ok);
  EXPECT_EQ(::access(root("usb").c_str(), F_OK), 0); // table volumes are never ejected
}

TEST_F(VolumeTableTest, FlushReleasesTheMessageItWasGiven) {
  useTable({"usb\tU\tremovable"});
  char *message = nullptr;
  EXPECT_FALSE(flushdisk("", false, message));
  ASSERT_NE(message, nullptr);
  EXPECT_TRUE(flushdisk(root("usb").c_str(), false, message));
  EXPECT_EQ(message, nullptr);
}
