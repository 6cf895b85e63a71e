// Print-head protection: the thinning rule, its tuning value and its phases.
#include "image/head_protect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "head_protect_reference.h"

namespace nypr {
namespace {

// Bitmap of `rows` rows, all blank (1 bits).
std::vector<uint8_t> blank(int32_t rows, int32_t bytesPerRow) {
  return std::vector<uint8_t>(static_cast<size_t>(rows) * bytesPerRow, 0xFF);
}

void printColumn(std::vector<uint8_t>& bits, int32_t bytesPerRow, int32_t column, int32_t from,
                 int32_t to) {
  for (int32_t r = from; r < to; ++r) {
    bits[static_cast<size_t>(r) * bytesPerRow + column / 8] &=
        static_cast<uint8_t>(~(0x80 >> (column % 8)));
  }
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

TEST(ClassicRand, FollowsTheCLibrarySequence) {
  ClassicRand rng(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int e : expected) EXPECT_EQ(rng.next(), e);
}

TEST(PhaseTable, EntriesLieBetweenZeroAndThresholdPlusOne) {
  for (int threshold : {1, 2, 5, 1000, 0x7FFFFFFF}) {
    bool sawHigh = false;
    for (uint32_t seed = 0; seed < 50; ++seed) {
      for (int64_t e : makePhaseTable(threshold, seed)) {
        ASSERT_GE(e, 0);
        ASSERT_LE(e, int64_t{threshold} + 1);
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
    int enable;
    int threshold;
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
    // The C library reads the same values.
    int values[3] = {1, 2, 0};
    std::sscanf(c.text, "%i %i %i", &values[0], &values[1], &values[2]);
    EXPECT_EQ(t.enable, values[0]) << "[" << c.text << "]";
    EXPECT_EQ(t.threshold, values[1]) << "[" << c.text << "]";
  }
  EXPECT_EQ(parseHeadProtectTuning("99999999999 -99999999999").enable, 0x7FFFFFFF);
  EXPECT_EQ(parseHeadProtectTuning("99999999999 -99999999999").threshold, -0x7FFFFFFF - 1);
  EXPECT_EQ(parseHeadProtectTuning(nullptr).threshold, 2);
}

TEST(HeadProtect, DisabledOrNoThresholdLeavesTheBitmap) {
  std::vector<uint8_t> bits = blank(50, 4);
  printColumn(bits, 4, 3, 0, 50);
  const std::vector<uint8_t> before = bits;
  for (HeadProtectTuning t :
       {HeadProtectTuning{0, 2}, HeadProtectTuning{1, 0}, HeadProtectTuning{1, -4}}) {
    protectPrintHead(bits.data(), 50, 4, t, 123);
    EXPECT_EQ(bits, before);
  }
  protectPrintHead(bits.data(), 0, 4, {}, 123);
  protectPrintHead(bits.data(), 50, 0, {}, 123);
  protectPrintHead(bits.data(), -1, 4, {}, 123);
  protectPrintHead(nullptr, 50, 4, {}, 123);
  EXPECT_EQ(bits, before);
}

TEST(HeadProtect, LongRunLosesOneDotInThreeButNotItsEnds) {
  for (uint32_t seed : {1u, 2u, 77u, 1000u}) {
    std::vector<uint8_t> bits = blank(100, 2);
    printColumn(bits, 2, 9, 0, 100);
    protectPrintHead(bits.data(), 100, 2, {}, seed);
    EXPECT_TRUE(printed(bits, 2, 9, 0));
    EXPECT_TRUE(printed(bits, 2, 9, 99));
    int dropped = 0;
    int longest = 0;
    int current = 0;
    for (int r = 0; r < 100; ++r) {
      if (printed(bits, 2, 9, r)) {
        longest = std::max(longest, ++current);
      } else {
        ++dropped;
        current = 0;
        EXPECT_TRUE(printed(bits, 2, 9, r - 1)) << "two dots in a row dropped at " << r;
      }
    }
    EXPECT_GE(dropped, 32);
    EXPECT_LE(dropped, 33);
    EXPECT_LE(longest, 3);
    // Other columns are not touched.
    for (int r = 0; r < 100; ++r) EXPECT_EQ(bits[static_cast<size_t>(r) * 2], 0xFF);
  }
}

TEST(HeadProtect, ShortRunsWithPhaseZeroStay) {
  for (int threshold : {1, 2, 4}) {
    const uint32_t seed = seedWithFirstPhase(threshold, 0);
    const int run = threshold + 2;
    std::vector<uint8_t> bits = blank(run + 3, 1);
    printColumn(bits, 1, 0, 1, 1 + run);
    const std::vector<uint8_t> before = bits;
    protectPrintHead(bits.data(), run + 3, 1, {1, threshold}, seed);
    EXPECT_EQ(bits, before) << threshold;
  }
}

TEST(HeadProtect, HighestPhaseDropsTheSecondDot) {
  const uint32_t seed = seedWithFirstPhase(2, 3);
  std::vector<uint8_t> bits = blank(6, 1);
  printColumn(bits, 1, 4, 0, 3);
  protectPrintHead(bits.data(), 6, 1, {}, seed);
  EXPECT_TRUE(printed(bits, 1, 4, 0));
  EXPECT_FALSE(printed(bits, 1, 4, 1));
  EXPECT_TRUE(printed(bits, 1, 4, 2));
}

TEST(HeadProtect, LastRowIsNeverDropped) {
  const uint32_t seed = seedWithFirstPhase(1, 2);
  std::vector<uint8_t> bits = blank(2, 1);
  printColumn(bits, 1, 0, 0, 2);
  protectPrintHead(bits.data(), 2, 1, {1, 1}, seed);
  EXPECT_TRUE(printed(bits, 1, 0, 0));
  EXPECT_TRUE(printed(bits, 1, 0, 1));
}

TEST(HeadProtect, OnlyTheFirst512BytesOfARowAreThinned) {
  constexpr int32_t kBytes = 530;
  std::vector<uint8_t> bits(static_cast<size_t>(kBytes) * 60, 0x00);  // all printed
  protectPrintHead(bits.data(), 60, kBytes, {}, 5);
  int changedInside = 0;
  for (int r = 0; r < 60; ++r) {
    for (int j = 0; j < kBytes; ++j) {
      const uint8_t b = bits[static_cast<size_t>(r) * kBytes + j];
      if (j >= 512) {
        ASSERT_EQ(b, 0x00) << r << "," << j;
      } else if (b != 0) {
        ++changedInside;
      }
    }
  }
  EXPECT_GT(changedInside, 0);
}

TEST(HeadProtect, DifferentSecondsGiveDifferentPhases) {
  std::vector<uint8_t> a(40 * 64, 0x00);
  std::vector<uint8_t> b = a;
  protectPrintHead(a.data(), 40, 64, {}, 1700000000u);
  protectPrintHead(b.data(), 40, 64, {}, 1700000001u);
  EXPECT_NE(a, b);
  std::vector<uint8_t> c(40 * 64, 0x00);
  protectPrintHead(c.data(), 40, 64, {}, 1700000000u);
  EXPECT_EQ(a, c);
}

TEST(HeadProtect, MatchesTheDotByDotFilterOnRandomLabels) {
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
      if (style == 0) {
        bits[i] = static_cast<uint8_t>(rng());
      } else if (style == 1) {
        bits[i] = pick < 7 ? 0xFF : (pick < 9 ? 0x00 : static_cast<uint8_t>(rng()));
      } else {
        bits[i] =
            (i % bytesPerRow) % 5 == 0 ? 0x0F : (pick < 8 ? 0xFF : static_cast<uint8_t>(rng()));
      }
    }
    std::vector<uint8_t> expected = bits;
    referenceProtect(expected.data(), rows, bytesPerRow, {1, threshold}, seed);
    protectPrintHead(bits.data(), rows, bytesPerRow, {1, threshold}, seed);
    ASSERT_EQ(bits, expected) << "round " << round << " rows " << rows << " bytes " << bytesPerRow
                              << " threshold " << threshold;
  }
}

TEST(HeadProtect, ManyRunsWrapAroundThePhaseTable) {
  // 300 runs in one row: the phases go round the 119-entry table more than twice.
  std::vector<uint8_t> bits(static_cast<size_t>(10) * 300, 0xFF);
  for (int r = 0; r < 10; ++r)
    for (int j = 0; j < 300; ++j) bits[static_cast<size_t>(r) * 300 + j] = 0x7F;
  std::vector<uint8_t> expected = bits;
  referenceProtect(expected.data(), 10, 300, {1, 3}, 99);
  protectPrintHead(bits.data(), 10, 300, {1, 3}, 99);
  EXPECT_EQ(bits, expected);
}

}  // namespace
}  // namespace nypr
