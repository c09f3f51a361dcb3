// The catalogs as a tree of paths: a crafted catalog's names that cannot name a file
// stay out, case twins stay apart, and a catalog that changes is read again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "export/shelf_view.h"
#include "test_support.h"

namespace {

using namespace std::string_literals;

const std::string kShelfCatalog = "zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n"
                                  " + \"SHELF\" 5000 1200 2 3 2021 4 5 6\r\n"
                                  " < \r\n"
                                  " + \"docs\" 0 0 1 1 2020 0 0 0\r\n"
                                  " < \r\n"
                                  " \"a.txt\" 5 3 4 2019 10 20 30\r\n"
                                  " > \r\n"
                                  " + \"Docs\" 0 0 1 1 2020 0 0 0\r\n"
                                  " < \r\n"
                                  " \"b.txt\" 7 1 1 2020 0 0 0\r\n"
                                  " > \r\n"
                                  " + \"..\" 0 0 1 1 2020 0 0 0\r\n"
                                  " < \r\n"
                                  " \"secret.txt\" 6 1 1 2020 0 0 0\r\n"
                                  " > \r\n"
                                  " \"sl/ash.txt\" 1 1 1 2020 0 0 0\r\n"
                                  " \"nul\0.txt\" 1 1 1 2020 0 0 0\r\n"s
                                  " \".\" 1 1 1 2020 0 0 0\r\n"
                                  " \"Read.txt\" 10 1 1 2020 0 0 0\r\n"
                                  " \"read.txt\" 20 1 1 2020 0 0 0\r\n"
                                  " \"dup.txt\" 1 1 1 2020 0 0 0\r\n"
                                  " \"dup.txt\" 2 1 1 2020 0 0 0\r\n"
                                  " + \"arch.zip\" 300 0 1 1 2020 0 0 0\r\n"
                                  " < \r\n"
                                  " \"inner.txt\" 4 1 1 2020 0 0 0\r\n"
                                  " > \r\n"
                                  " > \r\n";

const char *const kOtherCatalog = "zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n"
                                  " + \"OTHER\" 700 300 1 1 2020 0 0 0\r\n"
                                  " < \r\n"
                                  " \"x.txt\" 2 1 1 2020 0 0 0\r\n"
                                  " > \r\n";

class ShelfViewTest : public ::testing::Test {
protected:
  ShelfViewTest() {
    dir.createFile("cat/SHELF.zar", kShelfCatalog);
    // No disk is mounted while these tests run.
    testing_support::writeFile(dir / "volumes.tab", "");
    ::setenv("TAVLOR_VOLUME_TABLE", (dir / "volumes.tab").c_str(), 1);
  }
  ~ShelfViewTest() override { ::unsetenv("TAVLOR_VOLUME_TABLE"); }

  // The names listed from index from on, stopping once limit were taken.
  std::vector<std::string> names(const std::string &path, std::uint64_t from = 0, std::size_t limit = 100) {
    std::vector<std::string> out;
    EXPECT_EQ(view.list(path, from,
                        [&](const std::string &name, const platform::NodeAttributes &) {
                          out.push_back(name);
                          return out.size() < limit;
                        }),
              0);
    return out;
  }
  std::size_t messagesWith(const std::string &fragment) const {
    return std::count_if(messages.begin(), messages.end(),
                         [&](const std::string &m) { return m.find(fragment) != std::string::npos; });
  }

  testing_support::TempDir dir;
  std::vector<std::string> messages;
  tavlor::ShelfView view{{dir / "cat", {}}, [this](const std::string &line) { messages.push_back(line); }};
};

TEST_F(ShelfViewTest, PathsFindTheCatalogsBytesAndNothingElse) {
  ASSERT_TRUE(view.load());
  const time_t early = testing_support::localTime(1, 1, 2020, 0, 0, 0);
  struct Case {
    const char *path;
    int error;
    bool folder;
    std::uint64_t size;
    time_t modified;
  };
  for (const Case &c : {
           Case{"/", 0, true, 0, testing_support::localTime(2, 3, 2021, 4, 5, 6)},
           Case{"/SHELF", 0, true, 0, testing_support::localTime(2, 3, 2021, 4, 5, 6)},
           Case{"/SHELF/docs/a.txt", 0, false, 5, testing_support::localTime(3, 4, 2019, 10, 20, 30)},
           Case{"/SHELF/Docs/b.txt", 0, false, 7, early},
           Case{"/SHELF/docs/b.txt", ENOENT, false, 0, 0},
           Case{"/SHELF/Read.txt", 0, false, 10, early},
           Case{"/SHELF/read.txt", 0, false, 20, early},
           Case{"/SHELF/READ.TXT", ENOENT, false, 0, 0},
           Case{"/SHELF/dup.txt", 0, false, 1, early},
           Case{"/SHELF/arch.zip", 0, true, 0, early},
           Case{"/SHELF/arch.zip/inner.txt", 0, false, 4, early},
           Case{"/SHELF/../secret.txt", ENOENT, false, 0, 0},
           Case{"/SHELF/docs/a.txt/x", ENOTDIR, false, 0, 0},
           Case{"/shelf", ENOENT, false, 0, 0},
       }) {
    SCOPED_TRACE(c.path);
    platform::NodeAttributes a;
    ASSERT_EQ(view.attributes(c.path, a), c.error);
    if (c.error) continue;
    EXPECT_EQ(a.folder, c.folder);
    EXPECT_EQ(a.size, c.size);
    EXPECT_EQ(a.modified, c.modified);
  }

  EXPECT_EQ(names("/SHELF"), (std::vector<std::string>{"Docs", "Read.txt", "arch.zip", "docs", "dup.txt", "read.txt"}));
  EXPECT_EQ(names("/SHELF"), names("/SHELF/"));
  // A listing the kernel takes in parts goes on where the last part ended.
  EXPECT_EQ(names("/SHELF", 2, 2), (std::vector<std::string>{"arch.zip", "docs"}));
  EXPECT_EQ(names("/SHELF", 5), (std::vector<std::string>{"read.txt"}));
  EXPECT_EQ(names("/SHELF", 6), (std::vector<std::string>{}));
  // Each name left out is told once, however often its folder is listed.
  EXPECT_EQ(messagesWith("left out of the view"), 5u) << testing::PrintToString(messages);
  for (const char *fragment :
       {"name \"..\"", "name \"sl/ash.txt\"", "name \"nul?.txt\"", "name \".\"", "a second \"SHELF/dup.txt\""})
    EXPECT_EQ(messagesWith(fragment), 1u) << fragment;

  std::uint64_t total = 0, free = 0, nodes = 0;
  view.space(total, free, nodes);
  EXPECT_EQ(total, 5000u);
  EXPECT_EQ(free, 1200u);
}

TEST_F(ShelfViewTest, ReadingNeedsTheDiskAndAChangedFolderIsReadAgain) {
  ASSERT_TRUE(view.load());
  view.setCheckInterval(std::chrono::milliseconds(0));
  std::uint64_t handle = 0;
  bool unlisted = false;
  EXPECT_EQ(view.open("/SHELF/docs/a.txt", handle, unlisted), ENOMEDIUM);
  EXPECT_EQ(messagesWith("insert the disk \"SHELF\" to read SHELF/docs/a.txt"), 1u);
  EXPECT_EQ(view.open("/SHELF/docs", handle, unlisted), EISDIR);
  EXPECT_EQ(view.open("/SHELF/none", handle, unlisted), ENOENT);

  testing_support::writeFile(dir / "cat/OTHER.zar", kOtherCatalog);
  EXPECT_EQ(names("/"), (std::vector<std::string>{"OTHER", "SHELF"}));
  EXPECT_EQ(names("/OTHER"), (std::vector<std::string>{"x.txt"}));
  std::uint64_t total = 0, free = 0, nodes = 0;
  view.space(total, free, nodes);
  EXPECT_EQ(total, 5700u);
  EXPECT_EQ(free, 1500u);

  testing_support::writeFile(dir / "cat/SHELF.zar", "not a catalog");
  EXPECT_EQ(names("/"), (std::vector<std::string>{"OTHER"}));
  EXPECT_EQ(messagesWith("cannot read the catalog"), 1u);
}

} // namespace
