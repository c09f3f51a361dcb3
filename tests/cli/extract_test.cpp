#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"
#include "zip_builder.h"

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::TempDir;
using testing_support::ZipBuilder;

namespace {

testing_support::RunResult tavlorExtract(const std::vector<std::string> &args) {
  std::vector<std::string> argv = {TAVLOR_CLI_PATH, "extract"};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv);
}

class ExtractCommand : public ::testing::Test {
protected:
  ExtractCommand() {
    ZipBuilder()
        .add("docs/a.txt", "a", 15, 6, 2020, 10, 20, 30)
        .add("docs/sub/b.txt", "b", 15, 6, 2020, 10, 20, 30)
        .add("top.txt", "t", 15, 6, 2020, 10, 20, 30)
        .writeTo(zip);
  }
  TempDir dir;
  std::string zip = dir / "a.zip";
  std::string dest = dir / "dest";
};

} // namespace

TEST_F(ExtractCommand, MemberPrintsThePathWritten) {
  auto result = tavlorExtract({"--member", "docs/sub/b.txt", zip, dest});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, dest + "/docs/sub/b.txt\n");
  EXPECT_EQ(readFile(dest + "/docs/sub/b.txt"), "b");

  result = tavlorExtract({"--flat", "--member=docs/sub/b.txt", zip, dest});
  EXPECT_EQ(result.out, dest + "/b.txt\n");

  result = tavlorExtract({"--member", "nothing", zip, dest});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("Could not open file in Zip file: Could not open zipped file: nothing"), std::string::npos)
      << result.err;
}

TEST_F(ExtractCommand, WholeArchiveOrFolderPrintsTheCount) {
  auto result = tavlorExtract({zip, dest});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "3\n");
  EXPECT_TRUE(std::filesystem::exists(dest + "/docs/sub/b.txt"));

  result = tavlorExtract({"--folder", "DOCS/SUB", "--flat", zip, dest + "2"});
  EXPECT_EQ(result.out, "1\n");
  EXPECT_TRUE(std::filesystem::exists(dest + "2/b.txt"));

  testing_support::setModificationTime(dest + "/top.txt", testing_support::localTime(1, 1, 2025, 0, 0, 0));
  result = tavlorExtract({"--folder", "top", zip, dest});
  EXPECT_EQ(result.status, 1) << "a newer file is kept";
  EXPECT_EQ(result.out, "0\n");
  result = tavlorExtract({"--folder", "top", "--overwrite-newer", zip, dest});
  EXPECT_EQ(result.out, "1\n");
  testing_support::setModificationTime(dest + "/top.txt", testing_support::localTime(1, 1, 2010, 0, 0, 0));
  result = tavlorExtract({"--folder", "top", "--overwrite-newer", zip, dest});
  EXPECT_EQ(result.out, "0\n") << "an older file is kept without --overwrite-older";
  result = tavlorExtract({"--folder", "top", "--overwrite-older", zip, dest});
  EXPECT_EQ(result.out, "1\n");
}

TEST_F(ExtractCommand, MembersNotWrittenAreNamedAndFail) {
  testing_support::ZipEntrySpec encrypted;
  encrypted.name = "secret.txt";
  encrypted.data = "ciphertext";
  encrypted.flags = 1;
  ZipBuilder().add("ok.txt", "fine").add(encrypted).add("empty.txt", "").writeTo(zip);
  auto result = tavlorExtract({zip, dest});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "2\n");
  EXPECT_EQ(result.err, "tavlor extract: not written: secret.txt: encrypted\n");

  const std::string fifo = dir / "p.zip";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  result = tavlorExtract({fifo, dest});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("p.zip: not a regular file"), std::string::npos) << result.err;
}

TEST(ExtractCommandArguments, BadArgumentsExitWithTwoAndHelpWithZero) {
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{},
                                             {"only.zip"},
                                             {"a.zip", "b", "c"},
                                             {"--member"},
                                             {"--bogus", "a.zip", "d"},
                                             {"--member", "m", "--folder", "f", "a.zip", "d"}}) {
    const auto result = tavlorExtract(args);
    EXPECT_EQ(result.status, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("Usage: tavlor extract"), std::string::npos);
  }
  const auto help = tavlorExtract({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--overwrite-older"), std::string::npos);
}
