// The test print: the request on the wire, following the job on the finish connection
// with the test-print flag set, the stop button served while it is followed, and the
// errors that end it.
#include <algorithm>
#include <chrono>
#include <string>

#include "driver/printing.h"
#include "link/connection.h"
#include "platform/net.h"
#include "platform/ui.h"
#include "test_dialog_fixture.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;
using platform::OperatedDialog;

constexpr char kTestPrint[] = "DIALOG_KT36R_TESTPRT";

class TestPrintTest : public TestDialogTest {
 protected:
  intptr_t openTestPrint(platform::DialogOperator op) {
    return open(kTestPrint, TestPrintDlgProc, std::move(op));
  }
  std::string rangeMessage() const {
    return cp932("パラメータ「発行枚数」は、0～9999の数値を入力して下さい。");
  }
};

TEST_F(TestPrintTest, ChosenPatternPositionAndCountGoOutAndTheJobIsFollowedToItsEnd) {
  int pollsWithFlag = 0;
  int polls = 0;
  const intptr_t result = openTestPrint([&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog& pumped) {
      ++polls;
      if (g_TestPrintFlag == 1) ++pollsWithFlag;
      EXPECT_FALSE(pumped.enabled(1));
      EXPECT_FALSE(pumped.enabled(2));
      return true;
    });
    EXPECT_TRUE(d.click(6079));  // "中央縦線"
    EXPECT_TRUE(d.click(6085));  // "右側"
    EXPECT_TRUE(d.setText(6089, "12"));
    EXPECT_TRUE(d.click(1));
    // Back after the last label: flag down, finish connection kept for the next test print.
    EXPECT_EQ(g_TestPrintFlag, 0);
    EXPECT_TRUE(platform::isOpenSocket(stKtRSE[0].skFin));
    EXPECT_TRUE(d.enabled(1));
    EXPECT_TRUE(d.click(2));  // a disabled button takes no click
  });
  EXPECT_EQ(result, 1);
  const auto frames = sim_.receivedFrames("PTS");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, std::string("\x02") + "00152S200PTS4300012\x03");
  ASSERT_TRUE(sim_.lastJob().has_value());
  EXPECT_EQ(sim_.lastJob()->kind, ktsim::JobKind::TestPrint);
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Finished);
  EXPECT_EQ(sim_.lastJob()->copiesIssued, 12);
  EXPECT_GT(polls, 0);
  EXPECT_EQ(pollsWithFlag, polls);
  EXPECT_TRUE(messages_.empty());
  // The polls read the finish connection only: one command connection, the request's.
  const auto all = sim_.connections();
  EXPECT_EQ(std::count_if(all.begin(), all.end(),
                          [](const auto& c) { return c.port == ktsim::Port::Command; }),
            1);
  // Cancel closes the finish connection.
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skFin));
}

TEST_F(TestPrintTest, CountsOutsideFourDigitsAreRefusedBeforeSending) {
  openTestPrint([&](OperatedDialog& d) {
    for (const char* count : {"10000", "", "x"}) {
      messages_.clear();
      EXPECT_TRUE(d.setText(6089, count));
      EXPECT_TRUE(d.click(1));
      ASSERT_EQ(messages_.size(), 1u) << count;
      EXPECT_EQ(messages_[0].text, rangeMessage());
      EXPECT_TRUE(d.enabled(1));
      EXPECT_TRUE(d.enabled(2));
    }
    sim_.setIssueHold(true);  // the count is what matters here, not the labels
    for (const char* count : {"0", "9999"}) {
      d.setText(6089, count);
      sim_.addFault(fault("PTS"));
      d.click(1);
    }
    d.click(2);
  });
  const auto frames = sim_.receivedFrames("PTS");
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].payload(), "2S200PTS0000000");
  EXPECT_EQ(frames[1].payload(), "2S200PTS0009999");
}

// The poll opens the finish connection itself, so the test print does not wait for it.
TEST_F(TestPrintTest, GoesOutEvenWhenTheFinishConnectionCannotBeOpenedFirst) {
  stKtRSE[0].CurKTRInfoST.PortFinUW = 0;
  openTestPrint([&](OperatedDialog& d) {
    d.click(1);
    d.click(2);
  });
  stKtRSE[0].CurKTRInfoST.PortFinUW = 10001;
  EXPECT_EQ(sim_.receivedFrames("PTS").size(), 1u);
  ASSERT_EQ(messages_.size(), 1u);  // the poll could not follow it
  EXPECT_NE(messages_[0].text.find(text(60400)), std::string::npos);
}

TEST_F(TestPrintTest, RefusedTestPrintShowsTheErrorAndIsNotFollowed) {
  sim_.addFault(fault("PTS"));
  bool pumped = false;
  openTestPrint([&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog&) {
      pumped = true;
      return true;
    });
    d.click(1);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(text(60320)), std::string::npos);
    EXPECT_TRUE(d.enabled(1));
    d.click(2);
  });
  EXPECT_FALSE(pumped);
  EXPECT_EQ(g_TestPrintFlag, 0);
}

TEST_F(TestPrintTest, StopIsServedWhileTheJobIsFollowed) {
  sim_.setIssueHold(true);  // nothing comes out until stopped
  int secondOk = -1;
  openTestPrint([&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog& p) {
      secondOk = p.click(1) ? 1 : 0;  // a second OK while it runs is not possible
      EXPECT_TRUE(p.click(6096));
      return false;
    });
    d.setText(6089, "3");
    d.click(1);
    EXPECT_EQ(g_TestPrintFlag, 0);
    d.click(2);
  });
  EXPECT_EQ(secondOk, 0);
  EXPECT_EQ(sim_.receivedFrames("PTS").size(), 1u);
  ASSERT_EQ(sim_.receivedFrames("PSP").size(), 1u);
  ASSERT_TRUE(sim_.waitForJobEnd(2s));
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Stopped);
  // The printer's stop report (998) ends the following and is shown.
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(stKtRSE[0].dwLastError, 998u);
}

TEST_F(TestPrintTest, PrinterErrorDuringTheJobIsShown) {
  sim_.raiseJobError(7, 1);
  openTestPrint([&](OperatedDialog& d) {
    d.setText(6089, "3");
    d.click(1);
    EXPECT_EQ(g_TestPrintFlag, 0);
    d.click(2);
  });
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(stKtRSE[0].dwLastError, 7u);
  EXPECT_EQ(sim_.lastJob()->copiesIssued, 1);
}

TEST_F(TestPrintTest, SilentPrinterEndsTheFollowingWithTheReceiveError) {
  FakeClock clock;
  sim_.setIssueHold(true);
  clock.setStep(5000);  // every look at the clock finds 5 s gone
  openTestPrint([&](OperatedDialog& d) {
    d.click(1);
    EXPECT_TRUE(d.enabled(1));
    d.click(2);
  });
  EXPECT_TRUE(sim_.receivedFrames("PSP").empty());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60404u);
}

TEST_F(TestPrintTest, ContinuousIssueEndsSoonAfterAStopThePrinterDoesNotReport) {
  FakeClock clock;
  int pumps = 0;
  openTestPrint([&](OperatedDialog& d) {
    // A host whose template offers the continuous forms.
    ASSERT_TRUE(platform::showDlgItem(d.window(), 6087, true));
    ASSERT_TRUE(platform::enableDlgItem(d.window(), 6087, true));
    EXPECT_TRUE(d.click(6087));
    EXPECT_FALSE(d.enabled(6089));
    d.onPump([&](OperatedDialog& p) {
      if (++pumps < 3) return true;  // let a few labels come out
      sim_.setFinishReportHook([](ktsim::FinishReport&) { return false; });
      EXPECT_TRUE(p.click(6096));
      clock.setStep(1000);
      return false;
    });
    d.click(1);
    EXPECT_TRUE(d.enabled(1));
    d.click(2);
  });
  ASSERT_EQ(sim_.receivedFrames("PTS").size(), 1u);
  EXPECT_EQ(sim_.receivedFrames("PTS")[0].payload(), "2S200PTS0010001");
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
  EXPECT_GE(sim_.lastJob()->copiesIssued, 2);
  EXPECT_TRUE(messages_.empty());  // silence after a stop is no error
}

// With auto-peel the dialog leaves the finish connection's time-outs as they are (10 s);
// the tests shorten them so that a silent poll does not take that long.
void shortenFinishTimeouts() {
  ASSERT_EQ(SetTimeOut(0, 100, 100, 1), 0);
}

TEST_F(TestPrintTest, WithAutoPeelALabelAtThePeelerKeepsThePollingGoing) {
  stKtRSE[0].AutoPeelUB = 1;
  sim_.setIssueHold(true);  // stands for the label nobody has taken yet
  int peelerPolls = 0;
  openTestPrint([&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog&) {
      if (stKtRSE[0].dwLastError == 60315) ++peelerPolls;
      if (peelerPolls == 0) shortenFinishTimeouts();
      if (peelerPolls < 3) return true;
      sim_.setIssueHold(false);  // taken: the printer goes on and finishes
      return false;
    });
    d.click(1);
    d.click(2);
  });
  EXPECT_EQ(peelerPolls, 3);
  ASSERT_TRUE(sim_.lastJob().has_value());
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Finished);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(TestPrintTest, WithAutoPeelAStopEndsTheFollowingEvenWhileALabelWaits) {
  FakeClock clock;
  stKtRSE[0].AutoPeelUB = 1;
  sim_.setIssueHold(true);
  sim_.setFinishReportHook([](ktsim::FinishReport&) { return false; });  // stop goes unreported
  int pumps = 0;
  openTestPrint([&](OperatedDialog& d) {
    d.onPump([&](OperatedDialog& p) {
      ++pumps;
      if (pumps == 1) shortenFinishTimeouts();
      if (pumps < 3) return true;
      EXPECT_TRUE(p.click(6096));
      clock.setStep(1000);
      return false;
    });
    d.click(1);
    EXPECT_TRUE(d.enabled(1));
    d.click(2);
  });
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
  // What the last poll found is shown: the label still waits at the peeler.
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(stKtRSE[0].dwLastError, 60315u);
}

TEST_F(TestPrintTest, OpensWithTheNormalIssueOfOneLabelWhoseRadioEnablesTheCount) {
  openTestPrint([&](OperatedDialog& d) {
    EXPECT_EQ(d.checked(6075), 1);
    EXPECT_EQ(d.checked(6082), 1);
    EXPECT_EQ(d.checked(6086), 1);
    EXPECT_EQ(d.text(6089), "1");
    platform::showDlgItem(d.window(), 6088, true);
    platform::enableDlgItem(d.window(), 6088, true);
    platform::enableDlgItem(d.window(), 6086, true);
    d.click(6088);
    EXPECT_FALSE(d.enabled(6089));
    d.click(6086);
    EXPECT_TRUE(d.enabled(6089));
    d.click(2);
  });
}

}  // namespace
}  // namespace nypr::test
