// A dialog shaped like the print wait dialog: hidden, polling from its timer, ending
// itself when the job is done or a stop request has aged; a stop button and a close button
// that is usable only once stopping is settled.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/ui.h"
#include "platform/ui_operator.h"
#include "ui_test_support.h"

namespace nypr::platform {
namespace {

constexpr uintptr_t kPollTimer = 100;

struct Job {
  int pollsUntilDone = -1;  // -1: never finishes
  bool stopFails = false;
  int polls = 0;
  bool done = false;
  bool finished = false;
  bool stopRequested = false;
  uint32_t stopTick = 0;
  std::vector<uint32_t> pollTicks;
};

Job* g_job = nullptr;

intptr_t NYPR_STDCALL waitProc(NyHwnd dlg, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  Job* job = g_job;
  switch (msg) {
    case kMsgInitDialog:
      showWindow(dlg, false);
      setDlgItemText(dlg, 6926, "waiting");
      if (lParam != 0) {
        setTimer(dlg, kPollTimer, 400);
      } else {
        enableDlgItem(dlg, kIdCancel, true);
      }
      return 1;
    case kMsgTimer:
      killTimer(dlg, kPollTimer);
      if (!job->done) {
        job->pollTicks.push_back(tickCount());
        if (++job->polls == job->pollsUntilDone) job->finished = job->done = true;
      }
      if (!job->done && job->stopRequested && tickCount() - job->stopTick >= 2000) {
        job->done = true;
      }
      if (job->done) {
        endDialog(dlg, job->finished ? 1 : 0);
      } else {
        setTimer(dlg, kPollTimer, 300);
      }
      return 1;
    case kMsgCommand:
      if (commandId(wParam) == kIdOk) {
        killTimer(dlg, kPollTimer);
        if (job->stopFails) job->done = true;
        job->stopTick = tickCount();
        job->stopRequested = true;
        if (job->done) {
          enableDlgItem(dlg, kIdCancel, true);
        } else {
          setTimer(dlg, kPollTimer, 300);
        }
      } else if (commandId(wParam) == kIdCancel) {
        killTimer(dlg, kPollTimer);
        endDialog(dlg, 1);
      }
      return 1;
    case kMsgDestroy:
      killTimer(dlg, kPollTimer);
      return 1;
    default:
      return 0;
  }
}

class WaitShapedDialog : public ::testing::Test {
 protected:
  void SetUp() override { g_job = &job_; }
  void TearDown() override {
    clearDialogOperators();
    g_job = nullptr;
  }
  intptr_t run(intptr_t slot = 1) {
    start_ = clock_.now();
    return dialogBoxParam("DIALOG_WAIT_FINISH", nullptr, waitProc, slot);
  }
  Job job_;
  testing::VirtualClock clock_;
  uint32_t start_ = 0;
};

TEST_F(WaitShapedDialog, RunsHiddenWithoutOperatorUntilTheJobFinishes) {
  job_.pollsUntilDone = 4;
  EXPECT_EQ(run(), 1);
  ASSERT_EQ(job_.pollTicks.size(), 4u);
  EXPECT_EQ(job_.pollTicks[0] - start_, 400u);
  EXPECT_EQ(job_.pollTicks[3] - start_, 400u + 3 * 300u);
}

TEST_F(WaitShapedDialog, StopRequestEndsTheWaitTwoSecondsLater) {
  setDialogOperator("DIALOG_WAIT_FINISH", [](OperatedDialog& d) {
    EXPECT_TRUE(d.hidden());
    EXPECT_EQ(d.text(6926), "waiting");
    EXPECT_FALSE(d.enabled(kIdCancel));
    EXPECT_TRUE(d.timerActive(kPollTimer));
    EXPECT_EQ(d.timerInterval(kPollTimer), 400u);
    EXPECT_TRUE(d.click(kIdOk));
    // The operator leaves; the hidden dialog goes on by its timer.
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(job_.stopRequested);
  ASSERT_FALSE(job_.pollTicks.empty());
  // Polls every 300 ms; the one at 2100 ms is the first past the 2000 ms limit.
  EXPECT_EQ(job_.pollTicks.size(), 7u);
  EXPECT_EQ(job_.pollTicks.back() - job_.stopTick, 2100u);
}

TEST_F(WaitShapedDialog, FailedStopEnablesCloseWhichEndsWithOne) {
  job_.stopFails = true;
  setDialogOperator("DIALOG_WAIT_FINISH", [](OperatedDialog& d) {
    EXPECT_TRUE(d.click(kIdOk));
    EXPECT_FALSE(d.timerActive(kPollTimer));
    EXPECT_TRUE(d.enabled(kIdCancel));
    EXPECT_TRUE(d.click(kIdCancel));
  });
  EXPECT_EQ(run(), 1);
  EXPECT_TRUE(job_.pollTicks.empty());
}

TEST_F(WaitShapedDialog, WithoutSlotNothingPollsAndTheOpenCloseButtonCancels) {
  // No timer runs, nobody operates: the usable close button is pressed as the cancel.
  EXPECT_EQ(run(0), 1);
  EXPECT_TRUE(job_.pollTicks.empty());
}

TEST_F(WaitShapedDialog, OperatorCanStepTheTimerItself) {
  job_.pollsUntilDone = 3;
  setDialogOperator("DIALOG_WAIT_FINISH", [&](OperatedDialog& d) {
    EXPECT_EQ(d.runTimers(2), 2);
    EXPECT_EQ(job_.polls, 2);
    EXPECT_FALSE(d.ended());
    EXPECT_TRUE(d.fireTimer(kPollTimer));
    EXPECT_TRUE(d.ended());
    EXPECT_EQ(d.result(), 1);
  });
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(job_.polls, 3);
}

}  // namespace
}  // namespace nypr::platform
