// Finding the printer's finish report in what one read of the finish connection brought.
#include "driver/finish_report.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace nypr {
namespace {

// STX "0016" "2S200PRE" " " error(3) remaining(4) ETX: 22 bytes.
std::string report(const std::string& error, const std::string& remaining) {
  return std::string("\x02") + "0016" + "2S200PRE" + "0" + error + remaining + "\x03";
}

FinishReport scan(const std::string& bytes) {
  return findLastFinishReport(bytes.data(), bytes.size());
}

TEST(FinishReport, TheLastCompleteReportCounts) {
  struct Case {
    std::string bytes;
    size_t offset;
    int error, remaining;
  };
  const std::string unclosed = std::string("\x02") + std::string(25, '0');
  const Case cases[] = {
      {report("000", "0003"), 0, 0, 3},
      {report("000", "0002") + report("000", "0001") + report("999", "0000"), 44, 999, 0},
      {"xx" + report("005", "0001"), 2, 5, 1},  // noise before a report is skipped
      // An unclosed report ends the scan.
      {report("000", "0004") + unclosed + report("000", "0000"), 0, 0, 4},
  };
  for (const Case& c : cases) {
    const FinishReport r = scan(c.bytes);
    EXPECT_EQ(std::tie(r.found, r.offset, r.error, r.remaining),
              std::make_tuple(true, c.offset, c.error, c.remaining))
        << c.bytes;
  }
}

TEST(FinishReport, AReportCutOffByTheReadIsNotOne) {
  const std::string two = report("000", "0002") + report("000", "0000");
  for (size_t cut = 0; cut < two.size(); ++cut) {
    const FinishReport r = scan(two.substr(0, cut));
    EXPECT_EQ(r.found, cut >= 22) << cut;  // the one before counts, if there is one
    if (r.found) {
      EXPECT_EQ(r.remaining, 2) << cut;
    }
  }
  // Never looks past the bytes received: the ETX that would close the report stands
  // right behind them.
  EXPECT_FALSE(findLastFinishReport(two.data(), 21).found);
  EXPECT_FALSE(findLastFinishReport(nullptr, 10).found);
}

}  // namespace
}  // namespace nypr
