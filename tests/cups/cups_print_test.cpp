// The KT3600R as a CUPS queue, end to end: a private cupsd, lpadmin with the PPD, lp, the
// filter and backend as CUPS runs them, and the simulated printer receiving the labels.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cups_server.h"
#include "ktsim/simulator.h"
#include "label_files.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using nypr::testing::testDataPath;
using std::chrono::milliseconds;
using std::chrono::seconds;

class CupsPrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!server_.unavailableReason().empty()) GTEST_SKIP() << server_.unavailableReason();
    sim_.start();
    ASSERT_TRUE(server_.addQueue("KT3600R", sim_.address()));
  }

  // Prints `copies` of a 48 x 48 dot raster page; the job id, 0 when lp failed.
  int printRaster(int copies) {
    const std::string path = (server_.dir() / "label.ras").string();
    writeRaster(path, CUPS_RASTER_WRITE_COMPRESSED, 300, 48, 48, [](int x, int) { return x < 9; });
    return server_.print(
        "KT3600R", path,
        {"-n", std::to_string(copies), "-o", "document-format=application/vnd.cups-raster"});
  }

  // Waits until the job has ended (completed, cancelled or aborted); its last state.
  ipp_jstate_t waitForJobEnd(int job, milliseconds timeout = seconds(20)) {
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    pollUntil([&] { return (state = server_.jobState(job)) >= IPP_JSTATE_CANCELED; }, timeout);
    return state;
  }
  bool reasonShown(const char* reason) {
    return pollUntil([&] { return server_.printerStatus("KT3600R").hasReason(reason); },
                     seconds(20));
  }

  CupsServer server_;
  ktsim::Simulator sim_;
};

// The queue's one print: a PDF through cups-filters, the filter and the backend (the
// filter's dots: CupsDoorTest.PwgPageWordsAreNotReadAsLabelOptions).
TEST_F(CupsPrintTest, PdfLabelWithOptionsReachesThePrintConditions) {
  // A 50 x 30 mm page with a black box of 20 x 12 mm, in 3 copies.
  int job = server_.print(
      "KT3600R", testDataPath("cups/label_50x30mm_box.pdf"),
      {"-n", "3", "-o", "PageSize=w142h85", "-o", "Cut=EndOfJob", "-o", "MediaType=ThermalTransfer",
       "-o", "PrintSpeed=130", "-o", "Darkness=20", "-o", "LabelGap=4mm"});
  ASSERT_GT(job, 0);
  ASSERT_EQ(waitForJobEnd(job), IPP_JSTATE_COMPLETED) << server_.errorLog();
  ASSERT_TRUE(sim_.waitForLabels(3, milliseconds(2000)));
  ASSERT_EQ(sim_.jobs().size(), 1u);  // the printer made the copies
  const auto label = sim_.labels().at(0);
  // 50 x 30 mm at 300 dpi; the box covers 16 % of it.
  EXPECT_NEAR(label.width, 591, 8);
  EXPECT_NEAR(label.height, 354, 4);
  int black = 0;
  for (uint8_t p : label.pixels) black += p == 0 ? 1 : 0;
  EXPECT_NEAR(static_cast<double>(black) / (591.0 * 354.0), 0.16, 0.01);
  const auto c = sim_.lastJob()->conditions;
  // No cut after each label (the record's [140])...
  EXPECT_EQ(std::tie(c.copies, c.condition1, c.condition2, c.gapDots, c.thermalTransfer, c.autoPeel,
                     c.settings.at(140)),
            std::make_tuple(3, 130, 20, 48, true, false, '0'));
  EXPECT_EQ(sim_.receivedFrames("CTS").size(), 1u);  // ...but one after the job
}

TEST_F(CupsPrintTest, PrinterErrorMidJobStopsTheQueueWithItsReason) {
  sim_.raiseJobError(4, 1);  // out of labels after the first copy
  int job = printRaster(3);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(pollUntil(
      [&] { return server_.printerStatus("KT3600R").state == IPP_PSTATE_STOPPED; }, seconds(20)))
      << server_.errorLog();
  const auto status = server_.printerStatus("KT3600R");
  EXPECT_TRUE(status.hasReason("media-empty-error"));
  EXPECT_NE(status.message.find("[4] ラベルが有りません！"), std::string::npos) << status.message;
  EXPECT_EQ(server_.jobState(job), IPP_JSTATE_PENDING);  // kept for when the queue resumes
  auto lpstat = server_.run({"lpstat", "-l", "-p", "KT3600R"});
  EXPECT_NE(lpstat.output.find("media-empty-error"), std::string::npos) << lpstat.output;
  EXPECT_NE(lpstat.output.find("disabled"), std::string::npos) << lpstat.output;
}

TEST_F(CupsPrintTest, HeadOpenBeforeTheJobIsAFault) {
  sim_.setHeadOpen(true);
  int job = printRaster(1);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(reasonShown("cover-open-error")) << server_.errorLog();
  EXPECT_TRUE(sim_.receivedFrames("PRS").empty());
}

TEST_F(CupsPrintTest, UnreachablePrinterIsOfflineUntilItAnswers) {
  sim_.setAccepting(false);
  int job = printRaster(1);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(reasonShown("offline-report")) << server_.errorLog();
  EXPECT_NE(server_.printerStatus("KT3600R").message.find("[6040"), std::string::npos);
  sim_.setAccepting(true);
  ASSERT_EQ(waitForJobEnd(job, seconds(40)), IPP_JSTATE_COMPLETED) << server_.errorLog();
  EXPECT_FALSE(server_.printerStatus("KT3600R").hasReason("offline-report"));
  EXPECT_EQ(sim_.labels().size(), 1u);
}

TEST_F(CupsPrintTest, CancelStopsThePrintersJob) {
  sim_.setIssueHold(true);
  int job = printRaster(5);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(sim_.waitForJobState(ktsim::JobState::Issuing, seconds(20))) << server_.errorLog();
  auto r = server_.run({"cancel", "KT3600R-" + std::to_string(job)});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  ASSERT_TRUE(sim_.waitForFrames("PSP", 1, seconds(10))) << server_.errorLog();
  EXPECT_EQ(waitForJobEnd(job, seconds(5)), IPP_JSTATE_CANCELED);
}

}  // namespace
}  // namespace nypr::test
