// Expected data kept in files under tests/data (message texts, recorded frames, pictures),
// read by the tests so that test code holds the checks and not the data.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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

// One text the user must see, by message code or string id.
struct MessageText {
  uint32_t code;
  std::string utf8;
};

// tests/data/messages/<table>.txt: a code, a tab and the UTF-8 text a line, where \n, \r
// and \\ stand for LF, CR and a backslash.
inline std::vector<MessageText> readMessageTable(const std::string& table) {
  std::vector<MessageText> texts;
  for (const auto& row : readTestTable("messages/" + table + ".txt")) {
    EXPECT_EQ(row.size(), 2u) << table << ": " << row[0];
    if (row.size() != 2) continue;
    std::string text;
    for (size_t i = 0; i < row[1].size(); ++i) {
      const char c = row[1][i];
      if (c != '\\' || i + 1 == row[1].size()) {
        text += c;
        continue;
      }
      const char next = row[1][++i];
      text += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    texts.push_back({static_cast<uint32_t>(std::stoul(row[0])), text});
  }
  return texts;
}

// The message tables: printer errors 1..107, the driver's codes, printer conditions
// 900..999 that have a text, and the other texts by string id.
inline const char* const kMessageTables[] = {"printer_errors", "driver_errors",
                                             "printer_conditions", "module_texts"};

// The UTF-8 text of `code` from any message table; fails the test when there is none.
inline std::string messageText(uint32_t code) {
  for (const char* table : kMessageTables) {
    for (const MessageText& entry : readMessageTable(table)) {
      if (entry.code == code) return entry.utf8;
    }
  }
  ADD_FAILURE() << "no message text for " << code;
  return {};
}

}  // namespace nypr::testing
