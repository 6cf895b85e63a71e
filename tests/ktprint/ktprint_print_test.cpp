// ktprint print, feed, cut and stop, end to end against the simulated printer: what its
// options and commands send (the label's dots are the driver's print path).
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

class KtprintPrintTest : public SimulatorTest {};

TEST_F(KtprintPrintTest, OptionsReachThePrintConditions) {
  const std::vector<uint8_t> grey(600 * 480, 0x80);
  const std::string png = (dir_ / "label.png").string();
  ASSERT_NE(stbi_write_png(png.c_str(), 600, 480, 1, grey.data(), 600), 0);
  auto r =
      runKtprint(iniPath_, {"print", png, "--cut", "--thermal-transfer", "--gap", "3.5", "--width",
                            "50", "--length", "40", "--speed", "120", "--copies", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("copies issued 3 of 3"), std::string::npos) << r.out;
  auto job = sim_.lastJob();
  ASSERT_TRUE(job.has_value());
  EXPECT_EQ(job->conditions.widthDots, 600);
  EXPECT_EQ(job->conditions.lengthDots, 480);
  EXPECT_EQ(job->conditions.gapDots, 42);
  EXPECT_EQ(job->conditions.condition1, 120);
  EXPECT_EQ(job->conditions.copies, 3);
  EXPECT_TRUE(job->conditions.thermalTransfer);
  EXPECT_EQ(job->conditions.settings[140], '1');  // auto-cut field of the record
}

TEST_F(KtprintPrintTest, UnreadablePictureIsABadArgument) {
  std::string path = (dir_ / "not-a-picture.png").string();
  FILE* f = std::fopen(path.c_str(), "w");
  std::fputs("hello", f);
  std::fclose(f);
  auto r = runKtprint(iniPath_, {"print", path});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(sim_.connections().empty());
}

TEST_F(KtprintPrintTest, FeedCutAndStop) {
  for (const auto& [command, code] : {std::pair{"feed", "FES"}, {"cut", "CTS"}, {"stop", "PSP"}}) {
    auto r = runKtprint(iniPath_, {command});
    EXPECT_EQ(r.exitCode, 0) << command << ": " << r.err;
    EXPECT_EQ(sim_.receivedFrames(code).size(), 1u) << command;
  }
}

}  // namespace
}  // namespace nypr::test
