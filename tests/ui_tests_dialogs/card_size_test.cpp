// The host's conversion of the card test's size texts into a byte count and its unit.
#include <gtest/gtest.h>

#include "core/host_api.h"

namespace {

// Text that is no count gets no unit and no bytes.
TEST(CardSize, CountsGetTheUnitThatSuitsThemAndOtherTextIsRefused) {
  const struct {
    const char* text;
    int unit;
    double bytes;
  } cases[] = {
      {"000000000000", 0, 0},
      {"000000000001", 1, 1},
      {"000000001023", 1, 1023},
      {"000000001024", 2, 1024},
      {"000001048575", 2, 1048575},
      {"000001048576", 3, 1048576},
      {"000003145728", 3, 3145728},
      {"001073741823", 3, 1073741823},
      {"001073741824", 4, 1073741824},
      {"999999999999", 4, 999999999999.0},
      {"        2048", 2, 2048},
      {"512   ", 1, 512},  // blanks around the count
      {"", -1, 0},
      {"            ", -1, 0},
      {"12AB00000000", -1, 0},
      {"-00000001024", -1, 0},
      {"1.5", -1, 0},
      {"1e6", -1, 0},
      {"0x10", -1, 0},
      {"12 34", -1, 0},
      {"1234567890123456", -1, 0} /* 16 digits */,
  };
  for (const auto& c : cases) {
    double bytes = 7;
    EXPECT_EQ(ConvMemdSizeEXFnI(c.text, &bytes), c.unit) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
  double bytes = 7;
  EXPECT_EQ(ConvMemdSizeEXFnI(nullptr, &bytes), -1);
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(ConvMemdSizeEXFnI("000000001024", nullptr), -1);
}

}  // namespace
