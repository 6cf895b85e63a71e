#include "maintenance_fixture.h"

#include "nyhost/nyhost_control.h"
#include "settings/printer_settings.h"
#include "test_data.h"

namespace nypr::test {

void MaintenanceTest::SetUp() {
  PrinterDialogTest::SetUp();
  hostJob_.job.hLabelBitmap = bitmap_.handle();
  context_.lpPrintJob = &hostJob_.job;
}

void MaintenanceTest::TearDown() {
  NyPrClosePrinter(0);
  stKtRSE[0].dwUserData = 0;
  stKtRSE[0].PosAdjModeI = 0;
  PrinterDialogTest::TearDown();
}

std::string MaintenanceTest::settingsLine() {
  return readIni("KT3600R Info", "KT00", "");
}

std::string MaintenanceTest::storedField(int field) {
  const std::string line = settingsLine();
  const SettingsField& f = kSettingsFields[field];
  // Nine characters of address and separator, then each field followed by "#".
  const size_t at = 9 + f.offset + static_cast<size_t>(field);
  if (line.size() < at + f.width) return "";
  return line.substr(at, f.width);
}

std::string MaintenanceTest::memoryField(int field) {
  return settingsFieldText(0, field);
}

std::string MaintenanceTest::rangeMessage(const std::string& nameUtf8, int minimum, int maximum) {
  return cp932("パラメータ「" + nameUtf8 + "」は、" + std::to_string(minimum) + "～" +
               std::to_string(maximum) + "の数値を入力して下さい。");
}

void MaintenanceTest::expectOpeningTexts(platform::OperatedDialog& d) {
  for (const auto& row : testing::readTestTable("ui_maintenance/opening_texts.txt")) {
    if (row[0] == d.templateName()) {
      EXPECT_EQ(d.text(std::stoi(row[1])), row[2]) << row[1];
    }
  }
}

}  // namespace nypr::test
