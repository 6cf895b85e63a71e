// The driver's status line as the Linux hosts read it: numbers out of the INI text,
// whatever the file holds.
#include <gtest/gtest.h>

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
    EXPECT_EQ(std::to_string(d->headTemperatureTenths), row[2]);
    EXPECT_EQ(std::to_string(d->ambientTemperatureTenths), row[3]);
    EXPECT_EQ(std::to_string(d->headWarningKm), row[4]);
    EXPECT_EQ(d->haveDistances, row[5] == "1");
    EXPECT_EQ(std::to_string(d->labelTravelMm), row[6]);
    EXPECT_EQ(std::to_string(d->bodyTravelMm), row[7]);
  }
}

}  // namespace
}  // namespace nypr::test
