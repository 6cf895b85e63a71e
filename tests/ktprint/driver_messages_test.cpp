// Every driver error code that has a text in the driver has an English one in ktprint.
#include "driver_messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/strings.h"

namespace {

TEST(DriverMessages, EnglishForEveryCodeTheDriverHasATextFor) {
  std::vector<uint32_t> codes = {40019, 40070, 40079, 40365};
  for (uint32_t n = 1; n <= 107; ++n) codes.push_back(n);
  for (uint32_t n = 900; n <= 999; ++n) {
    if (nypr::moduleStringUtf8(60000 + n) != nullptr) codes.push_back(n);
  }
  // The driver's own codes are their message ids; the range message and the parameter
  // names (60601 on) are no error codes.
  for (uint32_t id = 60100; id < 60600; ++id) {
    if (nypr::moduleStringUtf8(id) != nullptr && (id == 60122 || id > 60207)) codes.push_back(id);
  }
  codes.push_back(60678);
  for (uint32_t code : codes) {
    SCOPED_TRACE(code);
    const char* english = ktprint::englishDriverText(code);
    ASSERT_NE(english, nullptr);
    EXPECT_GT(std::strlen(english), 0u);
  }
  EXPECT_EQ(ktprint::englishDriverText(950), nullptr);  // no driver text either
}

}  // namespace
