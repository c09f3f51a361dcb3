// tools_test_helpers.h - small catalogs for the tool tests.
#ifndef TESTS_TOOLS_TOOLS_TEST_HELPERS_H
#define TESTS_TOOLS_TOOLS_TEST_HELPERS_H

#include <gtest/gtest.h>

#include <string>

#include "../model/model_test_helpers.h"
#include "tools/find_duplicates.h"

namespace tools_tests {

// A file line and a folder block of a catalog body.
inline std::string file(const std::string &name, long size, const std::string &date = "1 1 2000 0 0 0") {
  return " \"" + name + "\" " + std::to_string(size) + " " + date + "\n";
}
inline std::string folder(const std::string &name, const std::string &body) {
  return " + \"" + name + "\" 0 0 1 1 2000 0 0 0\n < \n" + body + " > \n";
}

// Loads a disk labelled label with the body into model.
inline void load(tavlor::CatalogModel &model, const std::string &label, const std::string &body) {
  model_tests::RecordingReporter reporter;
  model_tests::load(model, model_tests::diskCatalog(label, body), reporter);
}

inline tavlor::DuplicatesQuery criteria(bool names, bool sizes, bool dates, std::vector<tavlor::ItemId> roots = {}) {
  tavlor::DuplicatesQuery q;
  q.roots = std::move(roots);
  q.names = names;
  q.sizes = sizes;
  q.dates = dates;
  return q;
}

// Passes when text holds part; a failure shows the whole text.
inline ::testing::AssertionResult contains(const std::string &text, const std::string &part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

} // namespace tools_tests

#endif // TESTS_TOOLS_TOOLS_TEST_HELPERS_H
