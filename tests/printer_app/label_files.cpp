#include "label_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <unistd.h>

#include <algorithm>

namespace nypr::test {

int wrongDots(const ktsim::PrintedLabel& label, int width, int height,
              const std::function<bool(int, int)>& black) {
  int wrong = 0;
  for (int y = 0; y < std::max(height, label.height); ++y) {
    for (int x = 0; x < std::max(width, label.width); ++x)
      wrong += label.dot(x, y) != (x < width && y < height && black(x, y));
  }
  return wrong;
}

void writeRaster(const std::string& path, cups_mode_t mode, int dpi, int width, int height,
                 const std::function<bool(int, int)>& black, unsigned speed, int pages) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  cups_raster_t* raster = cupsRasterOpen(fd, mode);
  cups_page_header2_t h{};
  // Media in 0.01 mm for exactly `width` x `height` dots.
  cupsRasterInitPWGHeader(
      &h, pwgMediaForSize((width * 2540 + dpi - 1) / dpi, (height * 2540 + dpi - 1) / dpi),
      "black_1", dpi, dpi, "one-sided", nullptr);
  h.cupsWidth = static_cast<unsigned>(width);
  h.cupsHeight = static_cast<unsigned>(height);
  h.cupsBytesPerLine = static_cast<unsigned>((width + 7) / 8);
  // A CUPS raster page carries the queue's label options where PWG's header init put its
  // feed transforms: none here but the speed.
  if (mode != CUPS_RASTER_WRITE_PWG)
    std::fill(std::begin(h.cupsInteger), std::end(h.cupsInteger), 0);
  h.cupsInteger[0] = speed;
  std::vector<uint8_t> line(h.cupsBytesPerLine);
  for (int page = 0; page < pages; ++page) {
    EXPECT_TRUE(cupsRasterWriteHeader2(raster, &h)) << path;
    for (int y = 0; y < height; ++y) {
      std::fill(line.begin(), line.end(), 0);
      for (int x = 0; x < width; ++x) {
        if (black(x, y)) line[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
      cupsRasterWritePixels(raster, line.data(), h.cupsBytesPerLine);
    }
  }
  cupsRasterClose(raster);
  ::close(fd);
}

void writePng(const std::string& path, int width, int height,
              const std::function<bool(int, int)>& black) {
  std::vector<uint8_t> grey(static_cast<size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      grey[static_cast<size_t>(y * width + x)] = black(x, y) ? 0 : 255;
  }
  EXPECT_NE(stbi_write_png(path.c_str(), width, height, 1, grey.data(), width), 0) << path;
}

}  // namespace nypr::test
