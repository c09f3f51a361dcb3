#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/disk_read.h"
#include "test_support.h"

using testing_support::TempDir;

namespace {

// A parked file is opened again for the next read: the read goes on where it stopped
// only when the very same file, of the same size, is found there.
TEST(DiskFile, AParkedFileGoesOnOnlyWhenItIsTheSameFile) {
  struct Case {
    const char *what;
    std::function<void(const TempDir &dir)> meanwhile;
    int error; // 0: the rest is read
  };
  const Case cases[] = {
      {"left alone", [](const TempDir &) {}, 0},
      {"replaced by another file of the same size",
       [](const TempDir &dir) {
         dir.createFile("disk/new", "0123456789");
         ASSERT_EQ(::rename((dir / "disk/new").c_str(), (dir / "disk/f").c_str()), 0);
       },
       ESTALE},
      {"grown", [](const TempDir &dir) { testing_support::writeFile(dir / "disk/f", "0123456789++"); }, ESTALE},
      {"replaced by a link to a file off the disk",
       [](const TempDir &dir) {
         const std::string outside = dir.createFile("outside", "0123456789");
         ASSERT_EQ(::unlink((dir / "disk/f").c_str()), 0);
         ASSERT_EQ(::symlink(outside.c_str(), (dir / "disk/f").c_str()), 0);
       },
       ELOOP},
      {"removed", [](const TempDir &dir) { ASSERT_EQ(::unlink((dir / "disk/f").c_str()), 0); }, ENOENT},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.createFile("disk/f", "0123456789");
    platform::DiskFile file(dir / "disk", platform::resolveOnDisk(dir / "disk", {"f"}));
    ASSERT_EQ(file.open(), 0);
    EXPECT_EQ(file.size(), 10);
    char buffer[16] = {};
    ASSERT_EQ(file.read(buffer, 4), 4);
    file.park();
    c.meanwhile(dir);
    errno = 0;
    const long n = file.read(buffer + 4, sizeof buffer - 4);
    if (c.error == 0) {
      EXPECT_EQ(n, 6);
      EXPECT_EQ(std::string(buffer, 10), "0123456789");
    } else {
      EXPECT_EQ(n, -1);
      EXPECT_EQ(errno, c.error);
    }
  }
}

} // namespace
