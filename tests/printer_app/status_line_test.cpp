// The driver's status line as the Linux hosts read it: numbers out of the INI text,
// whatever the file holds.
#include <gtest/gtest.h>

#include "printer_status.h"

namespace nypr::test {
namespace {

struct Row {
  const char* line;
  bool parsed;
  int headTenths, ambientTenths, warningKm;
  bool distances;
  uint64_t labelMm, bodyMm;
};

TEST(HostStatusLine, TakenApartOrRefused) {
  const Row rows[] = {
      {"120#110#250#030#020#010#040#1262-1300#0#0253#0221#0#001#050#100#0#100#000Km001m234mm#"
       "012Km345m678mm",
       true, 253, 221, 100, true, 1234, 12345678},
      // A negative ambient temperature, the head open.
      {"120#110#250#030#020#010#040#1262-1300#1#0253#1045#0#001#050#100#0#040#999Km999m999mm#"
       "000Km000m000mm",
       true, 253, -45, 40, true, 999999999, 0},
      // The distance query failed: its parts are empty, the units stay.
      {"120#110#250#030#020#010#040#1262-1300#0#0253#0221#0#001#050#100#0##Kmmmm#Kmmmm", true, 253,
       221, 0, false, 0, 0},
      {"", false, 0, 0, 0, false, 0, 0},
      {"120#110#250", false, 0, 0, 0, false, 0, 0},
      // A temperature that is not the driver's four characters.
      {"120#110#250#030#020#010#040#1262-1300#0#25.3#0221#0#001#050#100#0#100#000Km001m234mm#"
       "012Km345m678mm",
       false, 0, 0, 0, false, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const auto d = host::parseStatusLine(row.line);
    ASSERT_EQ(d.has_value(), row.parsed);
    if (!d) continue;
    EXPECT_EQ(d->headTemperatureTenths, row.headTenths);
    EXPECT_EQ(d->ambientTemperatureTenths, row.ambientTenths);
    EXPECT_EQ(d->headWarningKm, row.warningKm);
    EXPECT_EQ(d->haveDistances, row.distances);
    EXPECT_EQ(d->labelTravelMm, row.labelMm);
    EXPECT_EQ(d->bodyTravelMm, row.bodyMm);
  }
}

}  // namespace
}  // namespace nypr::test
