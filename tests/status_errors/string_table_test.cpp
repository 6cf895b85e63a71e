// The module's string table: every text present in CP932, and loaded safely into
// callers' buffers.
#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_fixture.h"
#include "resources/strings.h"
#include "test_data.h"

namespace nypr {
namespace {

using test::cp932;

// The error and condition texts come out through the error text (error_text_test.cpp);
// the module's other texts are looked up here.
TEST(StringTableTest, EveryModuleTextIsInTheTable) {
  for (const auto& e : testing::readMessageTable("module_texts")) {
    ASSERT_NE(moduleStringUtf8(e.code), nullptr) << "string " << e.code;
    EXPECT_STREQ(moduleStringUtf8(e.code), e.utf8.c_str()) << "string " << e.code;
    EXPECT_EQ(moduleStringCp932(e.code), cp932(e.utf8)) << "string " << e.code;
    EXPECT_EQ(cp932(e.utf8).find('?'), e.utf8.find('?')) << "no CP932 form: " << e.code;
  }
}

// Cutting itself is checked size by size through NyPrGetPrintError (error_text_test.cpp).
TEST(StringTableTest, LoadingWithoutRoomOrForAbsentIdsGivesNothing) {
  char buf[8];
  EXPECT_EQ(loadModuleString(60014, nullptr, 10), 0);
  char one = 'Q';
  EXPECT_EQ(loadModuleString(60014, &one, 0), 0);
  EXPECT_EQ(one, 'Q');
  for (uint32_t id : {0u, 60000u, 60100u, 60309u, 60902u, 60950u, 61000u}) {
    EXPECT_EQ(moduleStringUtf8(id), nullptr) << id;
    EXPECT_EQ(moduleStringCp932(id), "") << id;
    std::memcpy(buf, "xxxxxxx", 8);
    EXPECT_EQ(loadModuleString(id, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
  }
}

}  // namespace
}  // namespace nypr
