// Highest contrast for a print speed, head rank and mode.
#include <gtest/gtest.h>

#include <cstring>

#include "driver/slots.h"
#include "settings/printer_settings.h"

namespace nypr {
namespace {

class ContrastLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    std::memset(PrinterSettings, 0, sizeof PrinterSettings);
    SetDefaultSettingsFnV(0);  // history control on, t1 "014": divisor 72
  }
  void setT1(const char* t1) { std::memcpy(&PrinterSettings[0][1], t1, 3); }
};

TEST_F(ContrastLimitTest, TableValuesAtFullSteps) {
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 0), 75);  // 54 * 10 * 10 / 72
  stKtRSE[0].HeadRankUB = 7;
  EXPECT_EQ(GetMaxContrastFnUW(70, 0, 0), 79);  // 570 * 10 / 72
  stKtRSE[0].HeadRankUB = 0;
  EXPECT_EQ(GetMaxContrastFnUW(90, 0, 1), 62);   // table A 448
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 1), 71);  // table A 518
  EXPECT_EQ(GetMaxContrastFnUW(70, 0, 1), 54);   // 392, below 90: no step correction
}

TEST_F(ContrastLimitTest, SpeedsBetweenRowsAreInterpolated) {
  EXPECT_EQ(GetMaxContrastFnUW(145, 0, 0), 74);  // 530 + (540 - 530) * 5 / 10 = 535
  EXPECT_EQ(GetMaxContrastFnUW(95, 0, 1), 57);   // 439 + (385 - 439) * 5 / 10 = 412
  EXPECT_EQ(GetMaxContrastFnUW(100, 0, 1), 52);  // 385 - 9 = 376
  EXPECT_EQ(GetMaxContrastFnUW(85, 0, 1), 60);   // 420 + (448 - 420) * 5 / 10 = 434
}

TEST_F(ContrastLimitTest, HistoryControlAndT1ScaleTheLimit) {
  PrinterSettings[0][0] = '0';  // history control off: a tenth
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 0), 7);
  PrinterSettings[0][0] = '1';
  setT1("000");
  stKtRSE[0].HeadRankUB = 7;
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 1), 63);  // 637 * 10 / 100
  setT1("030");
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 1), 99);  // 159 is capped
  setT1("-05");
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 1), 57);  // 637 * 10 / 110
}

TEST_F(ContrastLimitTest, T1OfHalfOrMoreGivesTheTopInsteadOfDividingByZero) {
  setT1("050");
  EXPECT_EQ(GetMaxContrastFnUW(150, 0, 0), 99);
  setT1("099");
  EXPECT_EQ(GetMaxContrastFnUW(70, 0, 1), 99);
}

TEST_F(ContrastLimitTest, ValuesOutsideTheTablesAreClamped) {
  EXPECT_EQ(GetMaxContrastFnUW(250, 0, 0), GetMaxContrastFnUW(150, 0, 0));
  EXPECT_EQ(GetMaxContrastFnUW(0, 0, 0), GetMaxContrastFnUW(70, 0, 0));
  EXPECT_EQ(GetMaxContrastFnUW(65535, 0, 1), GetMaxContrastFnUW(150, 0, 1));
  stKtRSE[0].HeadRankUB = 200;
  const uint16_t clampedRank = GetMaxContrastFnUW(120, 0, 1);
  stKtRSE[0].HeadRankUB = 7;
  EXPECT_EQ(clampedRank, GetMaxContrastFnUW(120, 0, 1));
  EXPECT_EQ(GetMaxContrastFnUW(150, 8, 0), 0);  // no such printer
}

}  // namespace
}  // namespace nypr
