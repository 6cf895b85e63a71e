#include "maintenance_fixture.h"

#include "nyhost/nyhost_control.h"
#include "settings/printer_settings.h"

namespace nypr::test {

void MaintenanceTest::SetUp() {
  SimulatorTest::SetUp();
  clock_.install();
  nyhostSetConfirmHandler(
      [](void* user, NyHwnd, uint32_t id, const char* text, uint32_t style) {
        auto* self = static_cast<MaintenanceTest*>(user);
        self->questions_.push_back({id, text != nullptr ? text : "", style});
        return style == 2 ? 1 : self->answer_;
      },
      this);
  job_.job.hLabelBitmap = label_.handle();
  // As the setup dialog leaves it before opening the maintenance dialog.
  PrinterSlot& slot = stKtRSE[0];
  slot.CurKTRInfoST.PrinterNoUB = 0;
  slot.dwUserData = 0;
  ASSERT_TRUE(ReadPrinterSettingsFnBL(&slot.CurKTRInfoST));
}

void MaintenanceTest::TearDown() {
  platform::clearDialogOperators();
  NyPrClosePrinter(0);
  FakeClock::uninstall();
  stKtRSE[0].dwUserData = 0;
  stKtRSE[0].PosAdjModeI = 0;
  SimulatorTest::TearDown();
}

intptr_t MaintenanceTest::openMaintenance(platform::DialogOperator op) {
  platform::setDialogOperator("DIALOG_MAINTENANCE", std::move(op));
  SetupCtxST ctx{0, nullptr, &job_.job};
  return platform::dialogBoxParam("DIALOG_MAINTENANCE", nullptr, MaintenanceDlgProc,
                                  reinterpret_cast<intptr_t>(&ctx));
}

intptr_t MaintenanceTest::openHighLevel(platform::DialogOperator op) {
  platform::setDialogOperator("DIALOG_HIGHLEVEL", std::move(op));
  SetupCtxST ctx{0, nullptr, &job_.job};
  return platform::dialogBoxParam("DIALOG_HIGHLEVEL", nullptr, HighLevelDlgProc,
                                  reinterpret_cast<intptr_t>(&ctx));
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

}  // namespace nypr::test
