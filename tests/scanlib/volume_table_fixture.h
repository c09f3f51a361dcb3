// volume_table_fixture.h - tests that see a volume table of real folders instead of
// the machine's mounts.
#ifndef TESTS_SCANLIB_VOLUME_TABLE_FIXTURE_H
#define TESTS_SCANLIB_VOLUME_TABLE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_support.h"

class VolumeTableTest : public ::testing::Test {
protected:
  void TearDown() override { ::unsetenv("TAVLOR_VOLUME_TABLE"); }

  // Installs a table; each row is "NAME\tLABEL\tTYPE[\tERROR]" with NAME a folder
  // below dir_ (created unless the row's name starts with "gone").
  void useTable(const std::vector<std::string> &rows) {
    std::string text;
    for (const std::string &row : rows) {
      const std::string name = row.substr(0, row.find('\t'));
      if (name.rfind("gone", 0) != 0) dir_.createDir(name);
      text += dir_.path() + "/" + row + "\n";
    }
    const std::string table = dir_ / "volumes.tab";
    testing_support::writeFile(table, text);
    ::setenv("TAVLOR_VOLUME_TABLE", table.c_str(), 1);
  }

  std::string root(const std::string &name) const { return dir_ / name; }

  testing_support::TempDir dir_;
};

#endif // TESTS_SCANLIB_VOLUME_TABLE_FIXTURE_H
