// The parameter record's helpers, the defaults, the host's position adjustment and the
// address texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings_fixture.h"

namespace nypr {
namespace {

// Slots and records back at their load-time zero state.
class SettingsRecordTest : public testing::SettingsFixture {};

TEST_F(SettingsRecordTest, DefaultsFillEveryFieldButTheLabelLength) {
  std::memcpy(&PrinterSettings[2][136], "1234", 4);
  stKtRSE[2].PosAdjModeI = 1;
  SetDefaultSettingsFnV(2);
  // The default values themselves are the stored line's (settings_line_test.cpp).
  EXPECT_EQ(std::string(PrinterSettings[2], 5), "10140");
  EXPECT_EQ(std::string(&PrinterSettings[2][136], 5), "12341");
  EXPECT_EQ(stKtRSE[2].PosAdjModeI, 1);  // cleared adjustments: settings_line_test.cpp
  // Other printers are untouched.
  EXPECT_EQ(PrinterSettings[1][0], '\0');
  SetDefaultSettingsFnV(8);  // no such printer: nothing happens
}

TEST_F(SettingsRecordTest, FieldNumbersReadAndWriteAtTheirWidth) {
  SetDefaultSettingsFnV(0);
  EXPECT_EQ(settingsFieldInt(0, kFieldHistoryT1), 14);
  EXPECT_EQ(settingsFieldInt(0, 17), -2);
  EXPECT_EQ(settingsFieldInt(0, kFieldHeadWidth), 960);
  const struct {
    int field;
    int value;
    const char* text;
  } rows[] = {
      {kFieldHeadWidth, 7, "0007"},
      {17, -45, "-045"},
      {kFieldCount53, 12345, "345"},  // too wide: the last digits stay
      {8, -1234, "-34"},
      {kFieldHistoryControl, -1, "0"},  // a flag has no room for a sign
  };
  for (const auto& r : rows) {
    setSettingsFieldInt(0, r.field, r.value);
    EXPECT_EQ(settingsFieldText(0, r.field), r.text) << "field " << r.field;
  }
  // Neighbours keep their characters.
  EXPECT_EQ(settingsFieldText(0, kFieldCount53 - 1), "1");
  EXPECT_EQ(settingsFieldText(0, kFieldCount53 + 1), "0");

  // Out of range printer or field numbers touch nothing.
  EXPECT_EQ(settingsFieldInt(8, 1), 0);
  EXPECT_EQ(settingsFieldInt(0, 64), 0);
  EXPECT_EQ(settingsFieldText(0, -1), "");
  setSettingsFieldInt(0, 64, 1);
  setSettingsFieldInt(9, 0, 1);
}

TEST_F(SettingsRecordTest, HostAdjustmentTakesTheLabelBytesInHostMode) {
  // X = 64 is the last unbiased value; 65 switches both to the biased form. In the
  // driver's own mode (0) the values stay.
  const struct {
    int mode;
    uint8_t x, y;
    int expectX, expectY;
  } rows[] = {{1, 64, 3, 64, 3}, {1, 65, 140, -63, 12}, {0, 130, 0, -63, 12}};
  LabelFormatST label{};
  for (const auto& r : rows) {
    stKtRSE[1].PosAdjModeI = r.mode;
    label.PosAdjXUB = r.x;
    label.PosAdjYUB = r.y;
    ApplyHostPosAdjustFnV(1, &label);
    EXPECT_EQ(stKtRSE[1].PosAdjXI, r.expectX) << int(r.x) << "," << int(r.y);
    EXPECT_EQ(stKtRSE[1].PosAdjYI, r.expectY) << int(r.x) << "," << int(r.y);
  }
  ApplyHostPosAdjustFnV(1, nullptr);
  ApplyHostPosAdjustFnV(8, &label);
}

// A plain address in either form: the host's address text (status_open io_control_test)
// and the address dialog's request and reply (ui_sensor_display).
TEST(IpAddressTextTest, DottedAndTwelveDigitFormsAndDamagedTexts) {
  EXPECT_STREQ(IpAddrToText(0, true), "000000000000");
  EXPECT_STREQ(IpAddrToText(0xFFFFFFFF, true), "255.255.255.255");
  // A short text: the missing groups are 0, nothing after the terminator is looked at.
  const char shortText[] = {'1', '9', '2', '1', '6', '8', '\0', '9', '9', '9'};
  const struct {
    const char* text;
    uint32_t addr;
  } rows[] = {{nullptr, 0},
              {"", 0},
              {shortText, 0xC0A80000u},
              {"999000000001", 0xFF000001u},   // a group above 255 does not run into the next
              {"1x2010000003", 0x010A0003u}};  // a non-digit ends its group
  for (const auto& r : rows)
    EXPECT_EQ(IpAddrFromText(r.text), r.addr) << (r.text ? r.text : "null");
}

}  // namespace
}  // namespace nypr
