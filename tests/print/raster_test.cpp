// Head lines and DTI frame rasters made from the monochrome copy of a label.
#include "driver/raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace nypr {
namespace {

// Whether head line `line` (bpl bytes) prints dot x: the printer's own reading of a line,
// groups of 16 dots as byte pairs from the end, bit 0 the leftmost dot.
bool lineDot(const uint8_t* line, int bpl, int x) {
  const int index = bpl - 2 - 2 * (x / 16) + (x % 16) / 8;
  if (index < 0) return false;
  return (line[index] >> (x % 8)) & 1;
}

// Pixel x of a monochrome row (1 = white, most significant bit leftmost).
bool rowBlack(const uint8_t* row, int x) {
  return ((row[x / 8] >> (7 - x % 8)) & 1) == 0;
}

TEST(BitReverse, MirrorsTheBitOrderOfEveryByte) {
  EXPECT_EQ(kBitReverse[0x01], 0x80);
  EXPECT_EQ(kBitReverse[0x0F], 0xF0);
  EXPECT_EQ(kBitReverse[0x12], 0x48);
  EXPECT_EQ(kBitReverse[0xA5], 0xA5);
  for (int b = 0; b < 256; ++b) EXPECT_EQ(kBitReverse[kBitReverse[b]], b);
}

TEST(EdgeMask, KeepsTheDotsOfTheLabelInItsLastGroup) {
  const EdgeMask m100 = edgeMaskForDots(100);  // 6 full groups and 4 dots
  EXPECT_EQ(m100.mask, 0xF000);
  EXPECT_EQ(m100.maskByte, 12);
  const EdgeMask m97 = edgeMaskForDots(97);
  EXPECT_EQ(m97.mask, 0x8000);
  EXPECT_EQ(m97.maskByte, 12);
  EXPECT_EQ(edgeMaskForDots(96).mask, 0);  // on a group boundary: nothing to clear
  EXPECT_EQ(edgeMaskForDots(0).mask, 0);
}

TEST(FrameCount, IsTheLabelLengthInDotsFiveLinesAFrame) {
  EXPECT_EQ(frameCountForLength(100), 24);  // 120 dots
  EXPECT_EQ(frameCountForLength(101), 25);  // 121 dots: one line in the last frame
  EXPECT_EQ(frameCountForLength(5000), 1200);
  EXPECT_EQ(frameCountForLength(1), 1);  // 1.2 -> 1 dot
  EXPECT_EQ(frameCountForLength(0), 0);
  EXPECT_EQ(frameRasterBytes(120), 610);
}

TEST(ConvertRow, PutsThePairsOfTheRowInReverseOrderAtTheEndOfTheLine) {
  const uint8_t row[4] = {0x0F, 0x12, 0xFF, 0x00};
  uint8_t out[6];
  std::fill(std::begin(out), std::end(out), 0xEE);
  convertRow(row, 4, EdgeMask{}, out, 6);
  auto l = [](uint8_t b) { return static_cast<uint8_t>(~kBitReverse[b]); };
  const uint8_t expected[6] = {0, 0, l(0xFF), l(0x00), l(0x0F), l(0x12)};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << "byte " << i;
}

TEST(ConvertRow, ClearsTheDotsPastTheLabelWidthInItsGroup) {
  // A black row of 112 pixels on a label 100 dots wide.
  std::vector<uint8_t> row(14, 0x00);
  std::vector<uint8_t> out(120);
  convertRow(row.data(), 14, edgeMaskForDots(100), out.data(), 120);
  for (int x = 0; x < 100; ++x) EXPECT_TRUE(lineDot(out.data(), 120, x)) << "dot " << x;
  for (int x = 100; x < 112; ++x) EXPECT_FALSE(lineDot(out.data(), 120, x)) << "dot " << x;
  for (int x = 112; x < 960; ++x) ASSERT_FALSE(lineDot(out.data(), 120, x)) << "dot " << x;
}

TEST(ConvertRow, AMaskBeyondTheRowLeavesItAlone) {
  std::vector<uint8_t> row(4, 0x00);
  std::vector<uint8_t> out(10);
  convertRow(row.data(), 4, edgeMaskForDots(100), out.data(), 10);
  for (int x = 0; x < 32; ++x) EXPECT_TRUE(lineDot(out.data(), 10, x)) << "dot " << x;
}

TEST(ConvertRow, EveryDotOfRandomRowsLandsWhereThePrinterReadsIt) {
  std::mt19937 rng(7);
  for (int widthBytes : {2, 14, 120}) {
    std::vector<uint8_t> row(static_cast<size_t>(widthBytes));
    for (auto& b : row) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> out(120);
    convertRow(row.data(), widthBytes, EdgeMask{}, out.data(), 120);
    for (int x = 0; x < 960; ++x) {
      const bool expected = x < widthBytes * 8 && rowBlack(row.data(), x);
      ASSERT_EQ(lineDot(out.data(), 120, x), expected) << "width " << widthBytes << " dot " << x;
    }
  }
}

class WalkerTest : public ::testing::Test {
 protected:
  // A bitmap whose row r (top-down) is black only at pixel r % width.
  void makeBitmap(int widthBytes, int height) {
    widthBytes_ = widthBytes;
    bits_.assign(static_cast<size_t>(widthBytes) * static_cast<size_t>(height), 0xFF);
    for (int r = 0; r < height; ++r) {
      const int x = r % (widthBytes * 8);
      bits_[static_cast<size_t>(r * widthBytes + x / 8)] &=
          static_cast<uint8_t>(~(0x80 >> (x % 8)));
    }
  }
  // Runs `frames` frames and returns every line (without its "00").
  std::vector<std::vector<uint8_t>> walk(int height, int frames, int bpl) {
    RasterWalker walker(bits_.data(), widthBytes_, height, EdgeMask{}, bpl);
    std::vector<uint8_t> frame(static_cast<size_t>(frameRasterBytes(bpl)), 0xEE);
    std::vector<std::vector<uint8_t>> lines;
    for (int f = 0; f < frames; ++f) {
      walker.fillFrame(frame.data());
      for (int l = 0; l < kLinesPerFrame; ++l) {
        const uint8_t* line = frame.data() + l * (bpl + 2);
        EXPECT_EQ(line[0], '0');
        EXPECT_EQ(line[1], '0');
        lines.emplace_back(line + 2, line + 2 + bpl);
      }
    }
    return lines;
  }
  static bool blank(const std::vector<uint8_t>& line) {
    for (uint8_t b : line) {
      if (b != 0) return false;
    }
    return true;
  }

  int widthBytes_ = 0;
  std::vector<uint8_t> bits_;
};

TEST_F(WalkerTest, SendsTheBottomRowFirstAndOneBitmapRowPerLine) {
  makeBitmap(4, 121);
  const auto lines = walk(121, 25, 6);
  ASSERT_EQ(lines.size(), 125u);
  for (int j = 0; j < 121; ++j) {
    const int row = 120 - j;
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(lineDot(lines[static_cast<size_t>(j)].data(), 6, x), x == row % 32)
          << "line " << j << " dot " << x;
    }
  }
  // The last frame holds the top row and four blank lines.
  for (int j = 121; j < 125; ++j) EXPECT_TRUE(blank(lines[static_cast<size_t>(j)])) << j;
}

TEST_F(WalkerTest, ATallerBitmapLosesItsTopRows) {
  makeBitmap(2, 130);
  const auto lines = walk(130, 24, 2);
  ASSERT_EQ(lines.size(), 120u);
  // Line j carries row 129 - j; rows 0..9 never go out.
  for (int j = 0; j < 120; ++j) {
    const int row = 129 - j;
    EXPECT_TRUE(lineDot(lines[static_cast<size_t>(j)].data(), 2, row % 16)) << j;
  }
}

TEST_F(WalkerTest, AShorterBitmapIsPaddedWithBlankLines) {
  makeBitmap(2, 7);
  const auto lines = walk(7, 3, 2);
  for (int j = 0; j < 7; ++j) EXPECT_FALSE(blank(lines[static_cast<size_t>(j)])) << j;
  for (int j = 7; j < 15; ++j) EXPECT_TRUE(blank(lines[static_cast<size_t>(j)])) << j;
}

}  // namespace
}  // namespace nypr
