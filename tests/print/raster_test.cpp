// Head lines made from the monochrome copy of a label, and the frames a label takes. How
// whole labels come out (bottom row first, taller and shorter bitmaps) is checked on the
// simulated printer in print_label_test.
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
  return index >= 0 && ((line[index] >> (x % 8)) & 1) != 0;
}

TEST(ConvertRow, EveryDotLandsWhereThePrinterReadsItUpToTheLabelEdge) {
  struct Case {
    int widthBytes, labelDots;  // labelDots 0: no edge mask
  };
  // Label edges inside a group (100, 97), on a boundary (96), and a mask past a short row.
  const Case cases[] = {{2, 0}, {14, 0}, {120, 0}, {14, 100}, {14, 97}, {14, 96}, {4, 100}};
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    std::vector<uint8_t> row(static_cast<size_t>(c.widthBytes));
    for (auto& b : row) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> out(120, 0xEE);
    const EdgeMask mask = c.labelDots == 0 ? EdgeMask{} : edgeMaskForDots(c.labelDots);
    convertRow(row.data(), c.widthBytes, mask, out.data(), 120);
    for (int x = 0; x < 960; ++x) {
      const bool black = x < c.widthBytes * 8 && ((row[x / 8] >> (7 - x % 8)) & 1) == 0;
      const bool inside = c.labelDots == 0 || x < c.labelDots || x >= (c.labelDots + 15) / 16 * 16;
      ASSERT_EQ(lineDot(out.data(), 120, x), black && inside)
          << "width " << c.widthBytes << " label " << c.labelDots << " dot " << x;
    }
  }
}

TEST(FrameCount, IsTheLabelLengthInDotsFiveLinesAFrame) {
  const std::pair<int, int> cases[] = {
      {100, 24},  // 120 dots
      {101, 25},  // 121 dots: one line in the last frame
      {5000, 1200}, {1, 1}, {0, 0},
  };
  for (const auto& [length, frames] : cases)
    EXPECT_EQ(frameCountForLength(length), frames) << length;
  EXPECT_EQ(frameRasterBytes(120), 610);
}

}  // namespace
}  // namespace nypr
