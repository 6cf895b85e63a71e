// The host's conversion of the card test's size texts into a byte count and its unit: the
// unit changes at each power of 1024, and what is no count is refused.
#include <gtest/gtest.h>

#include "core/host_api.h"

namespace {

TEST(CardSize, CountsGetTheUnitThatSuitsThem) {
  const struct {
    const char* text;
    int unit;
    double bytes;
  } cases[] = {{"000000000000", 0, 0},
               {"000000001023", 1, 1023},
               {"000000001024", 2, 1024},
               {"000001048575", 2, 1048575},
               {"000001048576", 3, 1048576},
               {"001073741823", 3, 1073741823},
               {"001073741824", 4, 1073741824},
               {"        2048", 2, 2048},  // blanks before the count
               {"", -1, 0},
               {"12AB00000000", -1, 0},
               {"-00000001024", -1, 0},
               {"1234567890123456", -1, 0} /* 16 digits */};
  for (const auto& c : cases) {
    double bytes = 7;
    EXPECT_EQ(ConvMemdSizeEXFnI(c.text, &bytes), c.unit) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
  EXPECT_EQ(ConvMemdSizeEXFnI("000000001024", nullptr), -1);
}

}  // namespace
