// Archives built to write outside the destination, through links, or as files that
// look complete when they are not.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Tavscan60.h"
#include "extract_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using namespace extract_test;

namespace {

const char kUncompressCaption[] = "Could not uncompress file in Zip file";

// The destination is root/work/dest; root/outside and root/work/neighbour must never change.
class HostileArchive : public ::testing::Test {
protected:
  HostileArchive() {
    dir.createFile("outside/keep.txt", "keep");
    dir.createFile("work/neighbour.txt", "neighbour");
    dir.createFile("x", "top");
    dir.createDir("work/dest");
  }
  void TearDown() override { EXPECT_EQ(snapshot(dir.path(), "work/dest"), before) << "something outside changed"; }

  bool extractOne(const std::string &member, bool useFolderNames = true) {
    return extractFromZip(zip.c_str(), member.c_str(), dest.c_str(), useFolderNames, true, true, out.data(),
                          out.size());
  }
  int extractAll(bool useFolderNames = true) {
    return extractAllFromZip(zip.c_str(), nullptr, dest.c_str(), useFolderNames, true, true, nullptr);
  }
  // The snapshot is taken after the archive exists, so writing it is no change.
  void writeArchive(const ZipBuilder &builder) {
    builder.writeTo(zip);
    before = snapshot(dir.path(), "work/dest");
  }
  void writeArchive(const std::string &bytes) {
    testing_support::writeFile(zip, bytes);
    before = snapshot(dir.path(), "work/dest");
  }

  TempDir dir;
  BoxRecorder boxes;
  std::string zip = dir / "a.zip";
  std::string dest = dir / "work/dest";
  std::vector<char> out = std::vector<char>(kTavscanPathBufferSize, '\0');
  std::map<std::string, std::string> before = snapshot(dir.path(), "work/dest");
};

} // namespace

TEST_F(HostileArchive, TraversingNamesLandInsideTheDestination) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"../x", "x"},    {"../../x", "x"},        {"a/../../x", "a/x"},
      {"/x", "x"},      {"//etc/x", "etc/x"},    {"C:\\x", "x"},
      {"C:x", "x"},     {"a\\..\\..\\x", "a/x"}, {"..\\..\\work\\x", "work/x"},
      {"./././x", "x"}, {"a/./b//x", "a/b/x"},
  };
  for (const auto &[name, landing] : names) {
    SCOPED_TRACE(name);
    writeArchive(ZipBuilder().add(name, "evil " + name));
    std::filesystem::remove_all(dest);
    EXPECT_EQ(extractAll(), 1);
    EXPECT_EQ(filesBelow(dest), Files{landing});
    EXPECT_EQ(readFile(dest + "/" + landing), "evil " + name);

    std::filesystem::remove_all(dest);
    ASSERT_TRUE(extractOne(name));
    EXPECT_EQ(std::string(out.data()), dest + "/" + landing);
    ASSERT_TRUE(extractOne(name, false));
    EXPECT_EQ(std::string(out.data()), dest + "/x");
  }
  std::filesystem::remove_all(dest);
  writeArchive(ZipBuilder().add("..", "dots").add("a/..", "dots").add("/", "slash").add("C:", "drive"));
  EXPECT_EQ(extractAll(), 0) << "names without a file part are skipped";
  EXPECT_FALSE(extractOne(".."));
  EXPECT_TRUE(filesBelow(dest).empty());
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HostileArchive, LinksInTheDestinationAreNeverWrittenThrough) {
  ASSERT_EQ(::symlink((dir / "outside").c_str(), (dest + "/folderlink").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "outside/keep.txt").c_str(), (dest + "/filelink").c_str()), 0);
  writeArchive(
      ZipBuilder().add("folderlink/keep.txt", "evil").add("folderlink/new.txt", "evil").add("filelink", "new"));

  EXPECT_EQ(extractAll(), 1);
  // The link at the file's own name is replaced by the file; its target is untouched.
  struct stat st = {};
  ASSERT_EQ(::lstat((dest + "/filelink").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(readFile(dest + "/filelink"), "new");
  EXPECT_FALSE(extractOne("folderlink/new.txt"));
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HostileArchive, MemberStoredAsALinkBecomesAPlainFile) {
  ZipEntrySpec link;
  link.name = "passwd";
  link.data = "/etc/passwd";
  link.externalAttributes = 0120777u << 16;
  writeArchive(ZipBuilder().add(link));
  EXPECT_EQ(extractAll(), 1);
  struct stat st = {};
  ASSERT_EQ(::lstat((dest + "/passwd").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(readFile(dest + "/passwd"), "/etc/passwd");
}

TEST_F(HostileArchive, EncryptedMembersAreNotWritten) {
  const std::string plain = dir.createFile("plain/secret.txt", std::string(5000, 's'));
  dir.createFile("plain/stored.txt", "stored secret");
  extract_test::runZip(dir / "plain", {zip, "-P", "pw", "-0", "stored.txt"});
  extract_test::runZip(dir / "plain", {zip, "-P", "pw", "-9", "secret.txt"});
  before = snapshot(dir.path(), "work/dest");

  EXPECT_EQ(extractAll(), 0);
  EXPECT_FALSE(extractOne("stored.txt"));
  EXPECT_FALSE(extractOne("secret.txt"));
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].caption, kUncompressCaption);
  EXPECT_EQ(boxes.boxes()[1].caption, kUncompressCaption);
  EXPECT_TRUE(filesBelow(dest).empty());
}

TEST_F(HostileArchive, DamagedMembersLeaveTheExistingCopyAndNoPartialFile) {
  std::string badCrc = ZipBuilder().add("f.txt", "the real contents").bytes();
  badCrc[badCrc.find("real")] = 'R';
  std::string endsEarly = ZipBuilder().add("f.txt", "the real contents").bytes();
  extract_test::setUncompressedSizes(endsEarly, 40);
  ZipEntrySpec huge;
  huge.name = "f.txt";
  huge.data = "tiny";
  huge.zip64 = true;
  huge.zip64Size = 5ull << 30;
  const std::string beyond = ZipBuilder().add(huge).bytes();

  for (const auto &bytes : {badCrc, endsEarly, beyond}) {
    boxes.clear();
    std::filesystem::remove_all(dest);
    // An existing copy with the member's date: the rule replaces it, the data must not.
    testing_support::setModificationTime(dir.createFile("work/dest/f.txt", "old copy"),
                                         testing_support::localTime(1, 1, 2000, 0, 0, 0));
    writeArchive(bytes);
    EXPECT_FALSE(extractOne("f.txt"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, kUncompressCaption);
    EXPECT_EQ(extractAll(), 0);
    EXPECT_EQ(filesBelow(dest), Files{"f.txt"}) << "no temporary file is left behind";
    EXPECT_EQ(readFile(dest + "/f.txt"), "old copy");
  }
}

TEST_F(HostileArchive, TruncatedArchiveWritesNothing) {
  const std::string whole = ZipBuilder().add("a.txt", std::string(3000, 'a')).add("b.txt", "b").bytes();
  writeArchive(whole.substr(0, whole.size() / 2));
  EXPECT_EQ(extractAll(), 0);
  EXPECT_FALSE(extractOne("a.txt"));
  EXPECT_TRUE(filesBelow(dest).empty());
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HostileArchive, OverlongNamesFailWithoutHarm) {
  const std::string longComponent(300, 'n');
  writeArchive(ZipBuilder().add(longComponent, "x").add("ok/" + longComponent + "/f", "x"));
  EXPECT_FALSE(extractOne(longComponent));
  EXPECT_EQ(extractAll(), 0);
  EXPECT_TRUE(filesBelow(dest).empty());

  std::string deep;
  for (int i = 0; i < 20; ++i)
    deep += std::string(250, 'd') + "/";
  writeArchive(ZipBuilder().add(deep + "f", "x"));
  EXPECT_FALSE(extractOne(deep + "f")) << "longer than the result buffer";
  EXPECT_EQ(out[0], '\0');
  EXPECT_TRUE(snapshot(dest).count("ok")) << "only the folder of the first archive";
  EXPECT_EQ(snapshot(dest).size(), 1u);
  EXPECT_TRUE(boxes.boxes().empty());
}
