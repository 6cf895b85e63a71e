// ktprint print with more copies than one print command carries: consecutive jobs, and
// progress that counts copies across them.
#include <stb_image_write.h>

#include <regex>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

class KtprintJobsTest : public SimulatorTest {
 protected:
  std::string tinyPicture() {
    std::vector<uint8_t> grey(24 * 12, 255);
    for (int x = 0; x < 24; ++x) grey[static_cast<size_t>(6 * 24 + x)] = 0;
    std::string path = (dir_ / "tiny.png").string();
    EXPECT_NE(stbi_write_png(path.c_str(), 24, 12, 1, grey.data(), 24), 0);
    return path;
  }
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
  auto r = runKtprint(iniPath_, {"print", tinyPicture(), "--copies", "20000"});
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
  auto r = runKtprint(iniPath_, {"print", tinyPicture(), "--copies", "20000"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("copies issued 10499 of 20000"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No labels!"), std::string::npos) << r.err;
  EXPECT_EQ(jobCopies(), (std::vector<int>{9999, 9999}));
  sim_.setFinishReportHook(nullptr);
}

}  // namespace
}  // namespace nypr::test
