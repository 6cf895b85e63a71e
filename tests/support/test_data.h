// Expected data kept in files under tests/data (message texts, recorded frames, pictures),
// read by the tests so that test code holds the checks and not the data.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifndef NYPR_TEST_DATA_DIR
#error "NYPR_TEST_DATA_DIR names tests/data (nypr_add_test defines it)"
#endif

namespace nypr::testing {

// Path of a file under tests/data.
inline std::string testDataPath(const std::string& relative) {
  return std::string(NYPR_TEST_DATA_DIR) + "/" + relative;
}

// The exact bytes of a file under tests/data; fails the test when it cannot be read.
inline std::string readTestData(const std::string& relative) {
  std::ifstream in(testDataPath(relative), std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read test data " << testDataPath(relative);
    return {};
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a table file under tests/data, each split at its tabs; blank lines and
// lines starting with '#' are left out.
inline std::vector<std::vector<std::string>> readTestTable(const std::string& relative) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(readTestData(relative));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    rows.push_back(std::move(fields));
  }
  return rows;
}

}  // namespace nypr::testing
