// The catalog text the scanner writes for ordinary trees.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "Tavscan60.h"
#include "scan_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using namespace testing_support;
using scan_test::linesOf;
using scan_test::normalizedLines;
using scan_test::scanFolder;

namespace {

void makeFile(const TempDir &dir, const std::string &relative, size_t size, time_t when) {
  setModificationTime(dir.createFile(relative, std::string(size, 'x')), when);
}

// A real archive made by zip, padded with an archive comment to an exact size.
void makeZipOfSize(const std::string &sourceFolder, const std::vector<std::string> &members, const std::string &archive,
                   size_t size) {
  std::vector<std::string> argv{"/bin/sh", "-c", "cd '" + sourceFolder + "' && zip -q -X -D '" + archive + "'"};
  for (const auto &m : members)
    argv.back() += " '" + m + "'";
  ASSERT_EQ(runProgram(argv).status, 0);
  std::string bytes = readFile(archive);
  ASSERT_LT(bytes.size(), size);
  const size_t pad = size - bytes.size();
  ASSERT_EQ(bytes.substr(bytes.size() - 2), std::string(2, '\0')) << "zip wrote a comment";
  bytes[bytes.size() - 2] = static_cast<char>(pad & 0xFF);
  bytes[bytes.size() - 1] = static_cast<char>(pad >> 8);
  writeFile(archive, bytes + std::string(pad, ' '));
}

TEST(ScanCatalog, WorkedExampleComesOutLineForLine) {
  TempDir dir;
  const std::string disk = dir.createDir("BACKUP1");
  makeFile(dir, "BACKUP1/docs/notes.txt", 1200, localTime(20, 12, 1999, 9, 5, 12));
  setModificationTime(disk + "/docs", localTime(20, 12, 1999, 9, 5, 12));
  makeFile(dir, "BACKUP1/readme.txt", 410, localTime(22, 12, 1999, 8, 0, 2));
  makeFile(dir, "src/cover.gif", 3300, localTime(2, 6, 1999, 12, 30, 0));
  makeFile(dir, "src/2019/a.gif", 2100, localTime(1, 6, 1999, 11, 0, 0));
  makeZipOfSize(dir / "src", {"cover.gif", "2019/a.gif"}, disk + "/pics.zip", 5230);
  setModificationTime(disk + "/pics.zip", localTime(21, 12, 1999, 18, 2, 40));

  // The folder stands in for a removable disk, whose drive type is "default".
  const std::string table = dir.createFile("volumes", disk + "\tBACKUP1\tremovable\n");
  setenv("TAVLOR_VOLUME_TABLE", table.c_str(), 1);
  std::ostringstream out;
  writeZarHeader(out, disk.c_str());
  unsetenv("TAVLOR_VOLUME_TABLE");
  scandisk((disk + "/*").c_str(), "BACKUP1", 1457664, 1000448, 24, 12, 1999, 10, 30, 0, out);

  const std::string expected = "zar_version_1_1\r\n"
                               "< \r\n"
                               "   %drivetype default\r\n"
                               "> \r\n"
                               " + \"BACKUP1\" 1457664 1000448 24 12 1999 10 30 0\r\n"
                               " < \r\n"
                               " + \"docs\" 0 0 20 12 1999 9 5 12\r\n"
                               " < \r\n"
                               " \"notes.txt\" 1200 20 12 1999 9 5 12\r\n"
                               " > \r\n"
                               " + \"pics.zip\" 5230 0 21 12 1999 18 2 40\r\n"
                               "<\r\n"
                               " + \"2019\" 0 0 21 12 1999 18 2 40\r\n"
                               "<\r\n"
                               "\"a.gif\" 2100 1 6 1999 11 0 0\r\n"
                               ">\r\n"
                               "\"cover.gif\" 3300 2 6 1999 12 30 0\r\n"
                               ">\r\n"
                               " \"readme.txt\" 410 22 12 1999 8 0 2\r\n"
                               " > \r\n";
  EXPECT_EQ(normalizedLines(out.str()), linesOf(expected));
  EXPECT_TRUE(out.str().ends_with(" > \r\n")) << "nothing may follow the root's close line";
}

TEST(ScanCatalog, FilesAreSortedByLineTextAfterFoldersAndArchives) {
  TempDir dir;
  const time_t when = localTime(3, 4, 2001, 5, 6, 7);
  for (const char *name : {"b.txt", "a", "B.txt", "a b", "x.Zip", "x.zip.zip"})
    makeFile(dir, name, 1, when);
  makeFile(dir, "x.zip/inside.txt", 2, when);
  setModificationTime(dir / "x.zip", when);
  ZipBuilder().add("m.txt", "123", 1, 2, 2003).writeTo(dir / "x.zip.zip");
  setModificationTime(dir / "x.zip.zip", when);

  const auto lines = linesOf(scanFolder(dir.path()));
  const std::string date = " 3 4 2001 5 6 7";
  const auto zipSize = std::to_string(ZipBuilder().add("m.txt", "123", 1, 2, 2003).bytes().size());
  const std::vector<std::string> tail{" \"B.txt\" 1" + date, " \"a b\" 1" + date,   " \"a\" 1" + date,
                                      " \"b.txt\" 1" + date, " \"x.Zip\" 1" + date, " > "};
  ASSERT_GE(lines.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(tail.size()), lines.end()), tail);
  // A folder named like an archive is a folder; a ".zip.zip" file is an archive.
  EXPECT_TRUE(scan_test::contains(lines, " + \"x.zip\" 0 0" + date));
  EXPECT_TRUE(scan_test::contains(lines, " \"inside.txt\" 2" + date));
  EXPECT_TRUE(scan_test::contains(lines, " + \"x.zip.zip\" " + zipSize + " 0" + date));
  EXPECT_TRUE(scan_test::contains(lines, "\"m.txt\" 3 1 2 2003 0 0 0"));
}

TEST(ScanCatalog, UndatableFilesGetTheDefaultDateAndOneWarningEach) {
  TempDir dir;
  makeFile(dir, "old.txt", 1, localTime(1, 1, 1965, 0, 0, 0));
  makeFile(dir, "future.txt", 1, localTime(1, 1, 2040, 0, 0, 0));
  makeFile(dir, "zero.txt", 1, 0);
  makeFile(dir, "fine.txt", 1, localTime(1, 1, 2020, 0, 0, 0));
  BoxRecorder boxes;
  const auto lines = linesOf(scanFolder(dir.path()));
  for (const char *name : {"old.txt", "future.txt", "zero.txt"})
    EXPECT_TRUE(scan_test::contains(lines, std::string(" \"") + name + "\" 1 5 2 2036 0 0 0")) << name;
  ASSERT_EQ(boxes.boxes().size(), 3u);
  std::vector<std::string> texts;
  for (const auto &box : boxes.boxes()) {
    EXPECT_EQ(box.caption, "Warning: file date invalid");
    EXPECT_EQ(box.icon, kTavscanBoxWarning);
    texts.push_back(box.text);
  }
  EXPECT_TRUE(scan_test::contains(texts, "The file " + dir.path() + "/old.txt has invalid date information.\n" +
                                             "A default catalog date will be assigned: Feb 5, 2036\n" +
                                             "Press OK to continue"));
}

TEST(ScanCatalog, SizesAbove4GiBAreWrittenWhole) {
  TempDir dir;
  const std::string big = dir.createFile("big.bin");
  const std::string three = dir.createFile("three.bin");
  ASSERT_EQ(::truncate(big.c_str(), 5368709121LL), 0);
  ASSERT_EQ(::truncate(three.c_str(), 3000000000LL), 0);
  const std::string text = scanFolder(dir.path());
  EXPECT_NE(text.find(" \"big.bin\" 5368709121 "), std::string::npos) << text;
  EXPECT_NE(text.find(" \"three.bin\" 3000000000 "), std::string::npos) << text;
}

TEST(ScanCatalog, PatternNamesOnlyMatchingEntriesOfTheRootFolder) {
  TempDir dir;
  dir.createFile("keep.txt");
  dir.createFile("skip.dat");
  dir.createFile("sub.txt/any.dat");
  std::ostringstream out;
  scandisk((dir.path() + "/*.txt").c_str(), "DISK", 0, 0, 1, 1, 2000, 0, 0, 0, out);
  const std::string text = out.str();
  EXPECT_NE(text.find("\"keep.txt\""), std::string::npos);
  EXPECT_EQ(text.find("\"skip.dat\""), std::string::npos);
  // The extension is not carried down: below the root every name is taken.
  EXPECT_NE(text.find("\"any.dat\""), std::string::npos);
}

TEST(ScanCatalog, MissingFolderIsWrittenEmpty) {
  TempDir dir;
  EXPECT_EQ(linesOf(scanFolder(dir / "gone")),
            (std::vector<std::string>{" + \"DISK\" 0 0 1 1 2000 0 0 0", " < ", " > "}));
}

} // namespace
