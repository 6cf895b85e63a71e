// ktprint's picture conversion: transparency, grey and colour, scaling and turning, and
// the preview that shows the raster before it is printed.
#include <stb_image.h>
#include <stb_image_write.h>

#include <string>
#include <vector>

#include "host_fixture.h"
#include "ktprint_runner.h"

namespace nypr::test {
namespace {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // 0 printed dot, 255 blank
  bool dot(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)] < 128; }
  int dots(int x0, int x1) const {  // printed dots in columns x0..x1-1
    int n = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = x0; x < x1; ++x) n += dot(x, y) ? 1 : 0;
    }
    return n;
  }
};

class KtprintPictureTest : public SimulatorTest {
 protected:
  // Writes an RGBA picture made by `colour(x, y)` (0xRRGGBBAA).
  template <typename F>
  std::string write(const char* name, int width, int height, F colour) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t c = colour(x, y);
        for (int k = 0; k < 4; ++k) {
          rgba[static_cast<size_t>((y * width + x) * 4 + k)] =
              static_cast<uint8_t>(c >> (24 - 8 * k));
        }
      }
    }
    std::string path = (dir_ / name).string();
    EXPECT_NE(stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4), 0);
    return path;
  }
  Picture preview(const std::string& picture, std::vector<std::string> options) {
    std::string out = (dir_ / "preview.png").string();
    std::vector<std::string> args = {"print", picture, "--preview", out};
    args.insert(args.end(), options.begin(), options.end());
    auto r = runKtprint(iniPath_, args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Picture p;
    int channels = 0;
    unsigned char* data = stbi_load(out.c_str(), &p.width, &p.height, &channels, 1);
    if (data == nullptr) return p;
    p.pixels.assign(data, data + p.width * p.height);
    stbi_image_free(data);
    return p;
  }
};

// A grey ramp from black (left) to white (right).
uint32_t ramp(int x, int /*y*/) {
  uint32_t g = static_cast<uint32_t>(x * 255 / 399);
  return g << 24 | g << 16 | g << 8 | 0xFF;
}

// The preview is what the printer prints (PreviewIsWhatThePrinterPrints).
TEST_F(KtprintPictureTest, DitheredGradientPrintsDotsAsDenseAsItsGrey) {
  std::string picture = write("ramp.png", 400, 120, ramp);
  const Picture dithered = preview(picture, {"--dither"});
  ASSERT_EQ(dithered.width, 400);
  // Each tenth of the ramp: the black share is what its mean grey leaves.
  for (int band = 0; band < 10; ++band) {
    SCOPED_TRACE(band);
    double share = dithered.dots(band * 40, band * 40 + 40) / (40.0 * 120.0);
    double expected = 1.0 - (band * 40 + 19.5) / 399.0;
    EXPECT_NEAR(share, expected, 0.04);
  }
  // Without dithering the same ramp is cut at mid-grey.
  Picture cut = preview(picture, {});
  EXPECT_EQ(cut.dots(0, 200), 200 * 120);
  EXPECT_EQ(cut.dots(201, 400), 0);
}

TEST_F(KtprintPictureTest, PreviewIsWhatThePrinterPrints) {
  // Colour, transparency and a shape that shows turning and scaling.
  std::string picture = write("badge.png", 300, 200, [](int x, int y) -> uint32_t {
    if (x < 100) return 0xD02020FF;                     // red: dark enough to print
    if (y < 50) return 0x00000000;                      // transparent black: white
    return (x + y) % 3 == 0 ? 0x2040A0FF : 0xF0F0F080;  // blue dots on half-clear white
  });
  const std::vector<std::string> options = {"--fit", "--rotate", "90", "--width", "40", "--dither"};
  Picture p = preview(picture, options);
  ASSERT_EQ(p.width, 480);   // 40 mm
  ASSERT_EQ(p.height, 720);  // 300 x 200 turned to 200 x 300, scaled to 480 wide
  std::vector<std::string> args = {"print", picture};
  args.insert(args.end(), options.begin(), options.end());
  auto r = runKtprint(iniPath_, args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_TRUE(sim_.waitForLabels(1, ktsim::Millis(2000)));
  const ktsim::PrintedLabel label = sim_.labels().back();
  ASSERT_EQ(label.height, p.height);
  int wrong = 0;
  for (int y = 0; y < label.height; ++y) {
    for (int x = 0; x < label.width; ++x) {
      bool expected = x < p.width && p.dot(x, y);
      if (label.dot(x, y) != expected) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
  // Turned clockwise, the red left part of the picture is the top of the label (red is
  // a dark grey: about two dots of three); the transparent top edge became the right
  // edge and stays blank.
  int red = 0;
  int clear = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (y < 230) red += p.dot(x, y) ? 1 : 0;
      if (y >= 250 && x >= 370) clear += p.dot(x, y) ? 1 : 0;
    }
  }
  EXPECT_NEAR(red / (230.0 * 480.0), 1.0 - 84.0 / 255.0, 0.05);
  EXPECT_EQ(clear, 0);
}

TEST_F(KtprintPictureTest, ThresholdDecidesWhichGreysPrint) {
  std::string picture = write("greys.png", 64, 8, [](int x, int) -> uint32_t {
    uint32_t g = x < 32 ? 0x60 : 0xA0;
    return g << 24 | g << 16 | g << 8 | 0xFF;
  });
  const struct {
    const char* threshold;
    int dots;
  } cases[] = {{"64", 0}, {"200", 64 * 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.threshold);
    EXPECT_EQ(preview(picture, {"--threshold", c.threshold}).dots(0, 64), c.dots);
  }
}

}  // namespace
}  // namespace nypr::test
