// The printer's fields and answers, and the raster decoder, without sockets (the status
// block and the search reply are checked whole over sockets).
#include "protocol.h"

#include <gtest/gtest.h>

#include "raster.h"

namespace {

using namespace ktsim::detail;

TEST(Protocol, FixedWidthFieldsAndCodesWithoutAnswer) {
  EXPECT_EQ(answerCode("PRE"), "");  // the finish report is never answered
  EXPECT_EQ(answerCode("XYZ"), "");
  EXPECT_EQ(digits(-3, 3), "000");
  EXPECT_EQ(digits(12345, 4), "9999");
  EXPECT_EQ(readDigits("ab0123", 2, 4), 123);
  EXPECT_FALSE(readDigits("ab012", 2, 4));  // past the end
  EXPECT_EQ(readSigned("-05", 0, 3), -5);
  EXPECT_EQ(readSigned("012", 0, 3), 12);
  EXPECT_FALSE(readSigned("--5", 0, 3));
  EXPECT_EQ(ipText(0xC0A8000Au), "192168000010");
  EXPECT_EQ(parseIpText("192168000010"), 0xC0A8000Au);
  EXPECT_FALSE(parseIpText("19216800001"));
}

TEST(Raster, LinesBeyondTheLabelAndDotsBeyondTheLineAreBlank) {
  // 2-byte lines hold one 16-dot group; a 20-dot label has 4 dots no line can carry.
  std::vector<std::vector<uint8_t>> lines = {{0xFF, 0xFF}, {0x00, 0x00}, {0x01, 0x80}};
  const auto l = renderLabel(lines, 2, 16, 2);
  ASSERT_EQ(l.width, 16);
  ASSERT_EQ(l.height, 2);
  for (int x = 0; x < 16; ++x) {
    EXPECT_TRUE(l.dot(x, 1));  // first line is the bottom row
    EXPECT_FALSE(l.dot(x, 0));
  }
  const auto narrow = renderLabel({{0x01, 0x80}}, 4, 20, 1);
  EXPECT_EQ(narrow.width, 20);
  // Group 0 sits in the last pair of the 4-byte line, which this line lacks; group 1 is
  // bytes 0 and 1, cut at the label width.
  for (int x = 0; x < 20; ++x) EXPECT_EQ(narrow.dot(x, 0), x == 16) << x;
  // A short line (a truncated raster) leaves its missing bytes blank.
  const auto shortLine = renderLabel({{0x01}}, 4, 32, 1);
  for (int x = 0; x < 32; ++x) EXPECT_EQ(shortLine.dot(x, 0), x == 16) << x;
}

}  // namespace
