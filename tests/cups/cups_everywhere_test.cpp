// CUPS in front of the printer application, without a driver: lpadmin -m everywhere makes
// the queue from what the application advertises, and lp prints through CUPS's own ipp
// backend to the application and on to the simulated printer.
#include "app_process.h"
#include "cups_server.h"

namespace nypr::test {
namespace {

using CupsEverywhere = AppTest;

TEST_F(CupsEverywhere, CupsAddsTheApplicationsPrinterAndPrintsALabel) {
  CupsServer cups;
  if (!cups.unavailableReason().empty()) GTEST_SKIP() << cups.unavailableReason();
  // The harness's scheduler has our backend only; this queue uses CUPS's own.
  std::filesystem::create_symlink("/usr/lib/cups/backend/ipp", cups.dir() / "bin/backend/ipp");
  const CommandResult added =
      cups.run({"lpadmin", "-p", "KT", "-E", "-v", app_->uri("/ipp/print/kt"), "-m", "everywhere"});
  ASSERT_EQ(added.exitCode, 0) << added.output;

  // A 50 x 30 mm label (the application's default) at 12 dots/mm: frame and stripes.
  const int width = 600, height = 360;
  auto black = [&](int x, int y) {
    return x < 3 || y < 3 || x >= width - 3 || y >= height - 3 || (x + 2 * y) % 17 < 4;
  };
  const std::string png = (dir_.path() / "label.png").string();
  writePng(png, width, height, black);
  const int job = cups.print("KT", png, {});
  ASSERT_GT(job, 0);
  EXPECT_TRUE(pollUntil([&] { return cups.jobState(job) == IPP_JSTATE_COMPLETED; },
                        std::chrono::seconds(60)))
      << cups.errorLog() << app_->log();
  ASSERT_EQ(sim_.labels().size(), 1u) << cups.errorLog() << app_->log();
  EXPECT_EQ(sim_.labels()[0].height, height);
  EXPECT_EQ(wrongDots(sim_.labels()[0], width, height, black), 0);
}

}  // namespace
}  // namespace nypr::test
