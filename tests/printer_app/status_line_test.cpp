// The driver's status line as the Linux hosts read it: numbers out of the INI text,
// whatever the file holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer_status.h"
#include "test_data.h"

namespace nypr::test {
namespace {

TEST(HostStatusLine, TakenApartOrRefused) {
  const auto rows = nypr::testing::readTestTable("printer_app/status-lines.txt");
  ASSERT_EQ(rows.size(), 6u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 8u);
    SCOPED_TRACE(row[0]);
    const auto d = host::parseStatusLine(row[0]);
    ASSERT_EQ(d.has_value(), row[1] == "1");
    if (!d) continue;
    const std::vector<std::string> got = {
        std::to_string(d->headTemperatureTenths), std::to_string(d->ambientTemperatureTenths),
        std::to_string(d->headWarningKm),         d->haveDistances ? "1" : "0",
        std::to_string(d->labelTravelMm),         std::to_string(d->bodyTravelMm)};
    EXPECT_EQ(got, std::vector<std::string>(row.begin() + 2, row.end()));
  }
}

}  // namespace
}  // namespace nypr::test
