// The parameter record's helpers, the defaults, the host's position adjustment and the
// address texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/slots.h"
#include "settings/printer_settings.h"

namespace nypr {
namespace {

class SettingsRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(stKtRSE, 0, sizeof stKtRSE);
    std::memset(PrinterSettings, 0, sizeof PrinterSettings);
  }
};

TEST_F(SettingsRecordTest, FieldTableTilesTheRecordWithTheProtocolWidths) {
  const int widths[kSettingsFieldCount] = {1, 3, 3, 3, 4, 4, 3, 3, 3, 3, 1, 2, 2, 2, 2, 2,
                                           2, 4, 4, 2, 2, 4, 4, 3, 3, 3, 3, 1, 3, 1, 2, 3,
                                           3, 3, 3, 3, 3, 2, 3, 4, 3, 3, 3, 3, 3, 3, 2, 1,
                                           1, 1, 4, 4, 1, 3, 1, 2, 4, 1, 1, 4, 3, 1, 4, 3};
  int offset = 0;
  for (int n = 0; n < kSettingsFieldCount; ++n) {
    EXPECT_EQ(kSettingsFields[n].width, widths[n]) << "field " << n;
    EXPECT_EQ(kSettingsFields[n].offset, offset) << "field " << n;
    offset += widths[n];
  }
  EXPECT_EQ(offset, kSettingsRecordSize);
  // Fields the print path and the contrast limit rely on, at their protocol offsets.
  EXPECT_EQ(kSettingsFields[kFieldForcedWinder].offset, 131);
  EXPECT_EQ(kSettingsFields[kFieldAutoCutterDist].offset, 147);
  EXPECT_EQ(kSettingsFields[kFieldLabelLengthDots].defaultValue, nullptr);
}

TEST_F(SettingsRecordTest, DefaultsFillEveryFieldButTheLabelLength) {
  std::memcpy(&PrinterSettings[2][136], "1234", 4);
  stKtRSE[2].PosAdjXI = 9;
  stKtRSE[2].PosAdjYI = -9;
  stKtRSE[2].PosAdjModeI = 1;
  SetDefaultSettingsFnV(2);
  EXPECT_EQ(std::string(PrinterSettings[2], 136),
            "1014002014054805481582600070071604045456040-002-004200100000000080075060050106505"
            "0070010010090024035700000200050120090040005750400300960");
  EXPECT_EQ(std::string(&PrinterSettings[2][136], 32), "12341001005030510000107502200001");
  EXPECT_EQ(stKtRSE[2].PosAdjXI, 0);
  EXPECT_EQ(stKtRSE[2].PosAdjYI, 0);
  EXPECT_EQ(stKtRSE[2].PosAdjModeI, 1);
  // Other printers are untouched.
  EXPECT_EQ(PrinterSettings[1][0], '\0');
  SetDefaultSettingsFnV(8);  // no such printer: nothing happens
}

TEST_F(SettingsRecordTest, FieldNumbersReadAndWriteAtTheirWidth) {
  SetDefaultSettingsFnV(0);
  EXPECT_EQ(settingsFieldInt(0, kFieldHistoryT1), 14);
  EXPECT_EQ(settingsFieldInt(0, 17), -2);
  EXPECT_EQ(settingsFieldInt(0, kFieldHeadWidth), 960);

  setSettingsFieldInt(0, kFieldHeadWidth, 7);
  EXPECT_EQ(settingsFieldText(0, kFieldHeadWidth), "0007");
  setSettingsFieldInt(0, 17, -45);
  EXPECT_EQ(settingsFieldText(0, 17), "-045");
  setSettingsFieldInt(0, kFieldCount53, 12345);  // too wide: the last digits stay
  EXPECT_EQ(settingsFieldText(0, kFieldCount53), "345");
  setSettingsFieldInt(0, 8, -1234);
  EXPECT_EQ(settingsFieldText(0, 8), "-34");
  setSettingsFieldInt(0, kFieldHistoryControl, -1);  // a flag has no room for a sign
  EXPECT_EQ(settingsFieldText(0, kFieldHistoryControl), "0");
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
  LabelFormatST label{};
  label.PosAdjXUB = 104;
  label.PosAdjYUB = 130;
  stKtRSE[1].PosAdjModeI = 1;
  ApplyHostPosAdjustFnV(1, &label);
  EXPECT_EQ(stKtRSE[1].PosAdjXI, -24);
  EXPECT_EQ(stKtRSE[1].PosAdjYI, 2);

  label.PosAdjXUB = 10;
  label.PosAdjYUB = 20;
  ApplyHostPosAdjustFnV(1, &label);
  EXPECT_EQ(stKtRSE[1].PosAdjXI, 10);
  EXPECT_EQ(stKtRSE[1].PosAdjYI, 20);

  // X = 64 is the last unbiased value; 65 switches both to the biased form.
  label.PosAdjXUB = 65;
  label.PosAdjYUB = 140;
  ApplyHostPosAdjustFnV(1, &label);
  EXPECT_EQ(stKtRSE[1].PosAdjXI, -63);
  EXPECT_EQ(stKtRSE[1].PosAdjYI, 12);

  stKtRSE[1].PosAdjModeI = 0;  // the driver's own values stay
  label.PosAdjXUB = 130;
  ApplyHostPosAdjustFnV(1, &label);
  EXPECT_EQ(stKtRSE[1].PosAdjXI, -63);
  ApplyHostPosAdjustFnV(1, nullptr);
  ApplyHostPosAdjustFnV(8, &label);
}

TEST(IpAddressTextTest, DottedAndTwelveDigitForms) {
  EXPECT_STREQ(IpAddrToText(0xC0A8000A, true), "192.168.0.10");
  EXPECT_STREQ(IpAddrToText(0xC0A8000A, false), "192168000010");
  EXPECT_STREQ(IpAddrToText(0, true), "000000000000");
  EXPECT_STREQ(IpAddrToText(0xFFFFFFFF, true), "255.255.255.255");
  EXPECT_EQ(IpAddrFromText("192168000010"), 0xC0A8000Au);
  EXPECT_EQ(IpAddrFromText(IpAddrToText(0x7F000102, false)), 0x7F000102u);
}

TEST(IpAddressTextTest, DamagedTextsNeverSpillOrReadPastTheEnd) {
  EXPECT_EQ(IpAddrFromText(nullptr), 0u);
  EXPECT_EQ(IpAddrFromText(""), 0u);
  // A short text: the missing groups are 0, nothing after the terminator is looked at.
  const char shortText[] = {'1', '9', '2', '1', '6', '8', '\0', '9', '9', '9'};
  EXPECT_EQ(IpAddrFromText(shortText), 0xC0A80000u);
  // A group above 255 is kept from running into its neighbour.
  EXPECT_EQ(IpAddrFromText("999000000001"), 0xFF000001u);
  // A non-digit ends its group.
  EXPECT_EQ(IpAddrFromText("1x2010000003"), 0x010A0003u);
}

}  // namespace
}  // namespace nypr
