// Printing a label through the exported interface onto the simulated printer.
#include <chrono>
#include <string>

#include "print_fixture.h"
#include "settings/printer_settings.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;

using PrintLabelTest = PrintTest;

// Whether the printed label shows the host's bitmap: bitmap row r lands on label line
// r + (label length - bitmap height), so the bitmap's bottom row meets the label's; dots
// right of the label or the bitmap are blank.
void expectPrintedAs(const ktsim::PrintedLabel& printed, const LabelBitmap& src, int labelDots,
                     int lengthDots, bool mirrorX = false, bool mirrorY = false) {
  ASSERT_EQ(printed.height, lengthDots);
  ASSERT_EQ(printed.width, labelDots);
  const int w = src.bitmap.width;
  const int h = src.bitmap.height;
  int wrong = 0;
  for (int y = 0; y < lengthDots; ++y) {
    for (int x = 0; x < labelDots; ++x) {
      int row = y + h - lengthDots;
      bool expected = false;
      if (row >= 0 && row < h && x < w) {
        if (mirrorY) row = h - 1 - row;
        expected = src.black(mirrorX ? w - 1 - x : x, row);
      }
      if (printed.dot(x, y) != expected && ++wrong <= 5) {
        ADD_FAILURE() << "dot " << x << "," << y << " printed " << printed.dot(x, y);
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

ktsim::PrintedLabel printAndTake(ktsim::Simulator& sim) {
  EXPECT_TRUE(sim.waitForLabels(1, 5s));
  auto labels = sim.labels();
  return labels.empty() ? ktsim::PrintedLabel{} : labels.back();
}

TEST_F(PrintLabelTest, LabelWidthInsideAGroupIsCutAtTheEdge) {
  Job job(83, 100);  // 99.6 -> 100 dots wide, 120 dots long
  init(job);
  LabelBitmap bmp(112, 120);  // wider than the label: dots 100..111 must stay blank
  bmp.fillRandom(1);
  ASSERT_EQ(print(job, bmp), 0);
  const auto printed = printAndTake(sim_);
  LabelBitmap visible(100, 120);
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (bmp.black(x, y)) visible.setBlack(x, y);
    }
  }
  expectPrintedAs(printed, visible, 100, 120);
  // The head lines themselves carry nothing right of the label edge.
  const auto job1 = sim_.lastJob();
  ASSERT_TRUE(job1.has_value());
  ASSERT_EQ(job1->bytesPerLine, 120);
  for (const auto& line : job1->lines) {
    for (int x = 100; x < 960; ++x) {
      const int index = 120 - 2 - 2 * (x / 16) + (x % 16) / 8;
      ASSERT_EQ((line[static_cast<size_t>(index)] >> (x % 8)) & 1, 0) << "dot " << x;
    }
  }
}

TEST_F(PrintLabelTest, OddPixelWidthsPrintExactly) {
  Job job(81, 100);  // 97.2 -> 97 dots
  init(job);
  LabelBitmap bmp(97, 120);
  bmp.fillRandom(2);
  ASSERT_EQ(print(job, bmp), 0);
  expectPrintedAs(printAndTake(sim_), bmp, 97, 120);
}

TEST_F(PrintLabelTest, ABitmapNarrowerThanTheLabelLeavesTheRestBlank) {
  Job job(200, 100);  // 240 dots
  init(job);
  LabelBitmap bmp(51, 120);  // its row padding must not print
  bmp.fillRandom(3);
  ASSERT_EQ(print(job, bmp), 0);
  expectPrintedAs(printAndTake(sim_), bmp, 240, 120);
}

TEST_F(PrintLabelTest, LengthsGiveTheirFrameCounts) {
  {
    Job job(400, 100);  // 120 dots: 24 frames
    init(job);
    LabelBitmap bmp(480, 120);
    bmp.fillRandom(4);
    ASSERT_EQ(print(job, bmp), 0);
    expectPrintedAs(printAndTake(sim_), bmp, 480, 120);
    const auto frames = sim_.receivedFrames("DTI");
    ASSERT_EQ(frames.size(), 24u);
    EXPECT_EQ(frames.back().payload().substr(8, 4), "0023");
    EXPECT_EQ(frames.back().payload().size(), 12u + 5u * 122u);
  }
  {
    Job job(400, 101);  // 121 dots: 25 frames, the last one row and four blank lines
    init(job);
    LabelBitmap bmp(480, 121);
    bmp.fillRandom(5);
    ASSERT_EQ(print(job, bmp), 0);
    expectPrintedAs(printAndTake(sim_), bmp, 480, 121);
    const auto frames = sim_.receivedFrames("DTI");
    ASSERT_EQ(frames.size(), 25u);
    const std::string last = frames.back().payload();
    EXPECT_EQ(last.substr(8, 4), "0024");
    for (int line = 1; line < 5; ++line) {
      EXPECT_EQ(last.substr(12 + line * 122, 122), std::string("00") + std::string(120, '\0'));
    }
  }
}

TEST_F(PrintLabelTest, TallerBitmapsLoseTheirTopAndShorterOnesArePadded) {
  Job job(300, 100);  // 360 x 120 dots
  init(job);
  LabelBitmap tall(360, 135);
  tall.fillRandom(6);
  ASSERT_EQ(print(job, tall), 0);
  expectPrintedAs(printAndTake(sim_), tall, 360, 120);

  sim_.clearRecords();
  LabelBitmap low(360, 50);
  low.fillRandom(7);
  ASSERT_EQ(print(job, low), 0);
  expectPrintedAs(printAndTake(sim_), low, 360, 120);
}

TEST_F(PrintLabelTest, MirrorModesTurnTheLabelOver) {
  Job job(250, 100);  // 300 x 120 dots
  init(job);
  LabelBitmap bmp(300, 120);
  bmp.fillRandom(8);
  job.label.MirrorFlagsUL = 0x1;
  ASSERT_EQ(print(job, bmp), 0);
  expectPrintedAs(printAndTake(sim_), bmp, 300, 120, true, false);

  sim_.clearRecords();
  job.label.MirrorFlagsUL = 0x2;
  ASSERT_EQ(print(job, bmp), 0);
  expectPrintedAs(printAndTake(sim_), bmp, 300, 120, false, true);

  sim_.clearRecords();
  job.label.MirrorFlagsUL = 0x3;
  ASSERT_EQ(print(job, bmp), 0);
  expectPrintedAs(printAndTake(sim_), bmp, 300, 120, true, true);
}

TEST_F(PrintLabelTest, PrintConditionsOfAKnownJobOnTheWire) {
  Job job(101, 1001, 3);  // 121.2, 1201.2 and 3.6 dots
  job.cond.Cond2UW = 1200;
  job.cond.Cond4UW = 7;
  job.cond.CountUW = 0;
  job.cond.OptionFlagsUW =
      NYPR_COND_FLAG_2 | NYPR_COND_AUTO_PEEL | NYPR_COND_FLAG_80 | NYPR_COND_FLAG_100;
  job.cond.GapDistUW = 301;
  job.cond.MarkDistUW = 0;
  job.cond.CutterDistUW = 11;
  job.allow100 = 1;
  job.allow80a = 1;
  job.allow80b = 0;  // flag 0x80 needs both permissions
  init(job);
  stKtRSE[0].PosAdjXI = -7;
  stKtRSE[0].PosAdjYI = 24;
  sim_.setIssueHold(true);  // 12000 copies are not issued here
  LabelBitmap bmp(121, 8);
  ASSERT_EQ(print(job, bmp, 12000), 0);

  const std::string expected = std::string("2S200PRS") +  // header and code
                               "0121" +                   // width 101 -> 121 dots
                               "1201" +                   // length 1001 -> 1201 dots
                               "004" +                    // gap 3 -> 4 dots
                               "999" +                    // condition 1200, capped
                               "007" +                    // condition 7
                               "0"
                               "0"
                               "1"
                               "0"
                               "1" +  // flags 0x1 0x8 0x10 0x4 0x2
                               "-07" +
                               "024" +   // position adjustments
                               "9999" +  // copies 12000, capped
                               // The factory record, as updated for this job:
                               "1014002014"
                               "0548"
                               "0548"
                               "158260007007" +
                               "1" +  // field 10: flag 0x100 (also data position 62)
                               "604045456040"
                               "-002"
                               "-004"
                               "2001"
                               "00000000" +
                               "080075060050"
                               "1"
                               "065"
                               "0"
                               "50" +
                               "070010010090024035"
                               "70"
                               "000"
                               "0200" +
                               "050120090040005750"
                               "40"
                               "030"
                               "0960" +
                               "1201" +  // field 51: label length in dots
                               "0" +     // field 52: no auto-cut
                               "999" +   // field 53: count 0 -> 999
                               "0" +     // field 54: flag 0x80 not allowed
                               "05"
                               "0305"
                               "10"
                               "0001"
                               "075"
                               "0"
                               "2200"
                               "001";
  const auto prs = sim_.receivedFrames("PRS");
  ASSERT_EQ(prs.size(), 1u);
  EXPECT_EQ(prs[0].payload(), expected);
  EXPECT_EQ(stKtRSE[0].CopiesUL, 12000u);
  EXPECT_EQ(stKtRSE[0].AutoPeelUB, 1);
  EXPECT_EQ(stKtRSE[0].JobKindUW, kJobLabel);
  // The later updates wait in the record for the next job.
  EXPECT_EQ(settingsFieldText(0, kFieldGapSensorDist), "0300");
  EXPECT_EQ(settingsFieldText(0, kFieldMarkSensorDist), "0548");
  EXPECT_EQ(settingsFieldText(0, kFieldAutoCutterDist), "0010");
  EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "1");
  NyPrStopPrint(1);
}

TEST_F(PrintLabelTest, LabelsThePrinterCannotTakeAreRefusedBeforeAnythingIsSent) {
  LabelBitmap bmp(100, 40);
  struct Case {
    uint16_t width, length, gap, flags;
    int result;
    uint32_t error;
  };
  const Case cases[] = {
      {801, 400, 30, 0, -1, 40019},
      {800, 400, 30, 0, 0, 300},
      {500, 330, 30, NYPR_COND_AUTO_CUT, 0, 300},
      {500, 329, 30, NYPR_COND_AUTO_CUT, -1, 60208},
      {500, 330, 29, NYPR_COND_AUTO_CUT, -1, 60208},
      {500, 100, 10, 0, 0, 300},  // short labels are fine without the cutter
      {399, 400, 30, NYPR_COND_THERMAL_TRANSFER | NYPR_COND_AUTO_PEEL, -1, 60209},
      {400, 400, 30, NYPR_COND_THERMAL_TRANSFER | NYPR_COND_AUTO_PEEL, 0, 300},
      {399, 400, 30, NYPR_COND_AUTO_PEEL, 0, 300},
  };
  for (const Case& c : cases) {
    Job job(c.width, c.length, c.gap);
    job.cond.OptionFlagsUW = c.flags;
    init(job);
    const size_t connections = sim_.connections().size();
    stKtRSE[0].dwLastError = 300;
    EXPECT_EQ(print(job, bmp), c.result) << c.width << " " << c.length << " " << c.gap;
    EXPECT_EQ(lastError(), c.error) << c.width << " " << c.length << " " << c.gap;
    if (c.result != 0) {
      EXPECT_TRUE(sim_.frames().empty());
      EXPECT_EQ(sim_.connections().size(), connections);
    } else {
      EXPECT_EQ(sim_.receivedFrames("PRS").size(), 1u);
      NyPrStopPrint(1);
    }
  }
}

TEST_F(PrintLabelTest, BitmapsWiderThanTheHeadAndUnframableHeadsAreRefused) {
  Job job(800, 100);
  init(job);
  LabelBitmap wide(961, 20);  // 122 bytes a row on a 120-byte head line
  EXPECT_EQ(print(job, wide), -1);
  EXPECT_EQ(lastError(), 40019u);
  LabelBitmap full(960, 20);
  EXPECT_EQ(print(job, full), 0);
  NyPrStopPrint(1);

  init(job);
  setSettingsFieldInt(0, kFieldHeadWidth, 2192);  // 274 bytes a line: no frame holds five
  EXPECT_EQ(print(job, full), -1);
  EXPECT_EQ(lastError(), 60301u);
  EXPECT_EQ(stKtRSE[0].dwError, 50);
  setSettingsFieldInt(0, kFieldHeadWidth, 7);  // not even one byte a line
  EXPECT_EQ(print(job, full), -1);
  EXPECT_EQ(lastError(), 60301u);
  EXPECT_TRUE(sim_.frames().empty());

  setSettingsFieldInt(0, kFieldHeadWidth, 2184);  // 273 bytes: the widest frame, 1387 bytes
  LabelBitmap widest(2176, 20);                   // rows of 272 bytes (even, as GDI keeps)
  EXPECT_EQ(print(job, widest), 0);
  const auto dti = sim_.receivedFrames("DTI");
  ASSERT_FALSE(dti.empty());
  EXPECT_EQ(dti[0].payload().size(), 12u + 5u * 275u);
  NyPrStopPrint(1);
}

TEST_F(PrintLabelTest, NullBitmapAndIncompleteJobsAreRefusedWithoutACode) {
  Job job(500, 100);
  init(job);
  stKtRSE[0].dwLastError = 300;
  EXPECT_EQ(NyPrPrintOneLabel(1, 1, nullptr, &job.job, nullptr), -1);
  LabelBitmap bmp(10, 10);
  EXPECT_EQ(NyPrPrintOneLabel(1, 1, bmp.handle(), nullptr, nullptr), -1);
  job.job.lpPrintCond = nullptr;
  EXPECT_EQ(print(job, bmp), -1);
  NyBitmap broken{};
  EXPECT_EQ(NyPrPrintOneLabel(1, 1, &broken, &job.job, nullptr), -1);
  EXPECT_EQ(lastError(), 300u);
  EXPECT_TRUE(sim_.frames().empty());
}

TEST_F(PrintLabelTest, TheAliasesPrintTheSameAndOtherNumbersUseTheFirstPrinter) {
  Job job(200, 50);
  init(job);
  LabelBitmap bmp(240, 60);
  bmp.fillRandom(9);
  ASSERT_EQ(NyPrStartPrint(1, 1, bmp.handle(), &job.job, nullptr), 0);
  ASSERT_EQ(NyPrRePrintOneLabel(9, 1, bmp.handle(), &job.job, nullptr), 0);
  ASSERT_EQ(NyPrPrintOneLabel(0, 1, bmp.handle(), &job.job, nullptr), 0);
  ASSERT_TRUE(sim_.waitForLabels(3, 5s));
  for (const auto& label : sim_.labels()) expectPrintedAs(label, bmp, 240, 60);
}

TEST_F(PrintLabelTest, OldFirmwareIsRefusedAfterTheStatusQuery) {
  Job job(500, 100);
  job.job.bShowLateError = 1;
  init(job);
  LabelBitmap bmp(100, 100);
  sim_.setVersions(89, 110, 250, 100);
  EXPECT_EQ(print(job, bmp), -1);
  EXPECT_EQ(lastError(), 60405u);
  EXPECT_EQ(messages_.size(), 1u);  // the late failure is shown when the host asks for it
  EXPECT_FALSE(platform::isOpenSocket(stKtRSE[0].skKT));
  EXPECT_TRUE(sim_.receivedFrames("PRS").empty());

  sim_.setVersions(90, 110, 199, 100);
  job.job.bShowLateError = 0;
  EXPECT_EQ(print(job, bmp), -1);
  EXPECT_EQ(lastError(), 60413u);
  EXPECT_EQ(messages_.size(), 1u);

  sim_.setVersions(90, 110, 200, 100);
  EXPECT_EQ(print(job, bmp), 0);
}

TEST_F(PrintLabelTest, TheBackfeedQuestionIsAskedOncePerJob) {
  Job job(500, 100);
  job.cond.OptionFlagsUW = NYPR_COND_BACKFEED_QUESTION;
  init(job);
  sim_.setPaperStopPosition(2);  // the gap stands at the hand cutter
  LabelBitmap bmp(100, 100);
  uint32_t confirm = 1;
  ASSERT_EQ(print(job, bmp, 1, &confirm), 0);
  EXPECT_EQ(confirms_, 1);
  EXPECT_EQ(confirm, 0u);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].style, 48u);
  EXPECT_EQ(messages_[0].caption, cp932("エラー又は警告メッセージ"));
  ASSERT_EQ(print(job, bmp, 1, &confirm), 0);
  EXPECT_EQ(confirms_, 1);

  confirm = 1;
  confirmAnswer_ = 7;  // no
  sim_.clearRecords();
  EXPECT_EQ(print(job, bmp, 1, &confirm), -1);
  EXPECT_EQ(lastError(), 60416u);
  EXPECT_EQ(confirm, 1u);
  EXPECT_TRUE(sim_.receivedFrames("PRS").empty());

  // Not asked when the printer stops elsewhere, the host does not want it, or the
  // external winder forces the issue.
  sim_.setPaperStopPosition(1);
  EXPECT_EQ(print(job, bmp, 1, &confirm), 0);
  sim_.setPaperStopPosition(2);
  EXPECT_EQ(print(job, bmp, 1, nullptr), 0);
  PrinterSettings[0][131] = '1';
  EXPECT_EQ(print(job, bmp, 1, &confirm), 0);
  EXPECT_EQ(confirms_, 2);
}

TEST_F(PrintLabelTest, APrinterErrorInThePrintAnswerStopsTheJob) {
  Job job(500, 100);
  init(job);
  LabelBitmap bmp(100, 100);
  ktsim::Fault fault;
  fault.code = "PRS";
  fault.action = ktsim::FaultAction::Status;
  fault.number = 5;
  sim_.addFault(fault);
  EXPECT_EQ(print(job, bmp), -1);
  EXPECT_EQ(lastError(), 5u);
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
  EXPECT_TRUE(sim_.receivedFrames("DTI").empty());
}

TEST_F(PrintLabelTest, ARefusedRasterFrameEndsTheTransfer) {
  Job job(500, 100);
  init(job);
  LabelBitmap bmp(100, 120);
  ktsim::Fault fault;
  fault.code = "DTI";
  fault.skip = 3;
  fault.action = ktsim::FaultAction::FailureFlag;
  sim_.addFault(fault);
  EXPECT_EQ(print(job, bmp), -1);
  EXPECT_EQ(lastError(), 60303u);
  EXPECT_EQ(sim_.receivedFrames("DTI").size(), 4u);
  EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "<missing>");
}

TEST_F(PrintLabelTest, ALostConnectionDuringTheRasterFails) {
  Job job(500, 100);
  init(job);
  LabelBitmap bmp(100, 120);
  ktsim::Fault fault;
  fault.code = "DTI";
  fault.skip = 5;
  fault.times = -1;
  fault.action = ktsim::FaultAction::NoAnswerClose;
  sim_.addFault(fault);
  EXPECT_EQ(print(job, bmp), -1);
  EXPECT_TRUE(lastError() == 60403u || lastError() == 60404u) << lastError();
}

}  // namespace
}  // namespace nypr::test
