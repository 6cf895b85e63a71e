// The module's string table: every text present, converted to CP932, and loaded safely
// into callers' buffers.
#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "expected_texts.h"
#include "platform/text.h"
#include "resources/strings.h"

namespace nypr {
namespace {

using testing::cp932;

// The error and condition texts come out through the error text (error_text_test.cpp);
// the module's other texts are looked up here.
TEST(StringTableTest, EveryModuleTextIsInTheTable) {
  for (const auto& e : testing::readMessageTable("module_texts")) {
    ASSERT_NE(moduleStringUtf8(e.code), nullptr) << "string " << e.code;
    EXPECT_STREQ(moduleStringUtf8(e.code), e.utf8.c_str()) << "string " << e.code;
    EXPECT_EQ(moduleStringCp932(e.code), cp932(e.utf8)) << "string " << e.code;
  }
}

TEST(StringTableTest, KnownCp932Bytes) {
  EXPECT_EQ(moduleStringCp932(60602), "\x8E\x86\x82\xC8\x82\xB5\x8C\x9F\x8F\x6F\xBE\xDD\xBB\xB0");
  EXPECT_NE(moduleStringCp932(60607).find("(25\x81\x8E\x88\xC8\x8F\xE3)"), std::string::npos);
  // Line breaks inside messages are real control characters.
  EXPECT_NE(moduleStringCp932(60101).find('\n'), std::string::npos);
  EXPECT_NE(moduleStringCp932(60415).find("\r\n"), std::string::npos);
}

TEST(StringTableTest, EveryEntryHasAFullCp932Form) {
  for (const ModuleString& entry : moduleStringTable()) {
    const std::string converted = moduleStringCp932(entry.id);
    EXPECT_FALSE(converted.empty()) << entry.id;
    EXPECT_EQ(platform::utf8FromCp932(converted), entry.utf8) << "lossy text " << entry.id;
  }
}

TEST(StringTableTest, AbsentIdsGiveNothing) {
  for (uint32_t id : {0u, 60000u, 60100u, 60309u, 60902u, 60950u, 61000u}) {
    EXPECT_EQ(moduleStringUtf8(id), nullptr) << id;
    EXPECT_EQ(moduleStringCp932(id), "") << id;
    char buf[8] = "xxxxxxx";
    EXPECT_EQ(loadModuleString(id, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
  }
}

// Cutting itself is checked size by size through NyPrGetPrintError (error_text_test.cpp).
TEST(StringTableTest, LoadingCutsAtACharacterBoundary) {
  const std::string full = moduleStringCp932(60014);  // all double-byte characters
  char buf[8];
  std::memset(buf, 'Z', sizeof buf);
  EXPECT_EQ(loadModuleString(60014, buf, 6), 4);  // two characters, not half of the third
  EXPECT_EQ(std::string(buf, 5), full.substr(0, 4) + '\0');
  EXPECT_EQ(buf[6], 'Z');
  EXPECT_EQ(loadModuleString(60014, nullptr, 10), 0);
  char one = 'Q';
  EXPECT_EQ(loadModuleString(60014, &one, 0), 0);
  EXPECT_EQ(one, 'Q');
}

}  // namespace
}  // namespace nypr
