#include "label_image.h"

#include <stb_image.h>
#include <stb_image_resize.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

#include "translation.h"

namespace ktprint {
namespace {

// Far beyond any label (80 mm x 2 m is 23 million dots); refuses pictures that would
// only exhaust memory.
constexpr int64_t kMaxPixels = int64_t{64} * 1024 * 1024;

struct Grey {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  uint8_t at(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// RGBA on white, to grey (ITU-R BT.601 weights).
Grey compositeOnWhite(const unsigned char* rgba, int width, int height) {
  Grey g{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
  for (size_t i = 0; i < g.pixels.size(); ++i) {
    const unsigned char* p = rgba + i * 4;
    int luma = (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000;
    int alpha = p[3];
    g.pixels[i] = static_cast<uint8_t>((luma * alpha + 255 * (255 - alpha) + 127) / 255);
  }
  return g;
}

Grey turned(const Grey& in, int degrees) {
  if (degrees == 0) return in;
  bool quarter = degrees == 90 || degrees == 270;
  Grey out{quarter ? in.height : in.width, quarter ? in.width : in.height,
           std::vector<uint8_t>(in.pixels.size())};
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      int sx = x;
      int sy = y;
      if (degrees == 90) {  // clockwise: the left column becomes the top row
        sx = y;
        sy = in.height - 1 - x;
      } else if (degrees == 180) {
        sx = in.width - 1 - x;
        sy = in.height - 1 - y;
      } else {
        sx = in.width - 1 - y;
        sy = x;
      }
      out.pixels[static_cast<size_t>(y) * out.width + x] = in.at(sx, sy);
    }
  }
  return out;
}

Grey scaled(const Grey& in, int width, int height) {
  Grey out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
  if (stbir_resize_uint8(in.pixels.data(), in.width, in.height, 0, out.pixels.data(), width, height,
                         0, 1) == 0) {
    return in;
  }
  return out;
}

}  // namespace

bool LabelImage::dot(int x, int y) const {
  if (x < 0 || y < 0 || x >= widthDots || y >= heightDots) return false;
  uint8_t b = bits[static_cast<size_t>(y) * static_cast<size_t>(stride) + (x >> 3)];
  return (b & (0x80 >> (x & 7))) == 0;
}

std::vector<uint8_t> toDots(const std::vector<uint8_t>& grey, int width, int height, int threshold,
                            bool dither) {
  std::vector<uint8_t> dots(grey.size(), 0);
  if (!dither) {
    for (size_t i = 0; i < grey.size(); ++i) dots[i] = grey[i] < threshold ? 1 : 0;
    return dots;
  }
  // Floyd-Steinberg, serpentine; errors kept in two rows of sixteenths.
  std::vector<int> errors(static_cast<size_t>(width + 2) * 2, 0);
  for (int y = 0; y < height; ++y) {
    int* cur = errors.data() + static_cast<size_t>(y & 1) * (width + 2) + 1;
    int* next = errors.data() + static_cast<size_t>((y + 1) & 1) * (width + 2) + 1;
    std::fill(next - 1, next + width + 1, 0);
    bool leftToRight = (y & 1) == 0;
    int step = leftToRight ? 1 : -1;
    for (int i = 0; i < width; ++i) {
      int x = leftToRight ? i : width - 1 - i;
      size_t at = static_cast<size_t>(y) * width + x;
      int value = grey[at] + cur[x] / 16;
      bool black = value < threshold;
      dots[at] = black ? 1 : 0;
      int err = value - (black ? 0 : 255);
      cur[x + step] += err * 7;
      next[x - step] += err * 3;
      next[x] += err * 5;
      next[x + step] += err;
    }
  }
  return dots;
}

std::unique_ptr<LabelImage> loadLabelImage(const std::string& path, const PictureOptions& options,
                                           std::string& error) {
  int w = 0;
  int h = 0;
  int channels = 0;
  if (stbi_info(path.c_str(), &w, &h, &channels) == 0) {
    error = path + ": " + (stbi_failure_reason() ? stbi_failure_reason() : tr("cannot read"));
    return nullptr;
  }
  if (int64_t{w} * h > kMaxPixels) {
    error = path + ": " + tr("the picture is too large for a label");
    return nullptr;
  }
  unsigned char* rgba = stbi_load(path.c_str(), &w, &h, &channels, 4);
  if (rgba == nullptr) {
    error = path + ": " + (stbi_failure_reason() ? stbi_failure_reason() : tr("cannot read"));
    return nullptr;
  }
  Grey grey = turned(compositeOnWhite(rgba, w, h), options.rotate);
  stbi_image_free(rgba);
  if (options.fit) {
    int boxWidth = options.widthDots > 0 ? options.widthDots : kHeadWidthDots;
    double scale = static_cast<double>(boxWidth) / grey.width;
    if (options.heightDots > 0 && grey.height * scale > options.heightDots) {
      scale = static_cast<double>(options.heightDots) / grey.height;
    }
    int fw = std::max(1, static_cast<int>(std::lround(grey.width * scale)));
    int fh = std::max(1, static_cast<int>(std::lround(grey.height * scale)));
    if (int64_t{fw} * fh > kMaxPixels) {
      error = path + ": " + tr("the picture is too large for a label");
      return nullptr;
    }
    grey = scaled(grey, fw, fh);
  }
  std::vector<uint8_t> dots =
      toDots(grey.pixels, grey.width, grey.height, options.threshold, options.dither);

  auto image = std::make_unique<LabelImage>();
  image->widthDots = options.widthDots > 0 ? options.widthDots : grey.width;
  image->heightDots = options.heightDots > 0 ? options.heightDots : grey.height;
  const int stride = (image->widthDots + 15) / 16 * 2;
  image->bits.assign(static_cast<size_t>(stride) * static_cast<size_t>(image->heightDots), 0xFF);
  for (int y = 0; y < image->heightDots && y < grey.height; ++y) {
    uint8_t* row = image->bits.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < image->widthDots && x < grey.width; ++x) {
      if (dots[static_cast<size_t>(y) * grey.width + x] != 0) {
        row[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
      }
    }
  }
  image->stride = stride;
  if (!image->bitmap.make(image->widthDots, image->heightDots, image->bits.data(), stride)) {
    error = path + ": " + tr("no bitmap for the label");
    return nullptr;
  }
  return image;
}

bool writePreview(const LabelImage& image, bool mirror, const std::string& path) {
  std::vector<uint8_t> pixels(static_cast<size_t>(image.widthDots) * image.heightDots, 255);
  for (int y = 0; y < image.heightDots; ++y) {
    for (int x = 0; x < image.widthDots; ++x) {
      int sx = mirror ? image.widthDots - 1 - x : x;
      if (image.dot(sx, y)) pixels[static_cast<size_t>(y) * image.widthDots + x] = 0;
    }
  }
  return stbi_write_png(path.c_str(), image.widthDots, image.heightDots, 1, pixels.data(),
                        image.widthDots) != 0;
}

}  // namespace ktprint
