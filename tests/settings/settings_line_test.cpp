// The settings line in the host's INI file: load, store, defaults and damaged lines.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "settings/printer_settings.h"
#include "settings_fixture.h"
#include "test_data.h"

namespace nypr {
namespace {

using testing::readTestData;
using testing::SettingsFixture;

// Factory defaults as the store writes them for a record that was never loaded from a
// line (field 51, the label length, has no default and is written as zeros).
std::string defaultFields() {
  const std::string line = readTestData("settings/default_fields.txt");
  return line.substr(0, line.find('\n'));
}

// Field n of a test line: the last digits of 100 + n, widened with a leading zero for
// four-character fields, so a field read from a shifted place shows a wrong number.
std::string expectedField(int n) {
  const std::string digits = std::to_string(100 + n);
  const size_t w = kSettingsFields[n].width;
  if (w == 4) return "0" + digits;
  return digits.substr(digits.size() - w);
}

std::string distinctLine(const char* address, const char* adjust) {
  std::string line = std::string(address) + "#";
  for (int n = 0; n < kSettingsFieldCount; ++n) line += expectedField(n) + "#";
  return line + adjust;
}

// Position of field n in the line (address, then each field followed by its separator).
size_t linePos(int n) {
  return 9 + kSettingsFields[n].offset + static_cast<size_t>(n);
}

class SettingsLineTest : public SettingsFixture {
 protected:
  KtrInfo load(uint8_t index, bool* ok = nullptr) {
    KtrInfo info{};
    info.PrinterNoUB = index;
    const bool result = ReadPrinterSettingsFnBL(&info);
    if (ok != nullptr) *ok = result;
    return info;
  }
  std::string storeAndRead(const KtrInfo& info) {
    WritePrinterSettingsFnV(&info);
    return readIni("KT3600R Info", "KT00");
  }
};

TEST_F(SettingsLineTest, MissingKeyOrUnreadableFileGiveDefaultsAndAskForAnAddress) {
  writeIni("KT3600R Info", "KT01", "C0A8000A#");
  stKtRSE[0].PosAdjXI = 7;
  stKtRSE[0].PosAdjYI = -3;
  stKtRSE[0].PosAdjModeI = 1;
  stKtRSE[0].dwLastError = kNoError;
  bool ok = true;
  KtrInfo info = load(0, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60400u);
  // Ports 10000 and 10001 are set for any line: every print to the simulator uses them.
  EXPECT_EQ(info.ProtoUW, 0);
  // Adjustments cleared, the method kept.
  EXPECT_EQ(storeAndRead(info), "00000000#" + defaultFields() + "000#000#1");

  // A directory where the file should be cannot be read as one (no file at all reads as
  // a missing key: the profile read cases).
  std::filesystem::remove(iniPath_);
  std::filesystem::create_directory(iniPath_);
  info = load(3, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(info.IpAddrUL, 0u);
  EXPECT_EQ(settingsFieldText(3, kFieldHistoryT1), "014");
}

TEST_F(SettingsLineTest, AddressAloneGivesDefaultsAndNegativeAdjustmentKeepsItsSign) {
  writeIni("KT3600R Info", "KT00", "C0A8000A");
  bool ok = false;
  KtrInfo info = load(0, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(storeAndRead(info), "C0A8000A#" + defaultFields() + "000#000#0");

  stKtRSE[0].PosAdjXI = -5;
  stKtRSE[0].PosAdjYI = 24;
  EXPECT_EQ(storeAndRead(info).substr(241), "-05#024#0");
  std::memset(stKtRSE, 0, sizeof stKtRSE);
  info = load(0);
  EXPECT_EQ(stKtRSE[0].PosAdjXI, -5);
  EXPECT_EQ(stKtRSE[0].PosAdjYI, 24);
}

// Adjustments beyond what the printer takes are loaded and stored as they stand; a line
// longer than the known length is read up to it ("1" then "777..." is still mode 1).
TEST_F(SettingsLineTest, FullLineRoundTripsFieldForField) {
  const std::string line = distinctLine("0A000102", "-30#250#1");
  writeIni("KT3600R Info", "KT00", line + std::string(400, '7'));
  bool ok = false;
  const KtrInfo info = load(0, &ok);
  ASSERT_TRUE(ok);
  for (int n = 0; n < kSettingsFieldCount; ++n) {
    const std::string expected = n == kFieldFixed26 ? "050" : expectedField(n);
    EXPECT_EQ(settingsFieldText(0, n), expected) << "field " << n;
  }
  std::string expectedLine = line;
  expectedLine.replace(linePos(kFieldFixed26), 3, "050");
  EXPECT_EQ(storeAndRead(info), expectedLine);
}

TEST_F(SettingsLineTest, PrinterIndexSelectsTheKeyAndIndexOutsideTheSlotsIsRefused) {
  KtrInfo first{};
  first.IpAddrUL = 0x01020304;  // index 0: printer number 1
  KtrInfo last{};
  last.PrinterNoUB = 7;  // printer number 8
  last.IpAddrUL = 0x05060708;
  WritePrinterSettingsFnV(&first);
  WritePrinterSettingsFnV(&last);
  EXPECT_EQ(readIni("KT3600R Info", "KT00").substr(0, 9), "01020304#");
  EXPECT_EQ(readIni("KT3600R Info", "KT07").substr(0, 9), "05060708#");
  EXPECT_EQ(load(7).IpAddrUL, 0x05060708u);

  KtrInfo outside{};
  outside.PrinterNoUB = 8;
  outside.IpAddrUL = 0x01020304;
  EXPECT_FALSE(ReadPrinterSettingsFnBL(&outside));
  EXPECT_FALSE(ReadPrinterSettingsFnBL(nullptr));
  WritePrinterSettingsFnV(&outside);
  WritePrinterSettingsFnV(nullptr);
  EXPECT_EQ(readIni("KT3600R Info", "KT08"), "<missing>");
}

TEST_F(SettingsLineTest, ShortLineLeavesLaterFieldsEmptyAndStoreKeepsAlignment) {
  // Ends inside field 3 ("01" of "014"): field 3 holds a NUL after its first characters,
  // fields 4 and later are empty.
  writeIni("KT3600R Info", "KT00", "C0A8000A#1#014#002#01");
  bool ok = false;
  const KtrInfo info = load(0, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(settingsFieldText(0, 3), std::string("01\0", 3));
  EXPECT_EQ(settingsFieldText(0, 4), std::string(4, '\0'));
  // Empty characters are stored as zeros, so every separator stays where the loader
  // expects it.
  std::string expected = "C0A8000A#1#014#002#010#";
  for (int n = 4; n < kSettingsFieldCount; ++n) {
    expected += (n == kFieldFixed26 ? "050" : std::string(kSettingsFields[n].width, '0')) + "#";
  }
  EXPECT_EQ(storeAndRead(info), expected + "000#000#0");
}

TEST_F(SettingsLineTest, NonHexadecimalAddressStopsTheAddress) {
  const char* lines[] = {"C0A8zz0A#1#014", "ZZZZZZZZ#1#014", "-1#", "c0a8fe0a#"};
  for (int i = 0; i < 4; ++i) writeIni("KT3600R Info", "KT0" + std::to_string(i), lines[i]);
  bool ok = false;
  EXPECT_EQ(load(0, &ok).IpAddrUL, 0xC0A8u);
  EXPECT_TRUE(ok);
  EXPECT_EQ(load(1, &ok).IpAddrUL, 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(stKtRSE[1].dwLastError, 60400u);
  // The fields of a line with a bad address are still loaded for the dialogs.
  EXPECT_EQ(settingsFieldText(1, kFieldHistoryT1), "014");
  EXPECT_EQ(load(2, &ok).IpAddrUL, 0u);
  EXPECT_FALSE(ok);
  EXPECT_EQ(load(3, &ok).IpAddrUL, 0xC0A8FE0Au);  // lower case is hexadecimal too
}

TEST_F(SettingsLineTest, GarbageInFieldsStaysInItsFieldAndReadsAsNoNumber) {
  std::string line = distinctLine("C0A8000A", "x9a#99z#Q");
  line.replace(linePos(1), 3, "a1b");  // field 1 (t1)
  line.replace(linePos(40), 3, "\xFF\x81\x40");
  writeIni("KT3600R Info", "KT00", line);
  const KtrInfo info = load(0);
  EXPECT_EQ(settingsFieldInt(0, 1), 0);
  // "x9a" is no number; 99 is beyond what the printer takes, but as stored.
  line.replace(linePos(kFieldFixed26), 3, "050");
  EXPECT_EQ(storeAndRead(info), line.substr(0, 241) + "000#099#0");
}

}  // namespace
}  // namespace nypr
