// ktprint print, feed, cut and stop, end to end against the simulated printer: what its
// options and commands send (the label's dots are the driver's print path), more copies
// than one print command carries as consecutive jobs with progress counted across them,
// and Ctrl-C.
#include <algorithm>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"
#include "test_data.h"

namespace nypr::test {
namespace {

class KtprintPrintTest : public SimulatorTest {};

TEST_F(KtprintPrintTest, OptionsReachThePrintConditions) {
  auto r = runKtprint(iniPath_, {"print", testing::testDataPath("ktprint/small.pgm"), "--cut",
                                 "--thermal-transfer", "--gap", "3.5", "--width", "50", "--length",
                                 "40", "--speed", "120", "--copies", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("copies issued 3 of 3"), std::string::npos) << r.out;
  const auto job = sim_.lastJob();
  ASSERT_TRUE(job.has_value());
  const ktsim::PrintConditions& c = job->conditions;
  ASSERT_EQ(c.settings.size(), 168u);  // [140]: the record's auto-cut field
  EXPECT_EQ(std::tie(c.widthDots, c.lengthDots, c.gapDots, c.condition1, c.copies,
                     c.thermalTransfer, c.settings[140]),
            std::make_tuple(600, 480, 42, 120, 3, true, '1'));
}

TEST_F(KtprintPrintTest, FeedCutAndStop) {
  for (const auto& [command, code] : {std::pair{"feed", "FES"}, {"cut", "CTS"}, {"stop", "PSP"}}) {
    auto r = runKtprint(iniPath_, {command});
    EXPECT_EQ(r.exitCode, 0) << command << ": " << r.err;
    EXPECT_EQ(sim_.receivedFrames(code).size(), 1u) << command;
  }
}

class KtprintJobsTest : public SimulatorTest {
 protected:
  const std::string tinyPicture = testing::testDataPath("ktprint/small.pgm");
  // The counts of every "copies issued k of N" line, in order.
  static std::vector<int> issuedCounts(const std::string& out, int total) {
    std::vector<int> counts;
    std::regex line("copies issued (\\d+) of " + std::to_string(total));
    for (std::sregex_iterator it(out.begin(), out.end(), line), end; it != end; ++it) {
      counts.push_back(std::stoi((*it)[1]));
    }
    return counts;
  }
  std::vector<int> jobCopies() {
    std::vector<int> copies;
    for (const auto& job : sim_.jobs()) copies.push_back(job.conditions.copies);
    return copies;
  }
};

TEST_F(KtprintJobsTest, CopiesBeyondOneCommandAreIssuedInConsecutiveJobs) {
  auto r = runKtprint(iniPath_, {"print", tinyPicture, "--copies", "20000"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(jobCopies(), (std::vector<int>{9999, 9999, 2}));
  int issued = 0;
  for (const auto& job : sim_.jobs()) issued += job.copiesIssued;
  EXPECT_EQ(issued, 20000);
  std::vector<int> counts = issuedCounts(r.out, 20000);
  ASSERT_FALSE(counts.empty()) << r.out;
  EXPECT_EQ(counts.back(), 20000);
  EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
  // The count passes through the end of each job: it never restarts at a job's start.
  EXPECT_NE(std::find(counts.begin(), counts.end(), 9999), counts.end());
  EXPECT_NE(std::find(counts.begin(), counts.end(), 19998), counts.end());
}

TEST_F(KtprintJobsTest, PrinterErrorInTheSecondJobSaysHowManyWereIssued) {
  bool armed = false;
  sim_.setFinishReportHook([&](ktsim::FinishReport& report) {
    // The first job's last copy is out: the next job runs out of labels after 500.
    if (!armed && report.error == 0 && report.remaining == 0) {
      armed = true;
      sim_.raiseJobError(4, 500);
    }
    return true;
  });
  auto r = runKtprint(iniPath_, {"print", tinyPicture, "--copies", "20000"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("copies issued 10499 of 20000"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No labels!"), std::string::npos) << r.err;
  EXPECT_EQ(jobCopies(), (std::vector<int>{9999, 9999}));
  sim_.setFinishReportHook(nullptr);
}

// Ctrl-C during a job: the test sends SIGINT (not under wine: a console control event
// reaches only processes that share a console, which a test under ctest has not).
using KtprintInterruptTest = KtprintJobsTest;

TEST_F(KtprintInterruptTest, CtrlCStopsTheJobAndExits130) {
  sim_.setIssueHold(true);  // the printer takes the label but issues nothing
  auto r =
      runKtprint(iniPath_, {"print", tinyPicture, "--copies", "5"}, {}, "copies issued 0 of 5");
  sim_.setIssueHold(false);
  EXPECT_EQ(r.exitCode, 130) << r.err;
  EXPECT_NE(r.err.find("copies issued 0 of 5"), std::string::npos) << r.err;
  for (const auto& job : sim_.jobs()) EXPECT_EQ(job.copiesIssued, 0);
}

}  // namespace
}  // namespace nypr::test
