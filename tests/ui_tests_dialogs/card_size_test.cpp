// The host's conversion of the card test's size texts into a byte count and its unit.
#include <gtest/gtest.h>

#include "core/host_api.h"

namespace {

struct SizeCase {
  const char* text;
  int unit;
  double bytes;
};

TEST(CardSize, CountsGetTheUnitThatSuitsThem) {
  const SizeCase cases[] = {
      {"000000000000", 0, 0},          {"000000000001", 1, 1},
      {"000000001023", 1, 1023},       {"000000001024", 2, 1024},
      {"000001048575", 2, 1048575},    {"000001048576", 3, 1048576},
      {"000003145728", 3, 3145728},    {"001073741823", 3, 1073741823},
      {"001073741824", 4, 1073741824}, {"999999999999", 4, 999999999999.0},
      {"        2048", 2, 2048},       {"512   ", 1, 512},  // blanks around the count
  };
  for (const SizeCase& c : cases) {
    double bytes = -1;
    EXPECT_EQ(ConvMemdSizeEXFnI(c.text, &bytes), c.unit) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
}

TEST(CardSize, TextThatIsNoCountIsRefused) {
  const char* const bad[] = {
      "",    "            ", "12AB00000000", "-00000001024",    "1.5",
      "1e6", "0x10",         "12 34",        "1234567890123456" /* 16 digits */};
  for (const char* text : bad) {
    double bytes = 7;
    EXPECT_EQ(ConvMemdSizeEXFnI(text, &bytes), -1) << text;
    EXPECT_EQ(bytes, 0) << text;
  }
  double bytes = 7;
  EXPECT_EQ(ConvMemdSizeEXFnI(nullptr, &bytes), -1);
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(ConvMemdSizeEXFnI("000000001024", nullptr), -1);
}

}  // namespace
