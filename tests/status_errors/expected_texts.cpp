#include "expected_texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <vector>

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
