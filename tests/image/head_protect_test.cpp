// Print-head protection: the thinning rule, its tuning value and its phases.
#include "image/head_protect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "head_protect_reference.h"

namespace nypr {
namespace {

// A bitmap `bytesPerRow` wide, blank (1 bits) but for column `column` printed in rows
// [from, to).
std::vector<uint8_t> column(int32_t rows, int32_t bytesPerRow, int32_t column, int32_t from,
                            int32_t to) {
  std::vector<uint8_t> bits(static_cast<size_t>(rows) * bytesPerRow, 0xFF);
  for (int32_t r = from; r < to; ++r) {
    bits[static_cast<size_t>(r) * bytesPerRow + column / 8] &=
        static_cast<uint8_t>(~(0x80 >> (column % 8)));
  }
  return bits;
}

bool printed(const std::vector<uint8_t>& bits, int32_t bytesPerRow, int32_t column, int32_t row) {
  return (bits[static_cast<size_t>(row) * bytesPerRow + column / 8] & (0x80 >> (column % 8))) == 0;
}

// A seed whose first phase-table entry is `entry`.
uint32_t seedWithFirstPhase(int threshold, int64_t entry) {
  for (uint32_t seed = 0;; ++seed) {
    if (makePhaseTable(threshold, seed)[0] == entry) return seed;
  }
}

TEST(PhaseTable, FollowsTheCLibrarySequenceAndStaysBetweenZeroAndThresholdPlusOne) {
  ClassicRand rng(1);
  for (int e : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
    EXPECT_EQ(rng.next(), e);
  }
  for (int threshold : {1, 2, 5, 1000, 0x7FFFFFFF}) {
    bool sawHigh = false;
    for (uint32_t seed = 0; seed < 50; ++seed) {
      for (int64_t e : makePhaseTable(threshold, seed)) {
        ASSERT_TRUE(e >= 0 && e <= int64_t{threshold} + 1) << threshold << ": " << e;
        sawHigh = sawHigh || e > threshold / 2;
      }
    }
    EXPECT_TRUE(sawHigh) << threshold;
  }
  // Seed 1 with threshold 2: r = 41 and 18467 give 0 and 1.
  const PhaseTable t = makePhaseTable(2, 1);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[1], 1);
}

TEST(HeadProtectTuning, ParsedLikeScanfIntegers) {
  struct Case {
    const char* text;
    int enable, threshold;
  };
  const Case cases[] = {
      {"", 1, 2},        {"   ", 1, 2},      {"abc", 1, 2},         {"0", 0, 2},
      {"1 5", 1, 5},     {"1 5 9", 1, 5},    {"0x1 0x10", 1, 16},   {"1 010", 1, 8},
      {"-1 -3", -1, -3}, {"+2\t+4", 2, 4},   {"1,5", 1, 2},         {"08", 0, 8},
      {"0x 5", 0, 5},    {"0xg 5", 0, 2},    {" 0X1f 017", 31, 15}, {"- 5", 1, 2},
      {"1 x", 1, 2},     {"7 3 junk", 7, 3},
  };
  for (const Case& c : cases) {
    const HeadProtectTuning t = parseHeadProtectTuning(c.text);
    EXPECT_EQ(t.enable, c.enable) << "[" << c.text << "]";
    EXPECT_EQ(t.threshold, c.threshold) << "[" << c.text << "]";
    int values[3] = {1, 2, 0};  // the C library reads the same values
    std::sscanf(c.text, "%i %i %i", &values[0], &values[1], &values[2]);
    EXPECT_EQ(t.enable, values[0]) << "[" << c.text << "]";
    EXPECT_EQ(t.threshold, values[1]) << "[" << c.text << "]";
  }
  const HeadProtectTuning big = parseHeadProtectTuning("99999999999 -99999999999");
  EXPECT_EQ(big.enable, 0x7FFFFFFF);
  EXPECT_EQ(big.threshold, -0x7FFFFFFF - 1);
  EXPECT_EQ(parseHeadProtectTuning(nullptr).threshold, 2);
}

TEST(HeadProtect, DisabledOrNoThresholdLeavesTheBitmap) {
  std::vector<uint8_t> bits = column(50, 4, 3, 0, 50);
  const std::vector<uint8_t> before = bits;
  for (HeadProtectTuning t :
       {HeadProtectTuning{0, 2}, HeadProtectTuning{1, 0}, HeadProtectTuning{1, -4}}) {
    protectPrintHead(bits.data(), 50, 4, t, 123);
  }
  protectPrintHead(bits.data(), 0, 4, {}, 123);
  protectPrintHead(bits.data(), 50, 0, {}, 123);
  protectPrintHead(bits.data(), -1, 4, {}, 123);
  protectPrintHead(nullptr, 50, 4, {}, 123);
  EXPECT_EQ(bits, before);
}

TEST(HeadProtect, RunsByTheirFirstPhase) {
  struct Case {
    int threshold;
    int64_t phase;
    int32_t rows, runFrom, runTo;
    std::string expected;  // the column afterwards, top row first ('#' printed)
  };
  const Case cases[] = {
      // Runs of threshold + 2 or fewer dots with phase 0 stay.
      {1, 0, 6, 1, 4, ".###.."}, {2, 0, 7, 1, 5, ".####.."}, {4, 0, 9, 1, 7, ".######.."},
      {2, 3, 6, 0, 3, "#.#..."},  // the highest phase drops the second dot
      {1, 2, 2, 0, 2, "##"},      // the last row is never dropped
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bits = column(c.rows, 1, 4, c.runFrom, c.runTo);
    protectPrintHead(bits.data(), c.rows, 1, {1, c.threshold},
                     seedWithFirstPhase(c.threshold, c.phase));
    std::string got;
    for (int r = 0; r < c.rows; ++r) got += printed(bits, 1, 4, r) ? '#' : '.';
    EXPECT_EQ(got, c.expected) << "threshold " << c.threshold << " phase " << c.phase;
  }
}

// The dot-by-dot filter holds the rule; random rows up to 600 bytes wide also show that
// only the first 512 bytes of a row are thinned, and random seeds that the phases follow
// the seed.
TEST(HeadProtect, MatchesTheDotByDotFilterOnRandomLabels) {
  auto expectSame = [](std::vector<uint8_t> bits, int32_t rows, int32_t bytesPerRow, int threshold,
                       uint32_t seed) {
    std::vector<uint8_t> expected = bits;
    referenceProtect(expected.data(), rows, bytesPerRow, {1, threshold}, seed);
    protectPrintHead(bits.data(), rows, bytesPerRow, {1, threshold}, seed);
    ASSERT_EQ(bits, expected) << "rows " << rows << " bytes " << bytesPerRow << " threshold "
                              << threshold << " seed " << seed;
  };
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    const int32_t bytesPerRow = 1 + static_cast<int32_t>(rng() % (round % 10 == 0 ? 600 : 40));
    const int32_t rows = 1 + static_cast<int32_t>(rng() % 80);
    const int threshold = 1 + static_cast<int>(rng() % 6);
    const uint32_t seed = rng();
    // Mix of blank stretches, solid areas and noise, like text and barcodes.
    std::vector<uint8_t> bits(static_cast<size_t>(rows) * bytesPerRow);
    const unsigned style = rng() % 3;
    for (size_t i = 0; i < bits.size(); ++i) {
      const unsigned pick = rng() % 10;
      const auto noise = static_cast<uint8_t>(rng());
      if (style == 0) {
        bits[i] = noise;
      } else if (style == 1) {
        bits[i] = pick < 7 ? 0xFF : (pick < 9 ? 0x00 : noise);
      } else {
        bits[i] = (i % bytesPerRow) % 5 == 0 ? 0x0F : (pick < 8 ? 0xFF : noise);
      }
    }
    expectSame(bits, rows, bytesPerRow, threshold, seed);
  }
  // 300 runs in one row: the phases go round the 119-entry table more than twice.
  expectSame(std::vector<uint8_t>(static_cast<size_t>(10) * 300, 0x7F), 10, 300, 3, 99);
}

}  // namespace
}  // namespace nypr
