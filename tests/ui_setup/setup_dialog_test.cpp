// The printer setup dialog, opened through its export and operated as a technician would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/slots.h"
#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "platform/ui_operator.h"
#include "status/printer_status.h"
#include "stored_fields.h"

namespace nypr {
namespace {

using platform::OperatedDialog;
using test::cp932;

constexpr uint32_t kAddress = 0xC0A80A21;  // 192.168.10.33

class SetupDialog : public test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    for (PrinterSlot& slot : stKtRSE) slot.dwLastError = kNoError;
    label_ = LabelFormatST{};
    job_ = PrintJobST{};
    job_.lpLabelFormat = &label_;
  }
  void TearDown() override {
    platform::clearDialogOperators();
    HostTest::TearDown();
  }

  // Opens the setup of printer `printerNo` with `op` operating it; returns the export's result.
  int32_t setup(uint8_t printerNo, platform::DialogOperator op) {
    platform::setDialogOperator("DIALOG_KT36R", std::move(op));
    return NyPrPrinterSetup(nullptr, printerNo, &job_);
  }

  // The stored settings line of printer 1 split at its separators.
  std::vector<std::string> storedLine() {
    return test::storedFields(readIni("KT3600R Info", "KT00", ""));
  }

  LabelFormatST label_{};
  PrintJobST job_{};
};

TEST_F(SetupDialog, OpeningShowsAddressFactsAndUntickedAutoConnect) {
  configurePrinter(3, kAddress);
  bool operated = false;
  int32_t result = setup(3, [&](OperatedDialog& d) {
    operated = true;
    EXPECT_EQ(d.ipAddress(6101), kAddress);
    EXPECT_EQ(d.ipAddressFields(6101), 4);
    EXPECT_EQ(d.text(6308), "12");
    EXPECT_EQ(d.text(6309), "80");
    EXPECT_EQ(d.text(6310), "500");
    EXPECT_EQ(d.text(6311), "70");
    EXPECT_EQ(d.text(6312), "150");
    EXPECT_EQ(d.checked(6941), 0);
    EXPECT_FALSE(d.visible(6941));
    EXPECT_FALSE(d.click(6941));  // hidden and disabled: the user cannot tick it
    EXPECT_TRUE(d.click(2));
    EXPECT_EQ(d.result(), 0);
  });
  EXPECT_TRUE(operated);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(stKtRSE[2].CurKTRInfoST.PrinterNoUB, 2);
  // Cancel keeps the stored line as it was.
  EXPECT_EQ(readIni("KT3600R Info", "KT02"), "C0A80A21");
}

// Also with no print job from the host.
TEST_F(SetupDialog, OkStoresTheAddressLineAndKeepsAutoConnectOff) {
  platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    g_AutoConnectFlag = 1;  // whatever it was, the unticked box decides
    EXPECT_TRUE(d.setIpAddress(6101, kAddress));
    EXPECT_TRUE(d.click(1));
    EXPECT_TRUE(d.ended());
    EXPECT_EQ(d.result(), 1);
  });
  EXPECT_EQ(NyPrPrinterSetup(nullptr, 2, nullptr), 1);
  std::vector<std::string> line = test::storedFields(readIni("KT3600R Info", "KT01"));
  ASSERT_EQ(line.size(), 1u + 64u + 3u);
  EXPECT_EQ(line[0], "C0A80A21");
  EXPECT_EQ(line[1 + 4], "0548");   // factory gap sensor distance
  EXPECT_EQ(line[1 + 56], "0305");  // factory auto cutter distance
  EXPECT_EQ(g_AutoConnectFlag, 0);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SetupDialog, OkWithoutAddressShowsMessageAndStaysOpen) {
  bool stayed = false;
  uint32_t errorAfter = 0;
  setup(1, [&](OperatedDialog& d) {
    EXPECT_EQ(d.ipAddressFields(6101), 4);  // "0.0.0.0", not blank fields
    EXPECT_EQ(d.ipAddress(6101), 0u);
    EXPECT_TRUE(d.click(1));
    stayed = !d.ended();
    errorAfter = stKtRSE[0].dwLastError;
    EXPECT_TRUE(d.click(6003));  // the sensor button needs the address too
    EXPECT_TRUE(d.click(6306));
    EXPECT_FALSE(d.ended());
    d.cancel();
  });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(errorAfter, kNoError);
  ASSERT_EQ(messages_.size(), 3u);
  EXPECT_NE(messages_[0].text.find(cp932("IPアドレスを設定して下さい！")), std::string::npos);
  EXPECT_EQ(readIni("KT3600R Info", "KT00"), "<missing>");
}

TEST_F(SetupDialog, PositionAdjustmentGoesBackToTheLabelWhenTheHostOwnsIt) {
  // Adjustment mode 1: the slot takes its adjustment from the label and hands it back
  // biased by 128.
  configurePrinter(1, kAddress);
  setup(1, [&](OperatedDialog& d) { d.click(1); });
  std::string line = readIni("KT3600R Info", "KT00");
  ASSERT_GT(line.size(), 9u);
  line.replace(line.size() - 9, 9, "000#000#1");
  writeIni("KT3600R Info", "KT00", line);
  label_.PosAdjXUB = 128 + 5;
  label_.PosAdjYUB = 128 - 7;
  setup(1, [&](OperatedDialog& d) {
    label_.PosAdjXUB = 0;  // only the dialog's store puts it back
    label_.PosAdjYUB = 0;
    d.click(1);
  });
  EXPECT_EQ(label_.PosAdjXUB, 128 + 5);
  EXPECT_EQ(label_.PosAdjYUB, 128 - 7);
  EXPECT_EQ(storedLine().back(), "1");
  EXPECT_EQ(storedLine()[65], "005");
  EXPECT_EQ(storedLine()[66], "-07");

  // Mode 0: the label is left alone.
  line.replace(line.size() - 9, 9, "003#004#0");
  writeIni("KT3600R Info", "KT00", line);
  label_.PosAdjXUB = 9;
  label_.PosAdjYUB = 9;
  setup(1, [&](OperatedDialog& d) { d.click(1); });
  EXPECT_EQ(label_.PosAdjXUB, 9);
  EXPECT_EQ(label_.PosAdjYUB, 9);
}

struct PasswordCheck {
  int calls = 0;
  std::string accessCode;
  int answer = 0;
};

// The host is handed the access code as text.
int passwordHandler(void* user, NyHwnd, const char* accessCode) {
  auto* check = static_cast<PasswordCheck*>(user);
  ++check->calls;
  check->accessCode = accessCode;
  return check->accessCode == "735" ? check->answer : 0;
}

// A refused password opens nothing, but the typed address is saved first; behind the
// password the maintenance dialog opens and the address is reloaded after it.
TEST_F(SetupDialog, MaintenanceBehindPasswordAndTheAddressReloadedAfterIt) {
  PasswordCheck check;
  nyhostSetPasswordHandler(passwordHandler, &check);
  int maintenanceOpened = 0;
  platform::setDialogOperator("DIALOG_MAINTENANCE", [&](OperatedDialog& d) {
    ++maintenanceOpened;
    // As if the printer's address had been changed from inside the maintenance dialog.
    std::string line = readIni("KT3600R Info", "KT00");
    line.replace(0, 8, "0A000005");
    writeIni("KT3600R Info", "KT00", line);
    d.cancel();
  });
  std::string savedAfterRefusal;
  uint32_t shownAfter = 0;
  setup(1, [&](OperatedDialog& d) {
    d.setIpAddress(6101, kAddress);
    EXPECT_TRUE(d.click(6306));
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(maintenanceOpened, 0);
    savedAfterRefusal = readIni("KT3600R Info", "KT00");
    check.answer = 1;
    EXPECT_TRUE(d.click(6306));
    shownAfter = d.ipAddress(6101);
    d.cancel();
  });
  EXPECT_EQ(check.calls, 2);
  EXPECT_EQ(check.accessCode, "735");
  EXPECT_EQ(savedAfterRefusal.substr(0, 9), "C0A80A21#");
  EXPECT_EQ(maintenanceOpened, 1);
  EXPECT_EQ(shownAfter, 0x0A000005u);
}

TEST_F(SetupDialog, PrinterNumbersOutsideTheRangeSetUpTheFirstPrinter) {
  configurePrinter(1, kAddress);
  configurePrinter(2, 0x0A000002);
  for (uint8_t printerNo : {uint8_t{0}, uint8_t{9}, uint8_t{255}}) {
    uint32_t shown = 0;
    stKtRSE[0].CurKTRInfoST.PrinterNoUB = 7;
    EXPECT_EQ(setup(printerNo,
                    [&](OperatedDialog& d) {
                      shown = d.ipAddress(6101);
                      d.cancel();
                    }),
              1);
    EXPECT_EQ(shown, kAddress) << int(printerNo);
    EXPECT_EQ(stKtRSE[0].CurKTRInfoST.PrinterNoUB, 0) << int(printerNo);
  }
}

class SetupDialogWithPrinter : public test::SimulatorTest {
 protected:
  void TearDown() override {
    platform::clearDialogOperators();
    SimulatorTest::TearDown();
  }
};

TEST_F(SetupDialogWithPrinter, SensorButtonSavesFirstThenOpensTheSensorDialog) {
  std::string savedWhenOpened;
  platform::setDialogOperator("DIALOG_SENSOR", [&](OperatedDialog& d) {
    savedWhenOpened = readIni("KT3600R Info", "KT00");
    d.cancel();
  });
  const uint32_t address = sim_.addressValue();
  platform::setDialogOperator("DIALOG_KT36R", [&](OperatedDialog& d) {
    // The address typed in is the one saved, not the one read at opening.
    d.setIpAddress(6101, address);
    EXPECT_TRUE(d.click(6003));
    EXPECT_FALSE(d.ended());
    d.cancel();
  });
  writeIni("KT3600R Info", "KT00", "0A0000FE");
  PrintJobST job{};
  EXPECT_EQ(NyPrPrinterSetup(nullptr, 1, &job), 1);
  char expected[16];
  std::snprintf(expected, sizeof expected, "%08X#", address);
  EXPECT_EQ(savedWhenOpened.substr(0, 9), expected);
}

}  // namespace
}  // namespace nypr
