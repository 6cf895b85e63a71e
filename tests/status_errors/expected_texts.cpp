#include "expected_texts.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text.h"
#include "test_data.h"

namespace nypr::testing {

std::span<const CodeText> printerErrorTexts() {
  static const std::vector<CodeText> texts = readMessageTable("printer_errors");
  return texts;
}
std::span<const CodeText> driverErrorTexts() {
  static const std::vector<CodeText> texts = readMessageTable("driver_errors");
  return texts;
}
std::span<const CodeText> conditionTexts() {
  static const std::vector<CodeText> texts = readMessageTable("printer_conditions");
  return texts;
}
std::span<const CodeText> otherModuleTexts() {
  static const std::vector<CodeText> texts = readMessageTable("module_texts");
  return texts;
}

std::string cp932(const std::string& utf8) {
  // The text layer writes "?" for a character CP932 lacks.
  const std::string out = platform::cp932FromUtf8(utf8);
  EXPECT_EQ(out.find('?'), utf8.find('?')) << "no CP932 form for: " << utf8;
  return out;
}

}  // namespace nypr::testing
