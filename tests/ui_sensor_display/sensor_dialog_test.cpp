// The sensor dialog against the simulated printer, operated as a technician would.
#include <string>
#include <vector>

#include "core/slots.h"
#include "platform/file_system.h"
#include "platform/help.h"
#include "platform/text.h"
#include "printer_dialog.h"
#include "resources/strings.h"
#include "status/error_text.h"
#include "ui/dialog_procs.h"

namespace nypr::test {
namespace {

using platform::OperatedDialog;

class SensorDialogTest : public PrinterDialogTest {
 protected:
  void SetUp() override {
    PrinterDialogTest::SetUp();
    // Printer detects marks; gap manual at 45 %, mark automatic at 60 %.
    sim_.setGapMark(true, true, 45, 33, false, 60, 41);
    sim_.setSensors(30, 20, 10, 50, 0);
    sim_.setCutPosition(263, 7);
  }

  intptr_t openSensor(platform::DialogOperator op) {
    return open("DIALOG_SENSOR", SensorDlgProc, std::move(op));
  }
};

TEST_F(SensorDialogTest, OpeningAlignsTheDetectionWithGapPrintConditions) {
  intptr_t result = openSensor([&](OperatedDialog& d) {
    // Readings of the status, the values of the write-back's reply.
    const std::pair<int, const char*> shown[] = {{6705, "30"}, {6706, "20"}, {6703, "45"},
                                                 {6601, "33"}, {6704, "60"}, {6506, "41"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(d.text(id), text) << "control " << id;
    for (int id : {6504, 6510}) EXPECT_EQ(d.checked(id), 1) << id;
    for (int id : {6505, 6509}) EXPECT_EQ(d.checked(id), 0) << id;
    // Gap detection is in use now: only the gap group can be adjusted.
    for (int id : {6703, 6502, 6503, 6504, 6505}) EXPECT_TRUE(d.enabled(id)) << id;
    for (int id : {6704, 6506, 6507, 6508, 6509, 6510}) EXPECT_FALSE(d.enabled(id)) << id;
    EXPECT_EQ(d.timerInterval(2), 1u);
  });
  EXPECT_EQ(result, 0);
  const auto gms = sim_.receivedFrames("GMS");
  ASSERT_EQ(gms.size(), 2u);
  EXPECT_EQ(gms[0].bytes, std::string("\x02") + "00182S200GMS0000000000\x03");
  // Write-back: gap sensor, gap manual 45, no trim, mark automatic 60, no trim.
  EXPECT_EQ(gms[1].bytes, std::string("\x02") + "00182S200GMS1014500600\x03");
  EXPECT_EQ(gms[1].port, ktsim::Port::Finish);
  EXPECT_FALSE(sim_.state().markDetection);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SensorDialogTest, OpensCentredOverItsOwner) {
  platform::setDialogOperator("DIALOG_MAINTENANCE", [&](OperatedDialog& owner) {
    platform::moveWindow(owner.window(), 200, 150);  // away from the screen's centre
    context_.hWndOwner = owner.window();
    openSensor([&](OperatedDialog& d) { EXPECT_TRUE(centredOver(d.window(), owner.window())); });
  });
  platform::dialogBoxParam(
      "DIALOG_MAINTENANCE", nullptr,
      [](NyHwnd, uint32_t, uintptr_t, intptr_t) NYPR_STDCALL -> intptr_t { return 0; }, 0);
}

TEST_F(SensorDialogTest, MarkPrintConditionsSelectMarkDetectionAndDisableTheGapGroup) {
  conditions_.OptionFlagsUW = NYPR_COND_FLAG_2;
  sim_.setGapMark(false, false, 45, 33, true, 60, 41);
  openSensor([&](OperatedDialog& d) {
    EXPECT_EQ(d.checked(6509), 1);
    for (int id : {6704, 6507, 6508, 6509, 6510}) EXPECT_TRUE(d.enabled(id)) << id;
    for (int id : {6703, 6601, 6502, 6503, 6504, 6505}) EXPECT_FALSE(d.enabled(id)) << id;
  });
  const auto gms = payloads(sim_, "GMS");
  ASSERT_EQ(gms.size(), 2u);
  EXPECT_EQ(gms[1], "2S200GMS1104501600");
  EXPECT_TRUE(sim_.state().markDetection);
}

TEST_F(SensorDialogTest, GapTrimsSendTheEditedReferencesAndAutomaticDetectionHasNone) {
  openSensor([&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6703, "12"));
    ASSERT_TRUE(d.click(6502));
    // Everything is read again after the change: the printer's stepped resistance.
    EXPECT_EQ(d.text(6601), "34");
    EXPECT_EQ(d.timerInterval(2), 1u);
    ASSERT_TRUE(d.click(6503));
    EXPECT_EQ(d.text(6601), "33");
    // Automatic gap detection has no trims.
    ASSERT_TRUE(d.click(6505));
    EXPECT_FALSE(d.enabled(6502));
    EXPECT_FALSE(d.enabled(6503));
  });
  const auto gms = payloads(sim_, "GMS");
  ASSERT_EQ(gms.size(), 11u);
  EXPECT_EQ(gms[2], "2S200GMS10112+0600");
  EXPECT_EQ(gms[3], "2S200GMS0000000000");
  EXPECT_EQ(gms[5], "2S200GMS10112-0600");
  EXPECT_EQ(gms[8], "2S200GMS1001200600");
  EXPECT_FALSE(sim_.state().gapManual);
}

TEST_F(SensorDialogTest, ReferenceOutOfRangeShowsTheRangeMessageAndSendsNothing) {
  openSensor([&](OperatedDialog& d) {
    ASSERT_TRUE(d.setText(6703, "150"));
    ASSERT_TRUE(d.click(6016));
    EXPECT_FALSE(d.ended());
    EXPECT_EQ(d.focus(), platform::getDlgItem(d.window(), 6703));
    EXPECT_EQ(d.timerInterval(2), 1500u);
    ASSERT_TRUE(d.setText(6703, "-1"));
    ASSERT_TRUE(d.click(6502));
  });
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0].text,
            cp932("パラメータ「ｷﾞｬｯﾌﾟ手動検出の基準値」は、0～99の数値を入力して下さい。"));
  EXPECT_EQ(sim_.receivedFrames("GMS").size(), 2u);  // the opening's read and write only
  EXPECT_EQ(sim_.state().gapReference, 45);
}

// A failed refresh keeps the last readings and polls more slowly.
TEST_F(SensorDialogTest, RefreshTimerSlowsDownAfterAFailure) {
  openSensor([&](OperatedDialog& d) {
    sim_.setStatusFailure(true);
    ASSERT_TRUE(d.fireTimer(2));
    EXPECT_EQ(d.text(6705), "30");
    EXPECT_EQ(d.timerInterval(2), 15000u);
    EXPECT_FALSE(d.ended());
  });
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, moduleStringCp932(kErrStatus));
}

// A failed read at opening (the detection settings refused, or no status at all) shows
// the error and leaves the dialog polling the readings.
TEST_F(SensorDialogTest, FailedReadAtOpeningShowsTheErrorAndKeepsPolling) {
  for (const bool statusFails : {false, true}) {
    SCOPED_TRACE(statusFails ? "status" : "gap and mark settings");
    sim_.clearRecords();
    sim_.clearFaults();
    messages_.clear();
    sim_.setStatusFailure(statusFails);
    if (!statusFails) sim_.addFault(fault("GMS"));
    openSensor([&](OperatedDialog& d) {
      EXPECT_EQ(d.text(6703), "");
      EXPECT_EQ(d.text(6705), statusFails ? "" : "30");
      EXPECT_EQ(d.timerInterval(2), 1500u);
      sim_.setStatusFailure(false);
      ASSERT_TRUE(d.fireTimer(2));
      EXPECT_EQ(d.text(6705), "30");
      EXPECT_EQ(d.timerInterval(2), 1500u);
    });
    EXPECT_EQ(sim_.receivedFrames("GMS").size(), statusFails ? 0u : 1u);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, moduleStringCp932(statusFails ? kErrStatus : kErrGapMark));
  }
}

TEST_F(SensorDialogTest, CutPositionIsShownInDotsAndSignedMillimetresAndMoves) {
  openSensor([&](OperatedDialog& d) {
    // 42 dots before the base position: 3.5 mm.
    EXPECT_EQ(d.text(6065), "263");
    EXPECT_EQ(platform::utf8FromCp932(d.text(6066)), "-3.5");
    EXPECT_EQ(d.text(6067), "7");
    ASSERT_TRUE(d.click(6069));
    ASSERT_TRUE(d.click(6070));
    ASSERT_TRUE(d.click(6070));
    EXPECT_EQ(d.text(6065), "262");

    // A failed move shows its error and keeps the print conditions.
    sim_.addFault(fault("CPS"));
    ASSERT_TRUE(d.click(6069));
    EXPECT_EQ(d.text(6065), "262");
    EXPECT_EQ(conditions_.CutterDistUW, 263);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(stKtRSE[0].dwLastError, kErrCutPosition);
  });
  EXPECT_EQ(payloads(sim_, "CPS"),
            (std::vector<std::string>{"2S200CPS00", "2S200CPS1+", "2S200CPS1-", "2S200CPS1-",
                                      "2S200CPS1+"}));
}

TEST_F(SensorDialogTest, ResettingTheCutPositionStoresItForTheNextPrint) {
  sim_.updateState([](ktsim::PrinterState& s) {
    s.cutBaseDots = 120;
    s.cutPositionDots = 130;
  });
  openSensor([&](OperatedDialog& d) {
    EXPECT_EQ(platform::utf8FromCp932(d.text(6066)), " 0.8");
    ASSERT_TRUE(d.click(6068));
    EXPECT_EQ(d.text(6065), "120");
    EXPECT_EQ(platform::utf8FromCp932(d.text(6066)), " 0.0");
  });
  EXPECT_EQ(payloads(sim_, "CPS").back(), "2S200CPS20");
  EXPECT_EQ(conditions_.CutterDistUW, 121);
}

TEST_F(SensorDialogTest, HelpOpensTheProductsFileAtTheAdjustmentTopicAndFeedFeeds) {
  // Which host's help file is chosen: SetupHelp (ui_setup).
  writeIni("Help Path", "FmtHelp", "fmt.hlp");
  const int before = platform::helpRequestCountForTesting();
  platform::setHostProgramNameForTesting("NYFMT");
  label_.WidthUW = 500;
  label_.LengthUW = 300;
  label_.GapUW = 30;
  intptr_t result = openSensor([&](OperatedDialog& d) {
    ASSERT_TRUE(d.click(6012));
    ASSERT_TRUE(d.click(6011));  // feed one label
    ASSERT_TRUE(d.click(2));
    EXPECT_TRUE(d.ended());
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(sim_.receivedFrames("FES").size(), 1u);
  EXPECT_TRUE(messages_.empty());
  const platform::HelpRequest help = platform::lastHelpRequestForTesting();
  platform::setHostProgramNameForTesting("");
  EXPECT_EQ(platform::helpRequestCountForTesting(), before + 1);
  EXPECT_FALSE(help.html);
  EXPECT_EQ(help.context, 849u);
  EXPECT_EQ(help.target, platform::joinPath(dir_.string(), "fmt.hlp"));
}

}  // namespace
}  // namespace nypr::test
