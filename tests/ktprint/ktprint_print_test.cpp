// ktprint print, feed, cut and stop, end to end against the simulated printer.
#include <stb_image.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

class KtprintPrintTest : public SimulatorTest {
 protected:
  // A picture with a frame and a diagonal, 1 pixel = 1 dot.
  std::string writePicture(int width, int height) {
    picture_.assign(static_cast<size_t>(width * height), 255);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        bool black = x < 3 || y < 3 || x >= width - 3 || y >= height - 3 || x == y ||
                     (x / 7 + y / 11) % 5 == 0;
        if (black) picture_[static_cast<size_t>(y * width + x)] = 0;
      }
    }
    width_ = width;
    height_ = height;
    std::string path = (dir_ / "label.png").string();
    EXPECT_NE(stbi_write_png(path.c_str(), width, height, 1, picture_.data(), width), 0);
    return path;
  }

  std::vector<uint8_t> picture_;
  int width_ = 0;
  int height_ = 0;
};

TEST_F(KtprintPrintTest, PrintsEveryCopyAsThePictureShows) {
  std::string png = writePicture(240, 120);
  auto r = runKtprint(iniPath_, {"print", png, "--copies", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("copies issued 3 of 3"), std::string::npos) << r.out;
  ASSERT_TRUE(sim_.waitForLabels(3, ktsim::Millis(2000)));
  auto labels = sim_.labels();
  ASSERT_EQ(labels.size(), 3u);
  const auto& label = labels.back();
  ASSERT_GE(label.width, width_);
  ASSERT_EQ(label.height, height_);
  int wrong = 0;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < label.width; ++x) {
      bool expected = x < width_ && picture_[static_cast<size_t>(y * width_ + x)] == 0;
      if (label.dot(x, y) != expected) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
  auto conditions = sim_.lastJob()->conditions;
  EXPECT_EQ(conditions.widthDots, 240);
  EXPECT_EQ(conditions.lengthDots, 120);
  EXPECT_EQ(conditions.copies, 3);
}

TEST_F(KtprintPrintTest, OptionsReachThePrintConditions) {
  std::string png = writePicture(600, 480);
  auto r = runKtprint(iniPath_, {"print", png, "--cut", "--thermal-transfer", "--gap", "3.5",
                                 "--width", "50", "--length", "40", "--speed", "120"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto job = sim_.lastJob();
  ASSERT_TRUE(job.has_value());
  EXPECT_EQ(job->conditions.widthDots, 600);
  EXPECT_EQ(job->conditions.lengthDots, 480);
  EXPECT_EQ(job->conditions.gapDots, 42);
  EXPECT_EQ(job->conditions.condition1, 120);
  EXPECT_TRUE(job->conditions.thermalTransfer);
  EXPECT_EQ(job->conditions.settings[140], '1');  // auto-cut field of the record
}

TEST_F(KtprintPrintTest, PrinterErrorMidJobEndsWithItsMessage) {
  std::string png = writePicture(240, 120);
  sim_.raiseJobError(4, 1);  // out of labels after the first copy
  auto r = runKtprint(iniPath_, {"print", png, "--copies", "3"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("No labels!"), std::string::npos) << r.err;
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
  auto r = runKtprint(iniPath_, {"feed"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sim_.receivedFrames("FES").size(), 1u);
  r = runKtprint(iniPath_, {"cut"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sim_.receivedFrames("CTS").size(), 1u);
  r = runKtprint(iniPath_, {"stop"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(sim_.receivedFrames("PSP").size(), 1u);
}

}  // namespace
}  // namespace nypr::test
