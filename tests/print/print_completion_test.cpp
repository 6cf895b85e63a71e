// Following jobs to their end on the simulated printer: polling, waiting, the wait dialog,
// stop, the ready check, feeding, the auto cut and the backup copy of each label.
#include <stb_image.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "driver/bmp_backup.h"
#include "print_fixture.h"
#include "settings/printer_settings.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;

// A 500 x 100 label job with a 600 x 120 bitmap, started by start().
class CompletionTest : public PrintTest {
 protected:
  int start(int32_t copies, uint16_t flags = 0) {
    job_.cond.OptionFlagsUW = flags;
    init(job_);
    return print(job_, bmp_, copies);
  }
  Job job_{500, 100};
  LabelBitmap bmp_{600, 120};
};

TEST_F(CompletionTest, WaitingEndsWithTheJobAndStopsAFailedOne) {
  ASSERT_EQ(start(2), 0);
  EXPECT_EQ(NyPrWaitPrintFinished(1, 0), 1);
  EXPECT_TRUE(sim_.receivedFrames("PSP").empty());
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));

  // A failed job is stopped and keeps its error.
  sim_.raiseJobError(7, 1);
  ASSERT_EQ(start(3), 0);
  EXPECT_EQ(NyPrWaitPrintFinished(1, 0), 0);
  EXPECT_EQ(lastError(), 7u);
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
}

TEST_F(CompletionTest, WaitingStopsAJobThatDoesNotEnd) {
  FakeClock clock;
  sim_.setIssueHold(true);
  ASSERT_EQ(start(2), 0);
  clock.setStep(2500);  // every look at the clock finds 2.5 s gone
  EXPECT_EQ(NyPrWaitPrintFinished(1, 0), 0);
  // The silence that ended the wait is what the host is told, not the stop's outcome.
  EXPECT_EQ(lastError(), 60404u);
  EXPECT_EQ(stKtRSE[0].dwError, 10060);
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
  ASSERT_TRUE(sim_.waitForJobEnd(2s));
  EXPECT_EQ(sim_.lastJob()->state, ktsim::JobState::Stopped);
}

// Taken while the wait goes on (after its first silent poll): the job ends in it. A wait
// that runs out is stopped and keeps its error, as for a job that does not end above.
TEST_F(CompletionTest, WaitingKeepsPollingWhileALabelWaitsAtThePeeler) {
  FakeClock clock;
  ASSERT_EQ(start(2, NYPR_COND_AUTO_PEEL), 0);
  ASSERT_TRUE(sim_.waitForLabelAtPeeler(5s));
  clock.setStep(1000);
  std::thread user([this] {
    std::this_thread::sleep_for(700ms);
    sim_.takeLabel();
  });
  EXPECT_EQ(NyPrWaitPrintFinished(1, 0), 1);
  user.join();
}

TEST_F(CompletionTest, TestPrintAndHeadCheckWithoutTheirDialogs) {
  init(job_);
  sim_.setBrokenDots({5, 17, 480});
  EXPECT_EQ(NyPrTestPrint(1, 2, 1, 3), 1);
  ASSERT_EQ(sim_.receivedFrames("PTS").size(), 1u);
  EXPECT_NE(sim_.receivedFrames("PTS")[0].bytes.find("PTS2100003"), std::string::npos);
  int32_t count = 0;
  int32_t dots[2] = {};
  EXPECT_EQ(NyPrHeadCheck(1, 960, 1, &count, dots, 2), 1);
  EXPECT_EQ(count, 3);  // only as many positions as the caller has room for
  EXPECT_EQ(std::vector<int32_t>(dots, dots + 2), (std::vector<int32_t>{5, 17}));
}

TEST_F(CompletionTest, WaitTestPrintAndHeadCheckRefuseValuesOutOfRange) {
  init(job_);
  EXPECT_EQ(NyPrWaitPrintFinished(0, 0), 0);
  EXPECT_EQ(NyPrWaitPrintFinished(9, 0), 0);
  int32_t count = 0;
  int32_t dots[2] = {};
  const int32_t prints[][4] = {{0, 0, 0, 1}, {9, 0, 0, 1}, {1, 7, 0, 1},    {1, -1, 0, 1},
                               {1, 0, 4, 1}, {1, 0, 0, 0}, {1, 0, 0, 10000}};
  for (const auto& p : prints) {
    EXPECT_EQ(NyPrTestPrint(static_cast<uint8_t>(p[0]), p[1], p[2], p[3]), 0)
        << p[1] << p[2] << p[3];
  }
  EXPECT_EQ(NyPrHeadCheck(9, 1, 960, &count, dots, 2), 0);
  EXPECT_EQ(NyPrHeadCheck(1, 0, 960, &count, dots, 2), 0);
  EXPECT_EQ(NyPrHeadCheck(1, 1, 961, &count, dots, 2), 0);
  EXPECT_EQ(NyPrHeadCheck(1, 1, 960, nullptr, dots, 2), 0);
  EXPECT_EQ(NyPrHeadCheck(1, 1, 960, &count, nullptr, 2), 0);
  EXPECT_EQ(NyPrHeadCheck(1, 1, 960, &count, dots, -1), 0);
  EXPECT_TRUE(sim_.frames().empty());
}

class WaitDialogTest : public CompletionTest {
 protected:
  // Prints two copies and opens the wait dialog over them; `op` acts on it first.
  int printAndWait(std::function<void(platform::OperatedDialog&)> op) {
    EXPECT_EQ(start(2), 0);
    platform::setDialogOperator("DIALOG_WAIT_FINISH", [&](platform::OperatedDialog& d) {
      EXPECT_TRUE(d.hidden());
      EXPECT_EQ(d.textUtf8(6926),
                "発行又はフィード中です。発行又はフィードが終わるまでお待ち下さい！");
      EXPECT_FALSE(d.enabled(2));
      EXPECT_EQ(d.timerInterval(100), 400u);
      if (op) op(d);
    });
    return NyPrWaitJobEnd(&stKtRSE[0], 0, nullptr);
  }
  FakeClock clock_;
};

TEST_F(WaitDialogTest, EndsWithTheJobOrItsPrinterError) {
  EXPECT_EQ(printAndWait(nullptr), 1);
  EXPECT_EQ(sim_.labels().size(), 2u);
  EXPECT_TRUE(sim_.receivedFrames("PSP").empty());
  sim_.raiseJobError(7, 1);
  EXPECT_EQ(printAndWait(nullptr), 0);
  EXPECT_EQ(lastError(), 7u);
}

TEST_F(WaitDialogTest, StopPressedStopsTheJob) {
  sim_.setIssueHold(true);
  EXPECT_EQ(printAndWait([](platform::OperatedDialog& d) { EXPECT_TRUE(d.click(1)); }), 0);
  EXPECT_GE(sim_.receivedFrames("PSP").size(), 1u);
  EXPECT_EQ(lastError(), 998u);  // the printer's report of the stopped job
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
}

TEST_F(WaitDialogTest, AStopThePrinterNeverConfirmsGivesUpAfterTwoSeconds) {
  sim_.setIssueHold(true);
  sim_.setFinishReportHook([](ktsim::FinishReport&) { return false; });
  EXPECT_EQ(printAndWait([this](platform::OperatedDialog& d) {
              clock_.setStep(400);  // the silent polls after the stop see time pass
              EXPECT_TRUE(d.click(1));
            }),
            0);
  EXPECT_EQ(lastError(), 60122u);
}

TEST_F(WaitDialogTest, WithoutASlotOnlyCloseIsLeft) {
  platform::setDialogOperator("DIALOG_WAIT_FINISH", [](platform::OperatedDialog& d) {
    EXPECT_TRUE(d.enabled(2));
    EXPECT_FALSE(d.timerActive(100));
    EXPECT_TRUE(d.click(2));
  });
  EXPECT_EQ(NyPrWaitJobEnd(nullptr, 0, nullptr), 1);
  PrinterSlot stranger{};
  EXPECT_EQ(NyPrWaitJobEnd(&stranger, 0, nullptr), -1);
}

TEST_F(CompletionTest, StopAnswersWhetherThePrinterStopped) {
  init(job_);
  EXPECT_EQ(NyPrStopPrint(1), 1);
  fault("PSP", ktsim::FaultAction::FailureFlag);
  EXPECT_EQ(NyPrStopPrint(1), 0);
  EXPECT_EQ(lastError(), 60304u);
  EXPECT_EQ(NyPrStopPrint(200), 1);  // numbers out of range use the first printer
}

TEST_F(CompletionTest, ReadyCheckComparesThePeelSensorWithItsLevel) {
  job_.cond.OptionFlagsUW = NYPR_COND_AUTO_PEEL;
  init(job_);
  struct Case {
    const char* level;
    int reading, print, feed;
  };
  const Case cases[] = {
      {"050", 50, 1, 1}, {"050", 51, 0, 1},  // equal passes, above fails for a print
      {"000", 75, 1, 1}, {"000", 76, 0, 1},  // out of range counts as 75
      {"101", 75, 1, 1}, {"101", 76, 0, 1},
  };
  for (const Case& c : cases) {
    std::memcpy(&PrinterSettings[0][66], c.level, 3);
    sim_.setSensors(30, 20, c.reading, 50, 0);
    EXPECT_EQ(NyPrIsPrintReady(0, 1), c.print) << c.level << " " << c.reading;
    EXPECT_EQ(lastError(), c.print ? 300u : 40365u);
    EXPECT_EQ(NyPrIsPrintReady(0, 2), c.feed) << c.level << " " << c.reading;
  }
  stKtRSE[0].AutoPeelUB = 0;  // without auto-peel the peeler does not matter
  EXPECT_EQ(NyPrIsPrintReady(0, 1), 1);
  EXPECT_EQ(stKtRSE[0].HeadRankUB, 3);

  // An open head and a printer without an address are refused.
  sim_.setHeadOpen(true);
  EXPECT_EQ(NyPrIsPrintReady(0, 1), 0);
  EXPECT_EQ(lastError(), 40079u);
  stKtRSE[1].CurKTRInfoST = KtrInfo{};
  stKtRSE[1].CurKTRInfoST.PrinterNoUB = 1;
  EXPECT_EQ(NyPrIsPrintReady(1, 1), 0);
  EXPECT_EQ(stKtRSE[1].dwLastError, 60400u);
  EXPECT_EQ(NyPrIsPrintReady(8, 1), 0);
}

TEST_F(CompletionTest, FeedWaitsForTheFedLabel) {
  job_.cond.OptionFlagsUW = NYPR_COND_AUTO_CUT | NYPR_COND_FLAG_200;
  init(job_);
  EXPECT_EQ(NyPrFeedLabel(1, &job_.job), 1);
  const auto fes = sim_.receivedFrames("FES");
  ASSERT_EQ(fes.size(), 1u);
  EXPECT_EQ(fes[0].payload().substr(8 + 28, 4), "0001");
  EXPECT_EQ(fes[0].payload()[8 + 32 + 140], '1');  // auto-cut: flag 0x200 plays no part
  EXPECT_EQ(stKtRSE[0].JobKindUW, kJobFeed);
  EXPECT_EQ(sim_.lastJob()->kind, ktsim::JobKind::Feed);
  job_.label.LengthUW = 8334;  // 10001 dots: more than the command's four digits
  EXPECT_EQ(NyPrFeedLabel(1, &job_.job), 0);
  EXPECT_EQ(lastError(), 40019u);
  EXPECT_EQ(sim_.receivedFrames("FES").size(), 1u);
}

TEST_F(CompletionTest, AFeedWithAWrongParameterIsNotWaitedFor) {
  init(job_);
  fault("FES", ktsim::FaultAction::WrongParameter, 23);
  EXPECT_EQ(NyPrFeedLabel(1, &job_.job), 0);
  EXPECT_EQ(lastError(), 60301u);
  EXPECT_EQ(stKtRSE[0].dwError, 23);
  EXPECT_TRUE(sim_.receivedFrames("PSP").empty());
  EXPECT_EQ(NyPrFeedLabel(1, nullptr), 0);
}

TEST_F(CompletionTest, AutoCutReportsThePrintersAnswer) {
  init(job_);
  EXPECT_EQ(NyPrSendPrintAutoCut(0), 1);
  EXPECT_EQ(sim_.state().cutCount, 1u);  // the request's bytes are the test hub tests'
  EXPECT_TRUE(messages_.empty());
  sim_.setCutError(7);
  EXPECT_EQ(NyPrSendPrintAutoCut(0), 0);
  EXPECT_EQ(lastError(), 7u);
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(NyPrSendPrintAutoCut(8), 0);
}

TEST_F(CompletionTest, EachPrintedLabelIsBackedUpUnderTheNextNumber) {
  writeIni("Log", "BACKUPBMP", "1");
  writeIni("Log", "KTBakBmpNum", "1000");
  writeIni("Log", "MAXBmp", "1000");
  init(job_);
  LabelBitmap bmp(37, 21);
  bmp.fillRandom(11);
  ASSERT_EQ(print(job_, bmp), 0);
  ASSERT_EQ(print(job_, bmp), 0);
  EXPECT_EQ(readIni("Log", "KTBakBmpNum"), "3");
  EXPECT_EQ(backupBmpPath(1), (dir_ / "LOG" / "KT0001.BMP").string());
  for (const char* name : {"KT0001.BMP", "KT0002.BMP"}) {
    const std::string path = (dir_ / "LOG" / name).string();
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &channels, 1);
    ASSERT_NE(pixels, nullptr) << path << ": " << stbi_failure_reason();
    ASSERT_EQ(w, 37);
    ASSERT_EQ(h, 21);
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) wrong += (pixels[y * w + x] == 0) != bmp.black(x, y);
    }
    EXPECT_EQ(wrong, 0) << path;
    stbi_image_free(pixels);
  }
  writeIni("Log", "BACKUPBMP", "0");
  ASSERT_EQ(print(job_, bmp), 0);
  EXPECT_EQ(readIni("Log", "KTBakBmpNum"), "3");
}

}  // namespace
}  // namespace nypr::test
