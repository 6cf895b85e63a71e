// kt3600r-printer-app: PDF documents, documents that cannot be read, and the label job
// options as the printer receives them. The application on a free loopback port, the
// simulated printer behind it, ipptool as the client.
#include "app_process.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using std::chrono::seconds;

class PrintOptionsTest : public AppTest {
 protected:
  // Print-Job of a document from tests/data/printer_app; the job id, 0 when refused.
  int printDocument(const std::string& document, int copies, std::vector<std::string> vars = {},
                    const std::string& test = "print-job.test") {
    vars.push_back("copies=" + std::to_string(copies));
    return print(nypr::testing::testDataPath("printer_app/" + document), vars, test);
  }

  void setLabelMode(const std::string& mode) {
    const IppRun run = ipp("/ipp/print/kt", "set-label-mode.test", {"mode=" + mode});
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
  }
  bool messageShows(int job, const char* text) {
    return pollUntil([&] { return status(job).message.find(text) != std::string::npos; },
                     seconds(10));
  }
};

TEST_F(PrintOptionsTest, EachPdfPageIsOneLabelOfItsSize) {
  // A black 20 x 10 mm rectangle 10 mm from the left and 5 mm from the top of a 50 x 40 mm
  // page; the second page is the first turned a quarter clockwise.
  const struct {
    int width, length;  // dots
    int left, right;    // the rectangle's columns [left, right)
    int top, bottom;    // and rows [top, bottom)
  } pages[] = {{600, 480, 120, 360, 60, 180}, {480, 600, 300, 420, 120, 360}};
  const int job = printDocument("two-pages.pdf", 2);
  ASSERT_GT(job, 0);
  const JobStatus end = ended(job);
  ASSERT_EQ(end.state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(end.impressionsCompleted, 4);
  const auto jobs = sim_.jobs();
  const auto labels = sim_.labels();
  ASSERT_EQ(jobs.size(), 2u);  // one print command per page, the printer makes the copies
  ASSERT_EQ(labels.size(), 4u);
  for (size_t i = 0; i < labels.size(); ++i) {
    const auto& page = pages[i / 2];
    const auto& label = labels[i];
    SCOPED_TRACE("label " + std::to_string(i));
    EXPECT_EQ(jobs[i / 2].conditions.widthDots, page.width);
    EXPECT_EQ(jobs[i / 2].conditions.lengthDots, page.length);
    ASSERT_GE(label.width, page.width);
    ASSERT_EQ(label.height, page.length);
    int wrong = 0;
    for (int y = 0; y < label.height; ++y) {
      for (int x = 0; x < label.width; ++x) {
        const bool inside = x >= page.left && x < page.right && y >= page.top && y < page.bottom;
        auto near = [](int v, int edge) { return v == edge - 1 || v == edge; };
        const bool edge =
            near(x, page.left) || near(x, page.right) || near(y, page.top) || near(y, page.bottom);
        if (!edge && label.dot(x, y) != inside) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(PrintOptionsTest, DocumentThatCannotBePrintedAbortsItsJobOnly) {
  const struct {
    const char* document;
    const char* message;
  } cases[] = {
      {"corrupt.pdf", "The PDF document is damaged"},
      {"huge-page.pdf", "Page 1 of the PDF document is 5080.0 x 5080.0 mm"},  // never rendered
      {"corrupt.png", "The PNG picture cannot be read"},  // cut short in its picture data
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.document);
    const int job = printDocument(c.document, 1);
    ASSERT_GT(job, 0);
    const JobStatus end = ended(job);
    EXPECT_EQ(end.state, IPP_JSTATE_ABORTED);
    EXPECT_NE(end.message.find(c.message), std::string::npos) << end.message;
  }
  EXPECT_TRUE(sim_.jobs().empty());
  // The application still prints.
  const int job = printDocument("label-50x40.pdf", 1);
  EXPECT_EQ(ended(job).state, IPP_JSTATE_COMPLETED) << app_->log();
}

TEST_F(PrintOptionsTest, JobOptionsReachThePrintConditions) {
  // The contrast limit with the simulator's head rank 3 and the default settings: 70 at
  // 70 mm/s, 75 at 100 mm/s, 81 at 150 mm/s.
  const struct {
    const char* mode;  // label-mode-configured
    const char* type;
    const char* tracking;
    int speed;     // mm/s
    int darkness;  // print-darkness, on printer-darkness-configured 100
    // What the printer receives:
    bool thermalTransfer, mark;
    int gapDots, darknessSent;
    char cutEachLabel;  // the settings record's auto-cut flag
    size_t cuts;        // cut commands after the job
    bool clamped;       // the log says the darkness was limited
  } cases[] = {
      {"tear-off", "labels", "gap", 70, -50, false, false, 36, 50, '0', 0, false},
      {"cutter", "labels-thermal-transfer", "mark", 150, -30, true, true, 36, 70, '1', 0, false},
      {"cutter-delayed", "labels", "continuous", 100, 0, false, false, 0, 75, '0', 1, false},
      {"tear-off", "labels", "gap", 100, -10, false, false, 36, 75, '0', 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + c.type + " " + c.tracking + " " +
                 std::to_string(c.speed) + " " + std::to_string(c.darkness));
    sim_.clearRecords();
    setLabelMode(c.mode);
    const int job = printDocument(
        "label-50x40.pdf", 1,
        {"width=5000", "length=4000", std::string("type=") + c.type,
         std::string("tracking=") + c.tracking, "speed=" + std::to_string(c.speed * 100),
         "darkness=" + std::to_string(c.darkness)},
        "print-job-options.test");
    ASSERT_GT(job, 0);
    ASSERT_EQ(ended(job).state, IPP_JSTATE_COMPLETED) << app_->log();
    const auto jobs = sim_.jobs();
    ASSERT_EQ(jobs.size(), 1u);
    const ktsim::PrintConditions& p = jobs[0].conditions;
    EXPECT_EQ(p.thermalTransfer, c.thermalTransfer);
    EXPECT_EQ(p.flag2, c.mark);
    EXPECT_EQ(p.gapDots, c.gapDots);
    EXPECT_EQ(p.condition1, c.speed);
    EXPECT_EQ(p.condition2, c.darknessSent);
    EXPECT_FALSE(p.autoPeel);
    ASSERT_EQ(p.settings.size(), 168u);
    EXPECT_EQ(p.settings[140], c.cutEachLabel);
    EXPECT_EQ(sim_.receivedFrames("CTS").size(), c.cuts);
    const std::string clamp =
        "[Job " + std::to_string(job) + "] Darkness " + std::to_string(100 + c.darkness) +
        " is above the printer's contrast limit " + std::to_string(c.darknessSent);
    EXPECT_EQ(logShows(clamp, seconds(c.clamped ? 5 : 0)), c.clamped) << app_->log();
  }
}

TEST_F(PrintOptionsTest, LabelAtThePeelerHoldsTheJobUntilTaken) {
  setLabelMode("peel-off");
  const int job = printDocument("label-50x40.pdf", 2);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(sim_.waitForLabelAtPeeler(seconds(10)));
  EXPECT_TRUE(messageShows(job, "peeler"));
  EXPECT_EQ(metric("kt3600r_printer_reason", ",reason=\"output-area-full\""), "1") << metrics();
  EXPECT_EQ(status(job).state, IPP_JSTATE_PROCESSING);
  EXPECT_EQ(sim_.labels().size(), 1u);
  sim_.takeLabel();
  const JobStatus end = ended(job);
  EXPECT_EQ(end.state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(end.impressionsCompleted, 2);
  EXPECT_TRUE(sim_.lastJob()->conditions.autoPeel);
  EXPECT_EQ(sim_.labels().size(), 2u);

  // The last label is still at the peeler: the next job waits for it to be taken.
  sim_.clearRecords();
  const int next = printDocument("label-50x40.pdf", 1);
  ASSERT_GT(next, 0);
  EXPECT_TRUE(messageShows(next, "peeler")) << app_->log();
  EXPECT_TRUE(sim_.jobs().empty());
  sim_.takeLabel();
  EXPECT_EQ(ended(next).state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(sim_.labels().size(), 1u);

  // The peeler takes labels at up to 100 mm/s: a faster job is refused before printing.
  sim_.takeLabel();
  sim_.clearRecords();
  const int fast = printDocument(
      "label-50x40.pdf", 1,
      {"width=5000", "length=4000", "type=labels", "tracking=gap", "speed=15000", "darkness=0"},
      "print-job-options.test");
  const JobStatus refused = ended(fast);
  EXPECT_EQ(refused.state, IPP_JSTATE_ABORTED);
  EXPECT_NE(refused.message.find("70 to 100 mm/s"), std::string::npos) << refused.message;
  EXPECT_TRUE(sim_.jobs().empty());
}

}  // namespace
}  // namespace nypr::test
