// Archives as they come today: members beyond 4 GiB, archives behind other data,
// members that overlap, empty members, and members that cannot be written.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "Tavscan60.h"
#include "extract_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using namespace extract_test;

namespace {

// Appends each value as a little-endian field of the given number of bytes.
void put(std::string &out, std::initializer_list<std::pair<uint64_t, int>> fields) {
  for (const auto &[value, bytes] : fields)
    for (int i = 0; i < bytes; ++i)
      out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Writes bytes at offset; the file grows sparse over what is not written.
void writeAt(const std::string &path, uint64_t offset, const std::string &bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)), static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

bool isSparse(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_blocks) * 512 < (1u << 24);
}

// A stored member "big.bin" of bigSize bytes (a hole: zeros) and after it
// "after.txt", whose header offset needs the ZIP64 field, as python's zipfile writes.
void writeArchiveBeyond4GiB(const std::string &path, uint64_t bigSize, const std::string &after) {
  std::string head;
  put(head, {{0x04034b50, 4}, {45, 2}, {0, 2}, {0, 2}, {0, 2}, {0x21, 2}});
  put(head, {{0, 4}, {0xFFFFFFFF, 4}, {0xFFFFFFFF, 4}, {7, 2}, {20, 2}});
  head += "big.bin";
  put(head, {{1, 2}, {16, 2}, {bigSize, 8}, {bigSize, 8}});
  const uint64_t afterAt = head.size() + bigSize;

  const uint32_t afterCrc = testing_support::zipCrc32(after);
  std::string tail;
  put(tail, {{0x04034b50, 4}, {20, 2}, {0, 2}, {0, 2}, {0, 2}, {0x21, 2}});
  put(tail, {{afterCrc, 4}, {after.size(), 4}, {after.size(), 4}, {9, 2}, {0, 2}});
  tail += "after.txt" + after;
  const uint64_t directoryAt = afterAt + tail.size();
  const size_t directoryFrom = tail.size();
  auto central = [&](const std::string &name, uint32_t crc, uint32_t size32, uint32_t offset32,
                     const std::string &extra) {
    put(tail, {{0x02014b50, 4}, {0x031E, 2}, {45, 2}, {0, 2}, {0, 2}, {0, 2}, {0x21, 2}});
    put(tail, {{crc, 4}, {size32, 4}, {size32, 4}, {name.size(), 2}, {extra.size(), 2}, {0, 2}, {0, 2}, {0, 2}});
    put(tail, {{0100644u << 16, 4}, {offset32, 4}});
    tail += name + extra;
  };
  std::string bigExtra, afterExtra;
  put(bigExtra, {{1, 2}, {16, 2}, {bigSize, 8}, {bigSize, 8}});
  put(afterExtra, {{1, 2}, {8, 2}, {afterAt, 8}});
  central("big.bin", 0, 0xFFFFFFFF, 0, bigExtra);
  central("after.txt", afterCrc, static_cast<uint32_t>(after.size()), 0xFFFFFFFF, afterExtra);
  const uint64_t directorySize = tail.size() - directoryFrom;
  const uint64_t zip64EndAt = afterAt + tail.size();
  put(tail, {{0x06064b50, 4}, {44, 8}, {45, 2}, {45, 2}, {0, 4}, {0, 4}});
  put(tail, {{2, 8}, {2, 8}, {directorySize, 8}, {directoryAt, 8}});
  put(tail, {{0x07064b50, 4}, {0, 4}, {zip64EndAt, 8}, {1, 4}});
  put(tail, {{0x06054b50, 4}, {0, 2}, {0, 2}, {2, 2}, {2, 2}, {directorySize, 4}, {0xFFFFFFFF, 4}, {0, 2}});
  writeAt(path, 0, head);
  writeAt(path, afterAt, tail);
}

// What unzip writes for member, or nullopt when unzip is not installed.
std::optional<std::string> unzipOutput(const std::string &zip, const std::string &member) {
  if (::access("/usr/bin/unzip", X_OK) != 0) return std::nullopt;
  return testing_support::runProgram({"/usr/bin/unzip", "-p", zip, member}).out;
}

struct Reported {
  std::map<std::string, std::string> members; // name -> reason; "" for the archive
  static void add(const char *member, const char *reason, void *context) {
    static_cast<Reported *>(context)->members[member] = reason;
  }
};

class LargeArchive : public ::testing::Test {
protected:
  bool extractOne(const char *member) {
    return extractFromZip(zip.c_str(), member, dest.c_str(), true, true, true, out.data(), out.size());
  }
  int extractAll(const char *folder = nullptr) {
    return extractAllFromZip(zip.c_str(), folder, dest.c_str(), true, true, true, nullptr, &Reported::add, &reported);
  }
  TempDir dir;
  BoxRecorder boxes;
  Reported reported;
  std::string zip = dir / "a.zip";
  std::string dest = dir / "dest";
  std::vector<char> out = std::vector<char>(kTavscanPathBufferSize, '\0');
};

} // namespace

TEST_F(LargeArchive, MembersAfterTheFourGiBPointExtractAsUnzipWritesThem) {
  writeArchiveBeyond4GiB(zip, (4ull << 30) + 16, "hello after\n");
  if (!isSparse(zip)) GTEST_SKIP() << "the filesystem of the test folder has no sparse files";
  ASSERT_TRUE(extractOne("after.txt"));
  EXPECT_EQ(readFile(dest + "/after.txt"), "hello after\n");
  if (const auto unzip = unzipOutput(zip, "after.txt")) {
    EXPECT_EQ(readFile(dest + "/after.txt"), *unzip);
  }
  std::filesystem::remove_all(dest);
  EXPECT_EQ(extractAll("after.txt"), 1);
  EXPECT_EQ(filesBelow(dest), Files{"after.txt"});
  EXPECT_TRUE(boxes.boxes().empty());

  // A small archive behind 5 GiB of other data, as self-extracting archives are.
  zip = dir / "behind.zip";
  writeAt(zip, 5ull << 30,
          ZipBuilder().add("docs/one.txt", "first member").add("two.txt", std::string(3000, 't')).bytes());
  std::filesystem::remove_all(dest);
  EXPECT_EQ(extractAll(), 2);
  EXPECT_TRUE(reported.members.empty());
  for (const char *member : {"docs/one.txt", "two.txt"}) {
    const auto unzip = unzipOutput(zip, member);
    EXPECT_EQ(readFile(dest + "/" + member), unzip ? *unzip : readFile(dest + "/" + member)) << member;
  }
  EXPECT_EQ(readFile(dest + "/docs/one.txt"), "first member");
}

TEST_F(LargeArchive, OverlappingMembersAreRefusedBeforeAnythingIsWritten) {
  std::string bytes = ZipBuilder().add("a.txt", "stream").add("b.txt", "stream").add("c.txt", "stream").bytes();
  // Every directory record points at the first member's data.
  for (size_t at = bytes.find("PK\1\2"); at != std::string::npos; at = bytes.find("PK\1\2", at + 4))
    put32At(bytes, at + 42, 0);
  testing_support::writeFile(zip, bytes);

  EXPECT_EQ(extractAll(), 0);
  EXPECT_FALSE(std::filesystem::exists(dest));
  EXPECT_EQ(reported.members.size(), 4u);
  EXPECT_TRUE(reported.members.count("") && reported.members.count("c.txt"));
  EXPECT_FALSE(extractOne("a.txt"));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Could not open Zip file");
  EXPECT_FALSE(std::filesystem::exists(dest));
}

TEST_F(LargeArchive, EmptyMembersBecomeEmptyFilesAndFailuresAreNamed) {
  dir.createFile("outside/x", "keep");
  dir.createDir("dest");
  ASSERT_EQ(::symlink((dir / "outside").c_str(), (dest + "/linked").c_str()), 0);
  std::string bytes = ZipBuilder()
                          .add("empty.txt", "")
                          .add("sub/also-empty", "")
                          .add("bad-crc.txt", "the real contents")
                          .add(ZipEntrySpec{.name = "secret.txt", .data = "ciphertext", .flags = 1})
                          .add("linked/x", "through the link")
                          .add(std::string(300, 'n'), "too long a name")
                          .add("folder/", "")
                          .bytes();
  bytes[bytes.find("real")] = 'R';
  testing_support::writeFile(zip, bytes);

  EXPECT_EQ(extractAll(), 2);
  EXPECT_EQ(readFile(dest + "/empty.txt"), "");
  EXPECT_EQ(readFile(dest + "/sub/also-empty"), "");
  EXPECT_EQ(readFile(dir / "outside/x"), "keep");
  Files names;
  for (const auto &[name, reason] : reported.members)
    names.push_back(name);
  EXPECT_EQ(names, (Files{"bad-crc.txt", "linked/x", std::string(300, 'n'), "secret.txt"}));
  EXPECT_EQ(reported.members["secret.txt"], "encrypted");

  std::filesystem::remove(dest + "/empty.txt");
  ASSERT_TRUE(extractOne("empty.txt"));
  EXPECT_EQ(std::string(out.data()), dest + "/empty.txt");
  EXPECT_EQ(readFile(dest + "/empty.txt"), "");
}

TEST_F(LargeArchive, OnlyRegularFilesAreOpenedAsArchives) {
  ASSERT_EQ(::mkfifo(zip.c_str(), 0644), 0);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(extractAll(), 0);
  EXPECT_EQ(reported.members[""], "not a regular file");
  EXPECT_FALSE(extractOne("a"));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(boxes.boxes()[0].text.find("not a regular file"), std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}
