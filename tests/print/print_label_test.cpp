// Printing a label through the exported interface onto the simulated printer.
#include <chrono>
#include <string>

#include "nyhost/nyhost_control.h"
#include "print_fixture.h"
#include "resources/strings.h"
#include "settings/printer_settings.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using namespace std::chrono_literals;

using PrintLabelTest = PrintTest;

// Sizes and mirror flags: tests/data/print/printed_labels.txt.
TEST_F(PrintLabelTest, ThePrintedLabelIsTheBitmap) {
  uint32_t seed = 0;
  for (const auto& row : testing::readTestTable("print/printed_labels.txt")) {
    SCOPED_TRACE(row[0]);
    const int width = std::stoi(row[1]), length = std::stoi(row[2]), mirror = std::stoi(row[5]);
    Job job(static_cast<uint16_t>(width), static_cast<uint16_t>(length));
    job.label.MirrorFlagsUL = static_cast<uint32_t>(mirror);
    init(job);
    LabelBitmap bmp(std::stoi(row[3]), std::stoi(row[4]));
    bmp.fillRandom(++seed);
    ASSERT_EQ(print(job, bmp), 0);
    const int labelDots = (width * 12 + 5) / 10;
    const int lengthDots = (length * 12 + 5) / 10;
    ASSERT_TRUE(sim_.waitForLabels(1, 5s));
    EXPECT_EQ(wrongDots(sim_.labels().back(), bmp, labelDots, lengthDots, mirror & 1, mirror & 2),
              0);

    // The printer takes only numbered frames of five "00"-headed lines, and prints once it
    // has the label's length: the label above pins their count. Here what it does not
    // print: blank lines after the label's last one, nothing right of the label edge.
    const std::string last = sim_.receivedFrames("DTI").back().payload();
    for (int line = (lengthDots - 1) % 5 + 1; line < 5; ++line) {
      EXPECT_EQ(last.substr(12 + line * 122, 122), std::string("00") + std::string(120, '\0'));
    }
    const auto printed = sim_.lastJob();
    ASSERT_TRUE(printed.has_value());
    ASSERT_EQ(printed->bytesPerLine, 120);
    for (const auto& line : printed->lines) {
      for (int x = labelDots; x < 960; ++x) {
        const int index = 120 - 2 - 2 * (x / 16) + (x % 16) / 8;
        ASSERT_EQ((line[static_cast<size_t>(index)] >> (x % 8)) & 1, 0) << "dot " << x;
      }
    }
    sim_.clearRecords();
  }
}

TEST_F(PrintLabelTest, PrintConditionsOfAKnownJobOnTheWire) {
  Job job(101, 1001, 3);  // 121.2, 1201.2 and 3.6 dots
  job.cond.Cond2UW = 1200;
  job.cond.Cond4UW = 7;
  job.cond.CountUW = 0;
  job.cond.OptionFlagsUW =
      NYPR_COND_FLAG_2 | NYPR_COND_AUTO_PEEL | NYPR_COND_FLAG_80 | NYPR_COND_FLAG_100;
  job.cond.CutterDistUW = 11;
  job.allow100 = 1;
  job.allow80a = 1;  // flag 0x80 needs the second permission too
  init(job);
  stKtRSE[0].PosAdjXI = -7;
  stKtRSE[0].PosAdjYI = 24;
  sim_.setIssueHold(true);  // 12000 copies are not issued here
  LabelBitmap bmp(121, 8);
  ASSERT_EQ(print(job, bmp, 12000), 0);

  // The record's bytes are the conditions tests' table; here the job's own fields and the
  // record fields this job updates must reach the wire.
  const auto prs = sim_.receivedFrames("PRS");
  ASSERT_EQ(prs.size(), 1u);
  const std::string sent = prs[0].payload();
  ASSERT_EQ(sent.size(), 208u);
  // Width, length and gap in dots, condition 1200 capped, condition 7, flags 0x1 0x8 0x10
  // 0x4 0x2, the slot's position adjustments, copies 12000 capped.
  EXPECT_EQ(sent.substr(0, 40), "2S200PRS0121120100499900700101-070249999");
  EXPECT_EQ(sent[40 + 30], '1');  // field 10: flag 0x100, allowed by the host
  // Fields 51-54: length in dots, no auto-cut, count 0 -> 999, flag 0x80 not allowed.
  EXPECT_EQ(sent.substr(40 + 136, 9), "120109990");
  EXPECT_EQ(stKtRSE[0].CopiesUL, 12000u);
  EXPECT_EQ(stKtRSE[0].AutoPeelUB, 1);
  EXPECT_EQ(stKtRSE[0].JobKindUW, kJobLabel);
  // The later updates wait in the record for the next job.
  EXPECT_EQ(settingsFieldText(0, kFieldAutoCutterDist), "0010");
  EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "1");
  NyPrStopPrint(1);
}

// Sizes, flags and outcomes: tests/data/print/refused_labels.txt.
TEST_F(PrintLabelTest, LabelsThePrinterCannotTakeAreRefusedBeforeAnythingIsSent) {
  LabelBitmap bmp(100, 40);
  for (const auto& row : testing::readTestTable("print/refused_labels.txt")) {
    SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2] + " " + row[3]);
    Job job(static_cast<uint16_t>(std::stoi(row[0])), static_cast<uint16_t>(std::stoi(row[1])),
            static_cast<uint16_t>(std::stoi(row[2])));
    job.cond.OptionFlagsUW = static_cast<uint16_t>(std::stoul(row[3], nullptr, 16));
    init(job);
    const size_t connections = sim_.connections().size();
    stKtRSE[0].dwLastError = 300;
    const int result = std::stoi(row[4]);
    EXPECT_EQ(print(job, bmp), result);
    EXPECT_EQ(lastError(), std::stoul(row[5]));
    if (result != 0) {
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
  EXPECT_EQ(NyPrPrintOneLabel(1, 1, brokenBitmapHandle(), &job.job, nullptr), -1);
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
  for (const auto& label : sim_.labels()) EXPECT_EQ(wrongDots(label, bmp, 240, 60), 0);
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
  // The host is asked the driver's own text, with no host message id.
  EXPECT_EQ(nyhostLastConfirmMessageId(), 0u);
  EXPECT_EQ(nyhostLastConfirmText(), moduleStringCp932(60406));
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

TEST_F(PrintLabelTest, PrinterFaultsDuringTheJob) {
  struct Case {
    const char* name;
    const char* code;
    ktsim::FaultAction action;
    int skip, times, number;
    uint32_t error;  // 0: lost connection, 60403 or 60404
    int psp, dti;    // -1: not looked at
  };
  const Case cases[] = {
      {"a refused raster frame ends the transfer", "DTI", ktsim::FaultAction::FailureFlag, 3, 1, 0,
       60303, -1, 4},
      {"a printer error in the print answer stops the job", "PRS", ktsim::FaultAction::Status, 0, 1,
       5, 5, 1, 0},
      {"a lost connection during the raster fails", "DTI", ktsim::FaultAction::NoAnswerClose, 5, -1,
       0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Job job(500, 100);
    init(job);
    LabelBitmap bmp(100, 120);
    fault(c.code, c.action, c.number, c.skip, c.times);
    EXPECT_EQ(print(job, bmp), -1);
    if (c.error != 0) {
      EXPECT_EQ(lastError(), c.error);
      if (c.psp >= 0) {
        EXPECT_EQ(sim_.receivedFrames("PSP").size(), static_cast<size_t>(c.psp));
      }
      EXPECT_EQ(sim_.receivedFrames("DTI").size(), static_cast<size_t>(c.dti));
      if (c.dti > 0) {
        EXPECT_EQ(readIni("BackPrinting", "Printting_Status"), "<missing>");
      }
    } else {
      EXPECT_TRUE(lastError() == 60403u || lastError() == 60404u) << lastError();
    }
    sim_.clearFaults();
  }
}

}  // namespace
}  // namespace nypr::test
