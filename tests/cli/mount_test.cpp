// tavlor mount end to end, in a private mount namespace so that nothing outlives the
// test: the walk of the mounted view matches the catalog, files read through while the
// disk is offered and fail with "No medium found" once it is gone, nothing can be
// written, a second mount at the same point is refused, and the unmount ends it with 0.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "Tavscan60.h"
#include "test_support.h"
#include "zip_builder.h"

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::TempDir;

namespace {

std::string fuseUnusable() {
  if (::geteuid() != 0) return "needs root (a private mount namespace)";
  if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse is not usable";
  if (::access("/usr/bin/fusermount3", X_OK) != 0 && ::access("/bin/fusermount3", X_OK) != 0)
    return "fusermount3 is not installed";
  if (runProgram({"/usr/bin/unshare", "-m", "/bin/true"}).status != 0) return "no private mount namespace";
  return "";
}

// Everything runs inside the namespace; what the test looks at is left in $WORK. The
// whole process group is killed when it takes too long, and the namespace's mounts go
// with its last process, so a hung view cannot stop the test run.
const char *const kScript = R"(
M="$WORK/mnt"
"$CLI" mount --catalogs "$WORK/cat" "$M" 2>"$WORK/mount.err" &
pid=$!
trap 'fusermount3 -u "$M" 2>/dev/null; kill $pid 2>/dev/null' EXIT
i=0
until grep -q " $M .* - fuse.tavlor " /proc/self/mountinfo; do
  i=$((i + 1)); [ $i -le 200 ] || { echo "not mounted" >&2; exit 5; }
  kill -0 $pid 2>/dev/null || { echo "the mount ended early" >&2; exit 6; }
  sleep 0.05
done
cd "$M"
find . -printf '%s %TY-%Tm-%Td %p\n' | LC_ALL=C sort -k3 > "$WORK/find.txt"
cat DATA/docs/a.txt > "$WORK/a.txt"
cat DATA/arch.zip/src/readme.txt > "$WORK/readme.txt"
cat DATA/docs/escape.txt > "$WORK/escape.txt" 2>/dev/null; echo "escape $?" >> "$WORK/status.txt"
touch DATA/new.txt 2>> "$WORK/write.err"; echo "touch $?" >> "$WORK/status.txt"
: > "$VOLUMES"
cat DATA/docs/A.txt 2> "$WORK/absent.err"; echo "absent $?" >> "$WORK/status.txt"
cd /
"$CLI" mount --catalogs "$WORK/cat" "$M" 2> "$WORK/second.err"; echo "second $?" >> "$WORK/status.txt"
fusermount3 -u "$M"
wait $pid; echo "mount $?" >> "$WORK/status.txt"
trap - EXIT
)";

TEST(MountCommand, TheViewListsTheCatalogAndReadsThroughToTheDisk) {
  const std::string unusable = fuseUnusable();
  if (!unusable.empty()) GTEST_SKIP() << "FUSE mounts not testable: " << unusable;
  TempDir dir;
  using testing_support::localTime;
  using testing_support::setModificationTime;
  const std::string disk = dir.createDir("media/DATA");
  dir.createFile("outside/secret.txt", "SECRET");
  setModificationTime(dir.createFile("media/DATA/docs/a.txt", "alpha"), localTime(8, 7, 2018, 12, 0, 0));
  setModificationTime(dir.createFile("media/DATA/docs/A.txt", "ALPHA!"), localTime(9, 7, 2018, 12, 0, 0));
  ASSERT_EQ(::symlink("../../../outside/secret.txt", (disk + "/docs/escape.txt").c_str()), 0);
  setModificationTime(disk + "/docs/escape.txt", localTime(10, 7, 2018, 12, 0, 0));
  testing_support::ZipBuilder().add("src/readme.txt", "read me", 3, 2, 2001).writeTo(disk + "/arch.zip");
  setModificationTime(disk + "/arch.zip", localTime(6, 5, 2019, 12, 0, 0));
  setModificationTime(disk + "/docs", localTime(5, 5, 2019, 12, 0, 0));
  dir.createDir("cat");
  dir.createDir("mnt");
  ASSERT_EQ(catalogVolume(disk.c_str(), "DATA", (dir / "cat/DATA.zar").c_str(), 1, 1, 2020, 0, 0, 0, nullptr, nullptr),
            kTavscanCatalogOk);
  // Grown since it was cataloged: listed as cataloged, read whole.
  testing_support::writeFile(disk + "/docs/a.txt", "alpha, and more since");
  const std::string volumes = dir / "volumes.tab";
  testing_support::writeFile(volumes, disk + "\tDATA\tremovable\n");

  const auto result = runProgram(
      {"/usr/bin/timeout", "-k", "5", "60", "/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
       kScript},
      {"CLI=" TAVLOR_CLI_PATH, "WORK=" + dir.path(), "VOLUMES=" + volumes, "TAVLOR_VOLUME_TABLE=" + volumes});
  ASSERT_EQ(result.status, 0) << result.out << result.err << readFile(dir / "mount.err");

  EXPECT_EQ(readFile(dir / "find.txt"), "0 2020-01-01 .\n"
                                        "0 2020-01-01 ./DATA\n"
                                        "0 2019-05-06 ./DATA/arch.zip\n"
                                        "0 2019-05-06 ./DATA/arch.zip/src\n"
                                        "7 2001-02-03 ./DATA/arch.zip/src/readme.txt\n"
                                        "0 2019-05-05 ./DATA/docs\n"
                                        "6 2018-07-09 ./DATA/docs/A.txt\n"
                                        "5 2018-07-08 ./DATA/docs/a.txt\n"
                                        "27 2018-07-10 ./DATA/docs/escape.txt\n");
  EXPECT_EQ(readFile(dir / "a.txt"), "alpha, and more since");
  EXPECT_EQ(readFile(dir / "readme.txt"), "read me");
  EXPECT_EQ(readFile(dir / "escape.txt"), "") << "a link out of the disk was followed";
  EXPECT_EQ(readFile(dir / "status.txt"), "escape 1\ntouch 1\nabsent 1\nsecond 1\nmount 0\n");
  EXPECT_NE(readFile(dir / "write.err").find("Read-only file system"), std::string::npos);
  EXPECT_NE(readFile(dir / "absent.err").find("No medium found"), std::string::npos);
  EXPECT_NE(readFile(dir / "mount.err").find("insert the disk \"DATA\" to read DATA/docs/A.txt"), std::string::npos)
      << readFile(dir / "mount.err");
  EXPECT_NE(readFile(dir / "second.err").find("something is mounted there already"), std::string::npos)
      << readFile(dir / "second.err");
}

TEST(MountCommand, MissingMountPointsAndCatalogsAreRefused) {
  TempDir dir;
  const std::string catalogs = dir.createDir("cat");
  const std::string file = dir.createFile("plain.txt", "x");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  for (const Case &c : {
           Case{{"--catalogs", catalogs, dir / "missing"}, "cannot mount at " + dir / "missing" + ": No such file"},
           Case{{"--catalogs", catalogs, file}, "cannot mount at " + file + ": not a folder"},
           Case{{dir / "nothing.zar", catalogs}, "no catalog " + dir / "nothing.zar"},
           Case{{"--catalogs", dir / "none", catalogs}, "cannot list the catalogs folder " + dir / "none"},
       }) {
    std::vector<std::string> argv = {TAVLOR_CLI_PATH, "mount"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(argv));
    const auto result = runProgram(argv);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

} // namespace
