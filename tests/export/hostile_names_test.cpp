// A catalog from someone else and a stick with links out of it: every file action stays
// inside the disk it reads and the folder it writes.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "export/drag_files.h"
#include "export_fixture.h"

namespace export_tests {
namespace {

const char *const kCraftedCatalog = "zar_version_1_1\r\n"
                                    "< \r\n"
                                    "   %drivetype fixed\r\n"
                                    "> \r\n"
                                    " + \"DATA\" 1000 500 1 1 2020 0 0 0\r\n"
                                    " < \r\n"
                                    " + \"..\" 0 0 1 1 2020 0 0 0\r\n"
                                    " < \r\n"
                                    " \"secret.txt\" 6 1 1 2020 0 0 0\r\n"
                                    " > \r\n"
                                    " + \"docs\" 0 0 1 1 2020 0 0 0\r\n"
                                    " < \r\n"
                                    " + \"..\" 0 0 1 1 2020 0 0 0\r\n"
                                    " < \r\n"
                                    " > \r\n"
                                    " \"a.txt\" 5 1 1 2020 0 0 0\r\n"
                                    " \"inside.txt\" 5 1 1 2020 0 0 0\r\n"
                                    " \"notes.txt\" 6 1 1 2020 0 0 0\r\n"
                                    " > \r\n"
                                    " + \"arch.zip\" 300 0 1 1 2020 0 0 0\r\n"
                                    "<\r\n"
                                    "\"../../payload.txt\" 7 1 1 2020 0 0 0\r\n"
                                    "\"readme.txt\" 7 1 1 2020 0 0 0\r\n"
                                    ">\r\n"
                                    " \"photo.jpg\" 3 1 1 2020 0 0 0\r\n"
                                    " > \r\n";

// The disk DATA holds a file, a link to it, links out of the disk and an archive with a
// member that climbs; its catalog adds names that climb out of their folders.
class HostileNames : public DiskTest {
protected:
  void SetUp() override {
    root_ = dir_.createDir("media/DATA");
    dir_.createFile("media/secret.txt", "SECRET");
    dir_.createFile("outside/key.txt", "KEY");
    dir_.createFile("media/DATA/docs/a.txt", "alpha");
    ASSERT_EQ(::symlink("a.txt", (root_ + "/docs/inside.txt").c_str()), 0);
    ASSERT_EQ(::symlink("../../secret.txt", (root_ + "/docs/notes.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir_ / "outside/key.txt").c_str(), (root_ + "/photo.jpg").c_str()), 0);
    testing_support::ZipBuilder()
        .add("../../payload.txt", "PAYLOAD")
        .add("readme.txt", "read me")
        .writeTo(root_ + "/arch.zip");
    testing_support::writeFile(dir_ / "DATA.zar", kCraftedCatalog);
    loadAndOffer(dir_ / "DATA.zar");
  }

  // The entry named name in the folder at folderPath (names holding "/" cannot be
  // reached by a path).
  const tavlor::FileData &named(const std::string &folderPath, const std::string &name) {
    const tavlor::FileData *found = model_.lookupEntry(model_.findItemByPath(folderPath), name);
    if (!found) throw std::runtime_error("no entry " + name + " in " + folderPath);
    return *found;
  }

  // Nothing outside the test's destinations was written, and no file below them holds
  // what lies outside the disk.
  void expectContained(const std::string &destination) {
    for (const char *escaped : {"payload.txt", "media/payload.txt", "outside/payload.txt"})
      EXPECT_FALSE(std::filesystem::exists(dir_ / escaped)) << escaped;
    if (!std::filesystem::exists(destination)) return;
    for (const auto &file : std::filesystem::recursive_directory_iterator(destination)) {
      if (!file.is_regular_file()) continue;
      const std::string text = testing_support::readFile(file.path());
      EXPECT_TRUE(text != "SECRET" && text != "KEY") << file.path() << " came from outside the disk";
    }
  }
};

TEST_F(HostileNames, CopiesDragsAndOpensStayOnTheDiskAndInTheirDestination) {
  struct Case {
    std::string folder, name;
    std::string written;  // file expected in the destination ("" for none)
    std::string contents; // its contents
    std::string reason;   // fragment of the failure ("" for none)
    std::string opened;   // how the path Open hands over ends ("" when Open refuses)
  };
  const std::vector<Case> cases = {
      {"DATA/..", "secret.txt", "", "", "\"..\", which cannot name a file", ""},
      {"DATA/docs", "..", "", "", "\"..\", which cannot name a file", ""},
      {"DATA/arch.zip", "../../payload.txt", "", "", "cannot name a file", ""},
      {"DATA", "photo.jpg", "", "", "outside the disk", ""},
      {"DATA/docs", "notes.txt", "", "", "outside the disk", ""},
      {"DATA/docs", "inside.txt", "inside.txt", "alpha", "", "/media/DATA/docs/a.txt"},
      {"DATA/arch.zip", "readme.txt", "readme.txt", "read me", "", "/temp/readme.txt"},
      {"DATA", "docs", "docs/inside.txt", "alpha", "docs/notes.txt: a symbolic link to a place outside the disk",
       "/media/DATA/docs"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.folder + " / " + c.name);
    const std::string destination = dir_.createDir("out/" + std::to_string(&c - cases.data()));
    const tavlor::FileData &entry = named(c.folder, c.name);
    const tavlor::EntrySource source = tavlor::entrySource(model_, entry);
    const tavlor::CopyResult copied = tavlor::copySource(source, destination, true, false, false, ui_);
    std::string failures;
    for (const tavlor::CopyFailure &failure : copied.failures)
      failures += failure.path + ": " + failure.reason + "\n";
    if (c.reason.empty())
      EXPECT_EQ(failures, "");
    else
      expectContains(failures, {c.reason});
    if (!c.written.empty()) {
      EXPECT_EQ(testing_support::readFile(destination + "/" + c.written), c.contents);
    }
    expectContained(destination);

    const tavlor::PreparedDrag drag = tavlor::prepareDrag({source}, ui_);
    ASSERT_FALSE(drag.folder.empty());
    for (const std::string &path : drag.paths)
      EXPECT_EQ(path.compare(0, drag.folder.size() + 1, drag.folder + "/"), 0) << path;
    EXPECT_EQ(drag.failures.empty(), c.reason.empty());
    expectContained(drag.folder);

    // Open hands over the real path on the disk (a link's target inside it) or says why not.
    desktop_.launches.clear();
    ui_.messages.clear();
    tavlor::launchEntry(model_, entry, {}, ui_, desktop_, extracted_);
    if (c.opened.empty()) {
      EXPECT_TRUE(desktop_.launches.empty());
      ASSERT_EQ(ui_.messages.size(), 1u);
      expectContains(ui_.messages[0], {"File launch failed: " + source.catalogPath, c.reason});
    } else {
      ASSERT_EQ(desktop_.launches.size(), 1u);
      const std::string &path = desktop_.launches[0].second;
      EXPECT_EQ(path.substr(path.size() - std::min(path.size(), c.opened.size())), c.opened);
    }
  }
  EXPECT_TRUE(ui_.prompts.empty());
}

// Someone who can write in the temporary folder prepares names there before the user's
// first drag or open: the program uses a folder of its own instead.
TEST_F(HostileNames, ASharedTemporaryFolderIsNeverTrusted) {
  const std::string shared = dir_.createDir("shared");
  ::chmod(shared.c_str(), 01777);
  const std::string other = dir_.createDir("elsewhere");
  ASSERT_EQ(::symlink(other.c_str(), (shared + "/TV60_dd_tmp").c_str()), 0);
  ::setenv("TEMP", shared.c_str(), 1);

  const std::string root = tavlor::privateTemporaryFolder();
  struct stat st;
  ASSERT_EQ(::lstat(root.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(root, shared + "/tavlor-" + std::to_string(::geteuid()));

  const tavlor::PreparedDrag drag = tavlor::prepareDrag({tavlor::entrySource(model_, named("DATA/docs", "a.txt"))}, ui_);
  EXPECT_EQ(drag.folder.compare(0, root.size() + 1, root + "/"), 0) << drag.folder;
  EXPECT_EQ(testing_support::readFile(drag.folder + "/a.txt"), "alpha");
  EXPECT_TRUE(std::filesystem::is_empty(other));

  // The per-user name itself taken by a link: a fresh folder of this process instead.
  ::setenv("TEMP", dir_.createDir("shared2").c_str(), 1);
  ::chmod((dir_ / "shared2").c_str(), 01777);
  ASSERT_EQ(::symlink(other.c_str(), (dir_ / ("shared2/tavlor-" + std::to_string(::geteuid()))).c_str()), 0);
  const std::string fresh = tavlor::privateTemporaryFolder();
  EXPECT_NE(fresh.find("/shared2/tavlor-"), std::string::npos) << fresh;
  EXPECT_NE(fresh, dir_ / ("shared2/tavlor-" + std::to_string(::geteuid())));
  EXPECT_TRUE(launch("DATA/arch.zip/readme.txt"));
  ASSERT_EQ(desktop_.launches.size(), 1u);
  EXPECT_EQ(desktop_.launches[0].second.compare(0, fresh.size() + 1, fresh + "/"), 0) << desktop_.launches[0].second;
  EXPECT_TRUE(std::filesystem::is_empty(other));
}

} // namespace
} // namespace export_tests
