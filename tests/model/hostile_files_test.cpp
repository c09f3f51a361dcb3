// Catalog files that are not what their name says, and damaged numbers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include "model/properties.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using namespace model_tests;
using testing_support::TempDir;

TEST(HostileFiles, OnlyRegularFilesOfASaneSizeAreRead) {
  TempDir dir;
  const std::string fifo = dir / "evil.zar";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A hole of 64 GiB after a valid start: nothing of it may be read.
  const std::string sparse = dir.createFile("x.zar", diskCatalog("X", ""));
  ASSERT_EQ(::truncate(sparse.c_str(), 64ll << 30), 0);
  const std::string bigText = diskCatalog("BIG", "");
  const std::string big = dir.createFile("big.zar", bigText);
  const std::uint64_t bigSize = bigText.size();
  const std::string noVersion = dir.createFile("junk.zar", std::string(100000, '\0'));

  struct Case {
    std::string path;
    std::string says;
    std::uint64_t limit = maxCatalogBytes();
  };
  for (const Case &c : {Case{fifo, "It is not a regular file"}, Case{dir.path(), "It is not a regular file"},
                        Case{sparse, "The file has holes (68,719,476,736 bytes"},
                        Case{big,
                             "The file is too large to be a catalog (" + std::to_string(bigSize) + " bytes; at most " +
                                 std::to_string(bigSize - 1) + " are loaded)",
                             bigSize - 1},
                        Case{noVersion, "The file is not compatible"}}) {
    CatalogModel model;
    RecordingReporter reporter;
    EXPECT_EQ(loadCatalog(model, c.path, reporter, c.limit).status, LoadStatus::Rejected) << c.path;
    ASSERT_EQ(reporter.boxes.size(), 1u) << c.path;
    EXPECT_NE(reporter.boxes[0].text.find("Cannot read " + c.path + "\n" + c.says), std::string::npos)
        << reporter.boxes[0].text;
    EXPECT_EQ(model.entryCount(), 0u);
  }
  CatalogModel model;
  RecordingReporter reporter;
  EXPECT_EQ(loadCatalog(model, big, reporter, bigSize).status, LoadStatus::Loaded);
}

TEST(HostileFiles, FolderSizeWordsAreWords) {
  // Each row: a damaged folder line, where the file after it lands, and the folder's
  // sizes. The file "after" that follows must stay on the disk, and the disk keep it.
  struct Case {
    std::string line, filePath;
    std::int64_t size, freeSpace;
  };
  for (const Case &c : std::vector<Case>{
           {"+ \"f\" x y 1 1 2000 0 0 0 < \"in\" 1 1 1 2000 0 0 0 >", "D/f/in", 0, 0},
           {"+ \"f\" 12x -3y 1 1 2000 0 0 0 < \"in\" 1 1 1 2000 0 0 0 >", "D/f/in", 12, -3},
           // The ">" is the folder's "no body" word (read as the word after the date).
           {"+ \"f\" 5 > \"next\" 2 1 1 2000 0 0 0", "D/next", 5, 0},
           {"+ \"f\" 5> \"next\" 2 1 1 2000 0 0 0", "D/next", 5, 0},
           {"+ \"f\" x < \"in\" 1 1 1 2000 0 0 0 >", "D/f/in", 0, 0},
           // A name where the numbers should be is not taken for them: the file after
           // the line stays on the disk.
           {"+ \"f\" \"in\" 1 1 1 2000 0 0 0", "D/f", 0, 0},
       }) {
    SCOPED_TRACE(c.line);
    CatalogModel model;
    RecordingReporter reporter;
    load(model, diskCatalog("D", c.line + "\n \"after\" 3 1 1 2000 0 0 0\n"), reporter);
    const FileData *f = model.findEntryByPath("D/f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size(), c.size);
    EXPECT_EQ(f->freeSpace(), c.freeSpace);
    EXPECT_NE(model.findEntryByPath(c.filePath), nullptr);
    ASSERT_NE(model.findEntryByPath("D/after"), nullptr);
    EXPECT_EQ(model.findEntryByPath("D/after")->size(), 3);
  }
}

TEST(HostileFiles, SumsSaturateAndNeverGoNegative) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " + \"dir\" 0 0 1 1 2000 0 0 0\n < \n \"a\" 9223372036854775807 1 1 2000 0 0 0\n"
                        " \"b\" 1 1 1 2000 0 0 0\n + \"z.zip\" -9223372036854775808 0 1 1 2000 0 0 0\n<\n>\n"
                        " + \"big.zip\" 9223372036854775807 0 1 1 2000 0 0 0\n<\n>\n > \n"),
       reporter);
  const FileData *dir = model.findEntryByPath("D/dir");
  EXPECT_EQ(model.sizeText(*dir), "9,223,372,036,854,775,807");
  EXPECT_EQ(propertiesOf(model, *dir).size, "9,223,372,036,854,775,807");
  EXPECT_EQ(rootProperties(model, 0).size, "9,223,372,036,854,775,807");
}
