// Contrast limit by print speed and history control.
#include "image/history_contrast_limit.h"

#include <gtest/gtest.h>

#include <cstring>

#include "nyprkt3600r/nyprkt3600r.h"
#include "settings/printer_settings.h"

namespace nypr {
namespace {

TEST(HistoryContrastLimit, FactoryDefaultsAtEverySpeedStep) {
  const ContrastSettings defaults;  // on, t1 14, t2 2, t3 14, rate 7
  const std::pair<int, int> expected[] = {{150, 96}, {140, 95}, {130, 93}, {120, 91}, {110, 89},
                                          {100, 86}, {90, 83},  {80, 79},  {70, 74}};
  for (const auto& [speed, limit] : expected) {
    EXPECT_EQ(maxContrastForSpeed(static_cast<uint8_t>(speed), defaults), limit) << speed;
    // Anywhere inside the 10 mm/s step gives the same.
    EXPECT_EQ(maxContrastForSpeed(static_cast<uint8_t>(speed + 9), defaults), limit) << speed + 9;
  }
}

TEST(HistoryContrastLimit, WithoutHistoryControlTheTableAlone) {
  ContrastSettings off;
  off.historyControl = false;
  EXPECT_EQ(maxContrastForSpeed(150, off), 60);
  EXPECT_EQ(maxContrastForSpeed(100, off), 55);
  EXPECT_EQ(maxContrastForSpeed(70, off), 47);
}

TEST(HistoryContrastLimit, CappedAt99) {
  ContrastSettings s;
  s.t1 = 20;
  s.t2 = 20;
  s.t3 = 19;  // D = 1: quotient far above 255
  s.rate = 0;
  EXPECT_EQ(maxContrastForSpeed(150, s), 99);
  s.t3 = 0;  // D = 20: 60918 * 100 / 20 / 1000 = 304
  EXPECT_EQ(maxContrastForSpeed(150, s), 99);
  s.t1 = 0;
  s.t2 = 0;
  s.t3 = 37;  // D = 63: 96693 / 1000 = 96
  EXPECT_EQ(maxContrastForSpeed(150, s), 96);
}

TEST(HistoryContrastLimit, NoEnergyShareFallsBackToThePlainLimit) {
  ContrastSettings s;
  s.t1 = 25;
  s.t2 = 25;
  s.t3 = 0;  // D = 0
  EXPECT_EQ(maxContrastForSpeed(150, s), 60);
  s.t1 = 99;
  s.t2 = 99;
  s.t3 = 99;  // D negative
  EXPECT_EQ(maxContrastForSpeed(70, s), 47);
  s.t1 = 255;  // "-01" held as an unsigned 8-bit value
  EXPECT_EQ(maxContrastForSpeed(100, s), 55);
}

TEST(HistoryContrastLimit, SpeedsOutsideTheTableUseItsEnds) {
  const ContrastSettings defaults;
  EXPECT_EQ(maxContrastForSpeed(0, defaults), 74);
  EXPECT_EQ(maxContrastForSpeed(69, defaults), 74);
  EXPECT_EQ(maxContrastForSpeed(160, defaults), 96);
  EXPECT_EQ(maxContrastForSpeed(255, defaults), 96);
}

class RecordContrastLimit : public ::testing::Test {
 protected:
  void SetUp() override { std::memcpy(saved_, PrinterSettings, sizeof saved_); }
  void TearDown() override { std::memcpy(PrinterSettings, saved_, sizeof saved_); }

 private:
  char saved_[kSlotCount][kSettingsRecordSize];
};

TEST_F(RecordContrastLimit, ReadsThePrintersRecord) {
  SetDefaultSettingsFnV(0);
  SetDefaultSettingsFnV(3);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(0, 150, 0), 96);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, 0), 96);
  // The mode (direct thermal or transfer) makes no difference; field 9 is not read.
  setSettingsFieldInt(3, kFieldDensityRateTransfer, 40);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, 1), 96);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, -7), 96);
  // Field 8 is.
  setSettingsFieldInt(3, kFieldDensityRateThermal, 40);  // divisor 2000
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, 0), 56);
  PrinterSettings[0][0] = '0';
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(0, 150, 0), 60);
  PrinterSettings[0][0] = '2';  // anything but "0" is on
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(0, 150, 0), 96);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(8, 150, 0), 0);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(255, 150, 0), 0);
}

TEST_F(RecordContrastLimit, RecordNeverLoadedGivesAFiniteLimit) {
  std::memset(PrinterSettings[5], 0, kSettingsRecordSize);
  // NUL history flag counts as on, all values 0: D = 100, divisor 1000.
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(5, 150, 0), 60);
}

}  // namespace
}  // namespace nypr
