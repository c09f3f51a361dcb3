#include <gtest/gtest.h>

#include "platform/udev_db.h"

TEST(UdevDatabase, DecodesHexEscapes) {
  EXPECT_EQ(platform::decodeUdevEscapes("MY\\x20DISK"), "MY DISK");
  EXPECT_EQ(platform::decodeUdevEscapes("a\\x2fb\\x5c"), "a/b\\");
  EXPECT_EQ(platform::decodeUdevEscapes("\\xc3\\xa9t\\xC3\\xA9"), "\xc3\xa9t\xc3\xa9");
  // Broken escapes stay as written rather than eating the following bytes.
  EXPECT_EQ(platform::decodeUdevEscapes("\\x4"), "\\x4");
  EXPECT_EQ(platform::decodeUdevEscapes("\\xg1\\"), "\\xg1\\");
}

TEST(UdevDatabase, FindsPropertiesByWholeKey) {
  const std::string entry = "S:disk/by-label/MY\\x20DISK\n"
                            "E:ID_FS_LABEL=MY_DISK\n"
                            "E:ID_FS_LABEL_ENC=MY\\x20DISK\n"
                            "E:ID_FS_TYPE=vfat\n"
                            "E:ID_CDROM=1\n";
  EXPECT_EQ(platform::udevProperty(entry, "ID_FS_LABEL_ENC"), "MY\\x20DISK");
  EXPECT_EQ(platform::udevProperty(entry, "ID_FS_LABEL"), "MY_DISK");
  EXPECT_EQ(platform::udevProperty(entry, "ID_CDROM"), "1");
  EXPECT_FALSE(platform::udevProperty(entry, "ID_FS").has_value());
  EXPECT_FALSE(platform::udevProperty(entry, "disk/by-label/MY\\x20DISK").has_value());
}
