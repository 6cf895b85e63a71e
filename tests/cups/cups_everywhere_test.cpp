// CUPS in front of the printer application, without a driver: lpadmin -m everywhere makes
// the queue from what the application advertises, and lp prints through CUPS's own ipp
// backend to the application and on to the simulated printer.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app_process.h"
#include "cups_server.h"
#include "ktsim/simulator.h"
#include "test_data.h"

namespace nypr::test {
namespace {

using std::chrono::seconds;

TEST(CupsEverywhere, CupsAddsTheApplicationsPrinterAndPrintsALabel) {
  if (std::string(NYPR_IPPTOOL).empty()) GTEST_SKIP() << "ipptool (cups-ipp-utils) not found";
  CupsServer cups;
  if (!cups.unavailableReason().empty()) GTEST_SKIP() << cups.unavailableReason();
  // The harness's scheduler has our backend only; this queue uses CUPS's own.
  std::filesystem::create_symlink("/usr/lib/cups/backend/ipp", cups.dir() / "bin/backend/ipp");
  ktsim::Simulator sim;
  sim.start();
  TempDir state;
  AppServer app(state.path());  // listens on localhost, as it does by default
  ASSERT_TRUE(app.started()) << app.log();
  const CommandResult created =
      runCommand({NYPR_IPPTOOL, "-t", "-d", "name=kt", "-d", "device=kt3600r://" + sim.address(),
                  app.uri("/ipp/system"), testing::testDataPath("printer_app/create-printer.test")},
                 state.path());
  ASSERT_EQ(created.exitCode, 0) << created.output;

  const std::string uri = "ipp://localhost:" + std::to_string(app.port()) + "/ipp/print/kt";
  const CommandOutput added =
      cups.run({"lpadmin", "-p", "KT", "-E", "-v", uri, "-m", "everywhere"});
  ASSERT_EQ(added.exitCode, 0) << added.text;

  // A 50 x 30 mm label (the application's default) at 12 dots/mm: frame and stripes.
  const int width = 600, height = 360;
  auto black = [&](int x, int y) {
    return x < 3 || y < 3 || x >= width - 3 || y >= height - 3 || (x + 2 * y) % 17 < 4;
  };
  std::vector<uint8_t> grey(static_cast<size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      grey[static_cast<size_t>(y * width + x)] = black(x, y) ? 0 : 255;
  }
  const std::string png = (state.path() / "label.png").string();
  ASSERT_NE(stbi_write_png(png.c_str(), width, height, 1, grey.data(), width), 0);

  const int job = cups.print("KT", png, {});
  ASSERT_GT(job, 0);
  EXPECT_TRUE(CupsServer::waitUntil([&] { return cups.jobState(job) == IPP_JSTATE_COMPLETED; },
                                    seconds(60)))
      << cups.errorLog() << app.log();
  ASSERT_EQ(sim.labels().size(), 1u) << cups.errorLog() << app.log();
  const auto label = sim.labels()[0];
  ASSERT_GE(label.width, width);
  ASSERT_EQ(label.height, height);
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < label.width; ++x) wrong += label.dot(x, y) != (x < width && black(x, y));
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace nypr::test
