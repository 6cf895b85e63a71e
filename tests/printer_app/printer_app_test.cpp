// kt3600r-printer-app end to end: the application as a server on a free loopback port,
// the simulated printer behind it, ipptool as the client. PDF documents, documents that
// cannot be read, and the label job options as the printer receives them.
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "app_process.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using std::chrono::seconds;

class PrinterAppTest : public AppTest {
 protected:
  // A label of one grey level, `width` x `height` dots, in the test's directory.
  std::string solidPng(int width, int height, bool black) {
    const std::string png = (dir_.path() / (black ? "black.png" : "white.png")).string();
    writePng(png, width, height, [&](int, int) { return black; });
    return png;
  }
  // Print-Job of `copies` on a 30 x 30 mm label (or `width` x `length` in 0.01 mm).
  int printOn(const std::string& file, int copies, int width = 3000, int length = 3000) {
    return print(file,
                 {"copies=" + std::to_string(copies), "width=" + std::to_string(width),
                  "length=" + std::to_string(length)},
                 "print-job-media.test");
  }
  bool reasonShown(const char* reason) {
    return pollUntil(
        [&] {
          return metric("kt3600r_printer_reason", ",reason=\"" + std::string(reason) + "\"") == "1";
        },
        seconds(20));
  }
};

// A job whose printer's head opens while it prints waits until it closes; a job held by a
// head open before it lets the application stop in time (TearDown). The wait before the
// job and its end are those of a printer switched off (AJobForAPrinterSwitchedOff...).
TEST_F(PrinterAppTest, HeadOpenHoldsTheJobUntilItCloses) {
  const std::string png = solidPng(360, 360, true);
  sim_.setIssueHold(true);
  const int job = printOn(png, 3);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(sim_.waitForJobState(ktsim::JobState::Issuing, seconds(10)));
  sim_.setHeadOpen(true);
  sim_.setIssueHold(false);
  EXPECT_TRUE(reasonShown("cover-open"));
  EXPECT_EQ(status(job).state, IPP_JSTATE_PROCESSING);
  sim_.setHeadOpen(false);
  EXPECT_EQ(ended(job).state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(sim_.labels().size(), 3u);
  EXPECT_EQ(status(job).impressionsCompleted, 3);
  sim_.setHeadOpen(true);
  const size_t seen = app_->log().size();
  ASSERT_GT(printOn(png, 1), 0);
  ASSERT_TRUE(logShows("the job waits for the printer", seconds(10), seen));
  EXPECT_EQ(app_->stop(), 0) << app_->log();  // within the 10 s that stop() gives it
}

TEST_F(PrinterAppTest, AJobForAPrinterSwitchedOffWaitsAndPrintsWhenItIsBack) {
  const std::string png = solidPng(360, 360, true);
  const std::string address = sim_.address();
  sim_.stop();
  ASSERT_TRUE(reasonShown("offline"));
  EXPECT_EQ(metric("kt3600r_printer_up"), "0");
  const int job = printOn(png, 2);
  ASSERT_GT(job, 0);
  ASSERT_TRUE(logShows("the job waits for the printer", seconds(20))) << app_->log();
  ktsim::Options options;
  options.address = address;
  ktsim::Simulator back(options);  // the same printer switched on again
  back.start();
  EXPECT_EQ(ended(job).state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(back.labels().size(), 2u);
  EXPECT_EQ(status(job).impressionsCompleted, 2);
  EXPECT_TRUE(pollUntil([&] { return metric("kt3600r_printer_up") == "1"; }, seconds(10)));
}

TEST_F(PrinterAppTest, LabelTooWideAbortsWithTheDriversMessage) {
  // A PWG raster page 1000 dots (83 mm) wide: wider than the printer's 80 mm.
  const std::string file = (dir_.path() / "wide.pwg").string();
  writeRaster(file, CUPS_RASTER_WRITE_PWG, 305, 1000, 360, [](int x, int) { return x % 8 >= 4; });

  const int job = printOn(file, 1, 8334, 3000);
  ASSERT_GT(job, 0);
  EXPECT_EQ(ended(job).state, IPP_JSTATE_ABORTED);
  EXPECT_NE(app_->log().find("[40019]"), std::string::npos) << app_->log();
  EXPECT_EQ(metric("kt3600r_jobs_aborted_total"), "1");
  EXPECT_EQ(metric("kt3600r_last_error_code"), "40019");
}

TEST_F(PrinterAppTest, PrintersAndTheirSettingsSurviveARestart) {
  ASSERT_TRUE(addPrinter("other", "kt3600r://127.254.0.2"));
  ASSERT_EQ(app_->stop(), 0);
  app_ = std::make_unique<AppServer>(dir_.path(), "127.0.0.1");
  ASSERT_TRUE(app_->started()) << app_->log();
  // The printer keeps its module number and address: its status reads and it prints.
  EXPECT_TRUE(pollUntil([&] { return metric("kt3600r_printer_up") == "1"; }, seconds(10)));
  const int job = print(solidPng(360, 360, false), {"copies=1"});
  ASSERT_GT(job, 0);
  EXPECT_EQ(ended(job).state, IPP_JSTATE_COMPLETED);
  EXPECT_NE(metrics().find("printer=\"other\""), std::string::npos);
}

// CUPS's own IPP 2.0 and IPP Everywhere suites, unmodified.
TEST_F(PrinterAppTest, PassesCupsIppSuites) {
  const std::string png = solidPng(600, 360, false);
  // The suites want printer-up-time above 0 (PAPPL counts whole seconds) and
  // printer-supply, which comes with the first status read.
  ASSERT_TRUE(pollUntil(
      [&] {
        const std::string upTime = printerAttribute("printer-up-time");
        return !upTime.empty() && upTime != "0" && !printerAttribute("printer-supply").empty();
      },
      seconds(5)));
  for (const char* name : {"ipp-2.0.test", "ipp-everywhere.test"}) {
    const std::string suite = std::string("/usr/share/cups/ipptool/") + name;
    if (!std::filesystem::exists(suite)) GTEST_SKIP() << suite << " not installed (cups-ipp-utils)";
    const CommandResult r =
        runCommand({NYPR_IPPTOOL, "-t", "-T", "20", "-f", png, app_->uri("/ipp/print/kt"), suite},
                   dir_.path());
    EXPECT_EQ(r.exitCode, 0) << name << r.output << app_->log();
    EXPECT_NE(r.output.find("[PASS]"), std::string::npos) << name << r.output;
    EXPECT_EQ(r.output.find("[FAIL]"), std::string::npos) << name << r.output << app_->log();
  }
}

// Identify-Printer feeds one blank label; a printer that cannot feed says why in the log.
TEST_F(PrinterAppTest, IdentifyFeedsOneBlankLabel) {
  for (const bool headOpen : {false, true}) {
    SCOPED_TRACE(headOpen ? "head open" : "ready");
    sim_.clearRecords();
    sim_.setHeadOpen(headOpen);
    const CommandResult r = ipp("/ipp/print/kt", "identify-printer.test", {"actions=sound"}).result;
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(sim_.receivedFrames("FES").size(), headOpen ? 0u : 1u) << app_->log();
    EXPECT_TRUE(sim_.labels().empty());
  }
  EXPECT_NE(app_->log().find("Identify: no label fed: [40079]"), std::string::npos) << app_->log();
}

// Two printers print at once, one a PNG picture and one a PWG raster, while the status
// timer reads both: every job completed, the copies made by the printer, counters per
// printer.
TEST_F(PrinterAppTest, TwoPrintersPrintAtOnce) {
  ktsim::Simulator other;
  other.start();
  ASSERT_TRUE(addPrinter("kt2", "kt3600r://" + other.address()));
  const std::string pwg = (dir_.path() / "kt2.pwg").string();
  writeRaster(pwg, CUPS_RASTER_WRITE_PWG, 305, 600, 360, [](int x, int y) { return x == y; });
  const std::pair<std::string, std::string> printers[] = {{"kt", solidPng(600, 360, true)},
                                                          {"kt2", pwg}};
  std::vector<std::thread> submitters;
  for (const auto& [name, file] : printers) {
    submitters.emplace_back([&, name = name, file = file] {
      TempDir own;  // ipptool's output apart from the other thread's
      for (int i = 0; i < 3; ++i) {
        EXPECT_GT(runIpptool(app_->uri("/ipp/print/" + name), "print-job.test", {"copies=2"}, file,
                             own.path())
                      .jobId,
                  0);
      }
    });
  }
  for (std::thread& t : submitters) t.join();
  for (ktsim::Simulator* sim : {&sim_, &other}) {
    EXPECT_TRUE(sim->waitForLabels(6, seconds(30))) << app_->log();
    EXPECT_EQ(sim->jobs().size(), 3u);  // one print command a job: the printer made the copies
  }
  EXPECT_TRUE(pollUntil([&] { return metric("kt3600r_jobs_completed_total") == "3"; }, seconds(10)))
      << metrics();
  EXPECT_NE(metrics().find("kt3600r_jobs_completed_total{printer=\"kt2\",address=\"" +
                           other.address() + "\"} 3"),
            std::string::npos);
  EXPECT_EQ(metric("kt3600r_labels_printed_total"), "6");
}

TEST_F(PrinterAppTest, NinthPrinterIsRefused) {
  for (int n = 2; n <= 8; ++n) {
    ASSERT_TRUE(addPrinter("kt" + std::to_string(n), "kt3600r://127.254.0." + std::to_string(n)));
  }
  EXPECT_FALSE(addPrinter("kt9", "kt3600r://127.254.0.9"));
  EXPECT_NE(app_->log().find("already drives 8 printers"), std::string::npos);
}

// The addresses (kernel hex notation) listening on `port`.
std::set<std::string> listeningAddresses(int port) {
  std::set<std::string> addresses;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state;
      fields >> slot >> local >> remote >> state;
      const size_t colon = local.find(':');
      if (state == "0A" && colon != std::string::npos &&
          std::stoi(local.substr(colon + 1), nullptr, 16) == port) {
        addresses.insert(local.substr(0, colon));
      }
    }
  }
  return addresses;
}

TEST_F(PrinterAppTest, ListensOnlyWhereTold) {
  const std::string v4Loopback = "0100007F", v6Loopback = "00000000000000000000000001000000";
  // By default: loopback only.
  TempDir byDefaultDir;
  AppServer byDefault(byDefaultDir.path());
  ASSERT_TRUE(byDefault.started()) << byDefault.log();
  const auto addresses = listeningAddresses(byDefault.port());
  EXPECT_FALSE(addresses.empty());
  for (const std::string& a : addresses) EXPECT_TRUE(a == v4Loopback || a == v6Loopback) << a;
  // Told one address (the fixture's 127.0.0.1): that one alone.
  EXPECT_EQ(listeningAddresses(app_->port()), std::set<std::string>{v4Loopback});
}

TEST_F(PrinterAppTest, CancelStopsThePrintersJob) {
  sim_.setIssueHold(true);
  const int job = print(solidPng(360, 360, true), {"copies=5"});
  ASSERT_GT(job, 0);
  ASSERT_TRUE(sim_.waitForJobState(ktsim::JobState::Issuing, seconds(10)));
  ipp_t* request = ippNewRequest(IPP_OP_CANCEL_JOB);
  ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, "root");
  ippDelete(app_->ippRequest(request, "/ipp/print/kt"));

  EXPECT_TRUE(sim_.waitForFrames("PSP", 1, seconds(10)));
  EXPECT_EQ(ended(job).state, IPP_JSTATE_CANCELED);
  EXPECT_EQ(metric("kt3600r_jobs_aborted_total"), "1");
}

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
    int wrong = 0;  // the rectangle's edges (two dots along each) may go either way
    auto near = [](int v, int edge) { return v == edge - 1 || v == edge; };
    for (int y = 0; y < label.height; ++y) {
      for (int x = 0; x < label.width; ++x) {
        if (near(x, page.left) || near(x, page.right) || near(y, page.top) || near(y, page.bottom))
          continue;
        wrong += label.dot(x, y) !=
                 (x >= page.left && x < page.right && y >= page.top && y < page.bottom);
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
    ASSERT_EQ(p.settings.size(), 168u);
    EXPECT_EQ(std::tie(p.thermalTransfer, p.flag2, p.gapDots, p.condition1, p.condition2,
                       p.autoPeel, p.settings[140]),
              std::make_tuple(c.thermalTransfer, c.mark, c.gapDots, c.speed, c.darknessSent, false,
                              c.cutEachLabel));
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
  sim_.takeLabel();
  const JobStatus end = ended(job);
  EXPECT_EQ(end.state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(end.impressionsCompleted, 2);
  EXPECT_TRUE(sim_.lastJob()->conditions.autoPeel);

  // The last label is still at the peeler: the next job waits for it to be taken.
  sim_.clearRecords();
  const int next = printDocument("label-50x40.pdf", 1);
  ASSERT_GT(next, 0);
  EXPECT_TRUE(messageShows(next, "peeler")) << app_->log();
  EXPECT_TRUE(sim_.jobs().empty());
  sim_.takeLabel();
  EXPECT_EQ(ended(next).state, IPP_JSTATE_COMPLETED) << app_->log();
  EXPECT_EQ(sim_.labels().size(), 1u);

  // The peeler takes labels at up to 100 mm/s: a faster job is refused before printing
  // (with the last label still at the peeler: the refusal comes first).
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
