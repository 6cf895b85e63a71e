// The message texts as the user must see them (tests/data/messages), kept apart from the
// driver's own table so that a wrong or missing text in either shows up; and a CP932
// encoder that does not go through the driver's conversion.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace nypr::testing {

struct CodeText {
  uint32_t code;
  std::string utf8;
};

std::span<const CodeText> printerErrorTexts();  // codes 1..107
std::span<const CodeText> driverErrorTexts();   // 60122, 60208..60425
std::span<const CodeText> conditionTexts();     // 900..999 that have a text
std::span<const CodeText> otherModuleTexts();   // by string id

// The expected UTF-8 text of a code or string id from any of the tables above; fails the
// test when there is none.
std::string expectedText(uint32_t code);

// `utf8` in CP932 through iconv directly; fails the test when a character has no mapping.
std::string cp932(const std::string& utf8);

}  // namespace nypr::testing
