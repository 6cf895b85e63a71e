// The message texts as the user must see them (tests/data/messages), kept apart from the
// driver's own table so that a wrong or missing text in either shows up; and a CP932
// encoder that does not go through the driver's conversion.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "test_data.h"

namespace nypr::testing {

using CodeText = MessageText;

std::span<const CodeText> printerErrorTexts();  // codes 1..107
std::span<const CodeText> driverErrorTexts();   // 60122, 60208..60425
std::span<const CodeText> conditionTexts();     // 900..999 that have a text
std::span<const CodeText> otherModuleTexts();   // by string id

// `utf8` in CP932 through iconv directly; fails the test when a character has no mapping.
std::string cp932(const std::string& utf8);

}  // namespace nypr::testing
