// Print-head protection: the thinning rule, its tuning value and its phases.
#include "image/head_protect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <utility>
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
    for (uint32_t seed = 0; seed < 50; ++seed) {
      for (int64_t e : makePhaseTable(threshold, seed)) {
        ASSERT_TRUE(e >= 0 && e <= int64_t{threshold} + 1) << threshold << ": " << e;
      }
    }
  }
  // Seed 1 with threshold 2: r = 41 and 18467 give 0 and 1.
  const PhaseTable t = makePhaseTable(2, 1);
  EXPECT_EQ((std::pair{t[0], t[1]}), (std::pair<int64_t, int64_t>{0, 1}));
}

TEST(HeadProtectTuning, ParsedLikeScanfIntegers) {
  // Enable then threshold, as "%i %i" reads them; defaults 1 and 2 for what is not read.
  for (const char* text : {"", "abc", "0", "1 5 9", "0x1 0x10", "1 010", "-1 -3", "+2\t+4", "1,5",
                           "08", "0x 5", "0xg 5", " 0X1f 017", "- 5"}) {
    int values[2] = {1, 2};
    std::sscanf(text, "%i %i", &values[0], &values[1]);
    const HeadProtectTuning t = parseHeadProtectTuning(text);
    EXPECT_EQ((std::pair{t.enable, t.threshold}), (std::pair{values[0], values[1]})) << text;
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

// The dot-by-dot filter holds the rule, on rows either side of the 512 bytes that are
// thinned and on a tail shorter than the 8-byte blank test. Going round the 119-entry
// phase table and rows narrower than 8 bytes: the image fuzzer's corpus (protect-stripes
// starts 320 runs, protect-solid has 4-byte rows), replayed against the same filter.
TEST(HeadProtect, MatchesTheDotByDotFilter) {
  std::mt19937 rng(2024);
  const struct {
    int32_t rows, bytesPerRow;
    int threshold;
  } cases[] = {{40, 37, 6}, {60, 512, 2}, {60, 513, 1}, {30, 600, 2}};
  for (const auto& c : cases) {
    // Blank stretches, solid areas and noise, like text and barcodes.
    std::vector<uint8_t> bits(static_cast<size_t>(c.rows) * c.bytesPerRow);
    for (uint8_t& b : bits) {
      const unsigned pick = rng() % 10;
      b = pick < 6 ? 0xFF : (pick < 8 ? 0x00 : static_cast<uint8_t>(rng()));
    }
    std::vector<uint8_t> expected = bits;
    referenceProtect(expected.data(), c.rows, c.bytesPerRow, {1, c.threshold}, 7);
    protectPrintHead(bits.data(), c.rows, c.bytesPerRow, {1, c.threshold}, 7);
    EXPECT_EQ(bits, expected) << "bytes per row " << c.bytesPerRow;
  }
}

}  // namespace
}  // namespace nypr
