// Finding the printer's finish report in what one read of the finish connection brought.
#include "driver/finish_report.h"

#include <gtest/gtest.h>

#include <string>

namespace nypr {
namespace {

// STX "0016" "2S200PRE" " " error(3) remaining(4) ETX: 22 bytes.
std::string report(const std::string& error, const std::string& remaining) {
  return std::string("\x02") + "0016" + "2S200PRE" + "0" + error + remaining + "\x03";
}

FinishReport scan(const std::string& bytes) {
  return findLastFinishReport(bytes.data(), bytes.size());
}

TEST(FinishReport, OneCompleteReport) {
  const FinishReport r = scan(report("000", "0003"));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.offset, 0u);
  EXPECT_EQ(r.error, 0);
  EXPECT_EQ(r.remaining, 3);
}

TEST(FinishReport, TheLastOfSeveralCounts) {
  const FinishReport r =
      scan(report("000", "0002") + report("000", "0001") + report("999", "0000"));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.offset, 44u);
  EXPECT_EQ(r.error, 999);
  EXPECT_EQ(r.remaining, 0);
}

TEST(FinishReport, AReportCutOffByTheReadLeavesTheOneBefore) {
  const std::string two = report("000", "0002") + report("000", "0000");
  for (size_t cut = 23; cut < 44; ++cut) {
    const FinishReport r = scan(two.substr(0, cut));
    ASSERT_TRUE(r.found) << cut;
    EXPECT_EQ(r.remaining, 2) << cut;
  }
}

TEST(FinishReport, OnlyAPartialReportIsNone) {
  const std::string one = report("000", "0000");
  for (size_t cut = 0; cut < one.size(); ++cut) EXPECT_FALSE(scan(one.substr(0, cut)).found) << cut;
}

TEST(FinishReport, NeverLooksPastTheBytesReceived) {
  // The ETX that would close the report stands right behind the received bytes.
  const std::string bytes = report("000", "0000");
  EXPECT_FALSE(findLastFinishReport(bytes.data(), bytes.size() - 1).found);
}

TEST(FinishReport, NoiseBeforeAReportIsSkippedAndAnUnclosedOneEndsTheScan) {
  EXPECT_TRUE(scan("xx" + report("005", "0001")).found);
  const std::string unclosed = std::string("\x02") + std::string(25, '0');
  const FinishReport r = scan(report("000", "0004") + unclosed + report("000", "0000"));
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.remaining, 4);
  EXPECT_FALSE(findLastFinishReport(nullptr, 10).found);
}

}  // namespace
}  // namespace nypr
