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
  ContrastSettings off;
  off.historyControl = false;
  struct Case {
    int speed, limit, withoutHistory;
  };
  // Anywhere inside a 10 mm/s step gives the same; speeds outside the table use its ends.
  const Case cases[] = {{150, 96, 60}, {140, 95, -1}, {100, 86, 55}, {80, 79, -1}, {70, 74, 47},
                        {0, 74, -1},   {60, 74, -1},  {160, 96, -1}, {255, 96, -1}};
  for (const Case& c : cases) {
    for (int speed : {c.speed, std::min(c.speed + 9, 255)}) {
      EXPECT_EQ(maxContrastForSpeed(static_cast<uint8_t>(speed), defaults), c.limit) << speed;
      if (c.withoutHistory >= 0) {
        EXPECT_EQ(maxContrastForSpeed(static_cast<uint8_t>(speed), off), c.withoutHistory) << speed;
      }
    }
  }
}

TEST(HistoryContrastLimit, EnergyShareLimitsAndFallbacks) {
  struct Case {
    int t1, t2, t3, rate, speed, limit;
    const char* why;
  };
  const Case cases[] = {
      {20, 20, 19, 0, 150, 99, "D = 1: quotient far above 255, capped at 99"},
      {20, 20, 0, 0, 150, 99, "D = 20: 60918 * 100 / 20 / 1000 = 304, capped"},
      {0, 0, 37, 0, 150, 96, "D = 63: 96693 / 1000 = 96"},
      {25, 25, 0, 7, 150, 60, "D = 0: the plain limit"},
      {99, 99, 99, 7, 70, 47, "D negative: the plain limit"},
      {255, 99, 99, 7, 100, 55, "\"-01\" held as an unsigned 8-bit value"},
  };
  for (const Case& c : cases) {
    ContrastSettings s;
    s.t1 = static_cast<uint8_t>(c.t1);
    s.t2 = static_cast<uint8_t>(c.t2);
    s.t3 = static_cast<uint8_t>(c.t3);
    s.rate = static_cast<uint8_t>(c.rate);
    EXPECT_EQ(maxContrastForSpeed(static_cast<uint8_t>(c.speed), s), c.limit) << c.why;
  }
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
  // The mode (direct thermal or transfer) makes no difference; field 9 is not read.
  setSettingsFieldInt(3, kFieldDensityRateTransfer, 40);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, 1), 96);
  // Field 8 is.
  setSettingsFieldInt(3, kFieldDensityRateThermal, 40);  // divisor 2000
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(3, 150, 0), 56);
  PrinterSettings[0][0] = '0';
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(0, 150, 0), 60);
  PrinterSettings[0][0] = '2';  // anything but "0" is on
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(0, 150, 0), 96);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(8, 150, 0), 0);
  // A record never loaded: NUL history flag counts as on, all values 0: D = 100, divisor
  // 1000.
  std::memset(PrinterSettings[5], 0, kSettingsRecordSize);
  EXPECT_EQ(::NyPrGetMaxContrast2FnUB(5, 150, 0), 60);
}

}  // namespace
}  // namespace nypr
