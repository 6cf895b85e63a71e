// Highest contrast for a print speed, head rank and mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "core/slots.h"
#include "settings/printer_settings.h"
#include "test_data.h"

namespace nypr {
namespace {

// Table steps and half steps are checked entry by entry in EveryTableEntryAtEveryRank.
TEST(ContrastLimitTest, HistoryT1AndClamping) {
  struct Row {
    const char* label;
    char history;    // '0': history control off (a tenth)
    const char* t1;  // history t1 ("014": divisor 72)
    uint8_t rank;
    uint16_t speed;
    uint8_t printer;
    uint8_t mode;
    uint16_t expected;
  };
  const Row rows[] = {
      {"history off", '0', "014", 0, 150, 0, 0, 7},
      {"t1 030 capped", '1', "030", 7, 150, 0, 1, 99},
      {"t1 -05", '1', "-05", 7, 150, 0, 1, 57},  // 637 * 10 / 110
      // t1 of a half or more gives the top instead of dividing by zero.
      {"t1 050", '1', "050", 0, 150, 0, 0, 99},
      {"no such printer", '1', "014", 0, 150, 8, 0, 0},
  };
  for (const Row& r : rows) {
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    std::memset(PrinterSettings, 0, sizeof PrinterSettings);
    SetDefaultSettingsFnV(0);
    PrinterSettings[0][0] = r.history;
    std::memcpy(&PrinterSettings[0][1], r.t1, 3);
    stKtRSE[0].HeadRankUB = r.rank;
    EXPECT_EQ(GetMaxContrastFnUW(r.speed, r.printer, r.mode), r.expected) << r.label;
  }
  // Speeds and ranks outside the tables are clamped to their ends.
  stKtRSE[0].HeadRankUB = 0;
  EXPECT_EQ(GetMaxContrastFnUW(250, 0, 0), GetMaxContrastFnUW(150, 0, 0));
  EXPECT_EQ(GetMaxContrastFnUW(0, 0, 0), GetMaxContrastFnUW(70, 0, 0));
  EXPECT_EQ(GetMaxContrastFnUW(65535, 0, 1), GetMaxContrastFnUW(150, 0, 1));
  stKtRSE[0].HeadRankUB = 200;
  const uint16_t clampedRank = GetMaxContrastFnUW(120, 0, 1);
  stKtRSE[0].HeadRankUB = 7;
  EXPECT_EQ(clampedRank, GetMaxContrastFnUW(120, 0, 1));
}

// Every entry of both limit tables reaches the result: each speed step and half step for
// every head rank, under t1 divisors that keep the tables' last digit apart.
TEST(ContrastLimitTest, EveryTableEntryAtEveryRank) {
  std::istringstream grid(testing::readTestData("contrast_limit/grid.txt"));
  int rows = 0;
  for (std::string line; std::getline(grid, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream row(line);
    int mode = 0, t1 = 0, speed = 0;
    row >> mode >> t1 >> speed;
    std::memset(PrinterSettings, 0, sizeof PrinterSettings);
    SetDefaultSettingsFnV(0);
    char t1Text[4];
    std::snprintf(t1Text, sizeof t1Text, "%03d", t1);
    PrinterSettings[0][0] = '1';
    std::memcpy(&PrinterSettings[0][1], t1Text, 3);
    for (uint8_t rank = 0; rank < 8; ++rank) {
      int expected = -1;
      row >> expected;
      stKtRSE[0].HeadRankUB = rank;
      EXPECT_EQ(GetMaxContrastFnUW(static_cast<uint16_t>(speed), 0, static_cast<uint32_t>(mode)),
                expected)
          << line << " (rank " << int(rank) << ")";
    }
    ++rows;
  }
  EXPECT_EQ(rows, 510);
}

}  // namespace
}  // namespace nypr
