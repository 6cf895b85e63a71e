// The driver's dialogs as real windows against the simulated printer: each test opens a
// dialog on its own thread while a WindowOperator finds it by its caption and works it with
// window messages, as a user would.
#include <gtest/gtest.h>

#include <string>

#include "core/slots.h"
#include "discovery/setup_context.h"
#include "driver/printing.h"
#include "host_fixture.h"
#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/host_records.h"
#include "platform/ui.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "status/printer_status.h"
#include "ui/dialog_procs.h"
#include "window_operator.h"

namespace nypr::test {
namespace {

class RealDialogTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    CloseSlotSocketsFnV(0);
    stKtRSE[0] = PrinterSlot{};
    stKtRSE[0].skKT = platform::kInvalidSocket;
    stKtRSE[0].skFin = platform::kInvalidSocket;
    stKtRSE[0].dwLastError = kNoError;
    stKtRSE[0].CurKTRInfoST.PrinterNoUB = 0;
    ASSERT_TRUE(ReadPrinterSettingsFnBL(&stKtRSE[0].CurKTRInfoST));
    job_.lpLabelFormat = &label_;
    job_.lpPrintCond = &conditions_;
    conditions_.PrinterNoUB = 1;
    context_ = SetupCtxST{0, nullptr, &job_};
  }
  void TearDown() override {
    CloseSlotSocketsFnV(0);
    g_TestPrintFlag = 0;
    SimulatorTest::TearDown();
  }
  intptr_t open(const char* templateName, platform::DialogProc proc) {
    return platform::dialogBoxParam(templateName, nullptr, proc,
                                    reinterpret_cast<intptr_t>(&context_));
  }

  LabelFormatST label_{};
  PrintCondST conditions_{};
  PrintJobST job_{};
  SetupCtxST context_{};
};

TEST_F(RealDialogTest, IpAddressDialogShowsThePrintersAddressesAndSendsTheNewOne) {
  sim_.setAddresses("0080921A2B3C", sim_.addressValue(), 0xFFFFFF00u, 0xC0A80001u);
  intptr_t result = -2;
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("KT36R IPｱﾄﾞﾚｽ設定");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.text(d, 6218), "0080921A2B3C");
      EXPECT_EQ(w.ipAddress(d, 6202), sim_.addressValue());
      EXPECT_EQ(w.ipAddress(d, 6203), 0xFFFFFF00u);
      w.shot(d, "DIALOG_KT36R_IP");
      w.setIpAddress(d, 6202, 0xC0A8000Au);
      w.click(d, 1);
      EXPECT_TRUE(w.waitClosed(d));
    });
    result = open("DIALOG_KT36R_IP", IpAddressDlgProc);
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(sim_.state().ip, 0xC0A8000Au);
}

TEST_F(RealDialogTest, SensorDialogShowsTheReadingsOnEveryTick) {
  sim_.setSensors(31, 22, 13, 54, 5);
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("KT3600Rｾﾝｻｰ感度・ｶｯﾄの調整");
      ASSERT_NE(d, nullptr);
      EXPECT_TRUE(w.waitFor([&] { return w.text(d, 6705) == "31"; }));
      sim_.setSensors(30, 21, 13, 54, 5);
      w.fireTimer(d, 2);
      EXPECT_TRUE(w.waitFor([&] { return w.text(d, 6706) == "21"; }));
      w.shot(d, "DIALOG_SENSOR");
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    EXPECT_EQ(open("DIALOG_SENSOR", SensorDlgProc), 0);
  }
}

TEST_F(RealDialogTest, DisplayShowsThePrintersStatusOnItsTimerAndTheDistances) {
  sim_.setTravel(100, 100000000, 12500000);
  sim_.setSensors(31, 22, 13, 54, 5);
  sim_.setVersions(120, 110, 250, 101);
  sim_.setTemperatures(253, -41);
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("プリンターステータス表示・テスト");
      ASSERT_NE(d, nullptr);
      // The status comes with the window timer's first tick.
      EXPECT_TRUE(w.waitFor([&] { return w.text(d, 6703) == "31"; }));
      EXPECT_EQ(w.text(d, 6606), "100.000000");
      EXPECT_EQ(w.text(d, 6607), "12.500000");
      EXPECT_EQ(w.text(d, 6602), "1.20");
      EXPECT_EQ(w.text(d, 6603), " 25.3");
      w.shot(d, "DIALOG_DISPLAY");
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    open("DIALOG_DISPLAY", DisplayDlgProc);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(RealDialogTest, MaintenanceRefusesAValueOutOfRangeAndStaysOpen) {
  // The host's names of the two adjustment methods.
  nyhostSetHostString(2491, cp932("プリンター").c_str());
  nyhostSetHostString(2492, cp932("ラベル").c_str());
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("メンテナンス用パラメータの設定");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.comboCount(d, 6804), 2);
      EXPECT_EQ(w.text(d, 6804), "プリンター");
      w.shot(d, "DIALOG_MAINTENANCE");
      w.type(d, 6776, "100");
      w.click(d, 1);
      EXPECT_TRUE(w.waitFor([&] { return nyhostMessageBoxCount() > 0; }));
      EXPECT_TRUE(IsWindow(d));
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    open("DIALOG_MAINTENANCE", MaintenanceDlgProc);
  }
  nyhostSetHostString(2491, nullptr);
  nyhostSetHostString(2492, nullptr);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(RealDialogTest, HighLevelShowsTheRecordAndTheTravelAndRefusesAValueOutOfRange) {
  sim_.setTravel(100, 0, 12345678);
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("高度な設定");
      ASSERT_NE(d, nullptr);
      EXPECT_EQ(w.text(d, 6766), "10");
      EXPECT_EQ(w.text(d, 6757), "65");
      EXPECT_EQ(w.text(d, 6607), "12.345678");
      w.shot(d, "DIALOG_HIGHLEVEL");
      w.type(d, 6766, "301");
      w.click(d, 1);
      EXPECT_TRUE(w.waitFor([&] { return nyhostMessageBoxCount() > 0; }));
      EXPECT_TRUE(IsWindow(d));
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    EXPECT_EQ(open("DIALOG_HIGHLEVEL", HighLevelDlgProc), 0);
  }
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(RealDialogTest, TestPrintSendsTheChosenPatternAndTheWaitDialogWaitsForTheUser) {
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("KT36R印字ﾃｽﾄ");
      ASSERT_NE(d, nullptr);
      w.click(d, 6079);  // "中央縦線"
      w.click(d, 6085);  // "右側"
      w.type(d, 6089, "12");
      w.shot(d, "DIALOG_KT36R_TESTPRT");
      w.click(d, 1);
      EXPECT_TRUE(w.waitFor([&] { return sim_.lastJob().has_value(); }));
      EXPECT_TRUE(w.waitFor([&] { return w.enabled(d, 2); }));
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    EXPECT_EQ(open("DIALOG_KT36R_TESTPRT", TestPrintDlgProc), 1);
  }
  const auto frames = sim_.receivedFrames("PTS");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, std::string("\x02") + "00152S200PTS4300012\x03");

  // Without a job to follow, the hidden wait dialog offers its close button.
  {
    WindowOperator op([&](WindowOperator& w) {
      HWND d = w.waitDialog("発行終了待ち");
      ASSERT_NE(d, nullptr);
      EXPECT_FALSE(IsWindowVisible(d));
      EXPECT_EQ(w.text(d, 6926), moduleStringUtf8(60901));
      EXPECT_TRUE(w.waitFor([&] { return w.enabled(d, 2); }));
      w.click(d, 2);
      EXPECT_TRUE(w.waitClosed(d));
    });
    waitJobEnd(nullptr, nullptr);
  }
}

}  // namespace
}  // namespace nypr::test
