#include "expected_texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <vector>

#include "test_data.h"

namespace nypr::testing {
namespace {

// Undoes the file's escapes: \n, \r and \\ stand for LF, CR and a backslash.
std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

// "code<TAB>text" lines of tests/data/messages/<name>.txt.
std::vector<CodeText> load(const std::string& name) {
  std::vector<CodeText> texts;
  for (const auto& row : readTestTable("messages/" + name + ".txt")) {
    EXPECT_EQ(row.size(), 2u) << name << ": " << row[0];
    if (row.size() == 2)
      texts.push_back({static_cast<uint32_t>(std::stoul(row[0])), unescape(row[1])});
  }
  return texts;
}

}  // namespace

std::span<const CodeText> printerErrorTexts() {
  static const std::vector<CodeText> texts = load("printer_errors");
  return texts;
}
std::span<const CodeText> driverErrorTexts() {
  static const std::vector<CodeText> texts = load("driver_errors");
  return texts;
}
std::span<const CodeText> conditionTexts() {
  static const std::vector<CodeText> texts = load("printer_conditions");
  return texts;
}
std::span<const CodeText> otherModuleTexts() {
  static const std::vector<CodeText> texts = load("module_texts");
  return texts;
}

std::string expectedText(uint32_t code) {
  for (auto texts :
       {printerErrorTexts(), driverErrorTexts(), conditionTexts(), otherModuleTexts()}) {
    for (const CodeText& entry : texts) {
      if (entry.code == code) return entry.utf8;
    }
  }
  ADD_FAILURE() << "no expected text for " << code;
  return {};
}

std::string cp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::vector<char> out(utf8.size() * 2 + 8);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  EXPECT_NE(rc, static_cast<size_t>(-1)) << "no CP932 form for: " << utf8;
  return std::string(out.data(), out.size() - outLeft);
}

}  // namespace nypr::testing
