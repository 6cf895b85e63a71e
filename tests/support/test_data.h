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

// A field of a table file with \n, \r, \\ and \xNN spelled out, as bytes.
inline std::string unescapedField(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
    } else if (const char c = field[++i]; c == 'x' && i + 2 < field.size()) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
  }
  return out;
}

// One text the user must see, by message code or string id.
struct MessageText {
  uint32_t code;
  std::string utf8;
};

// tests/data/messages/<table>.txt: a code, a tab and the UTF-8 text a line (escaped as
// unescapedField reads it).
inline std::vector<MessageText> readMessageTable(const std::string& table) {
  std::vector<MessageText> texts;
  for (const auto& row : readTestTable("messages/" + table + ".txt")) {
    EXPECT_EQ(row.size(), 2u) << table << ": " << row[0];
    if (row.size() == 2)
      texts.push_back({static_cast<uint32_t>(std::stoul(row[0])), unescapedField(row[1])});
  }
  return texts;
}

// The UTF-8 text of `code` from any message table (printer errors 1..107, the driver's
// codes, printer conditions 900..999 that have a text, the other texts by string id);
// fails the test when there is none.
inline std::string messageText(uint32_t code) {
  for (const char* table :
       {"printer_errors", "driver_errors", "printer_conditions", "module_texts"}) {
    for (const MessageText& entry : readMessageTable(table)) {
      if (entry.code == code) return entry.utf8;
    }
  }
  ADD_FAILURE() << "no message text for " << code;
  return {};
}

}  // namespace nypr::testing
