#include "label_image.h"

#include <stb_image_resize.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "picture_decode.h"
#include "translation.h"

namespace ktprint {
namespace {

// Larger files are no label picture (a 16-megapixel PNG stored without compression
// fits); reading them would only take memory.
constexpr uintmax_t kMaxFileBytes = uintmax_t{80} * 1024 * 1024;

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

// Means of `fx` x `fy` blocks (the last ones cut at the edge).
Grey boxReduced(const Grey& in, int fx, int fy) {
  Grey out{(in.width + fx - 1) / fx, (in.height + fy - 1) / fy, {}};
  out.pixels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  for (int oy = 0; oy < out.height; ++oy) {
    const int y1 = std::min(in.height, (oy + 1) * fy);
    for (int ox = 0; ox < out.width; ++ox) {
      const int x1 = std::min(in.width, (ox + 1) * fx);
      uint64_t sum = 0;
      for (int y = oy * fy; y < y1; ++y) {
        for (int x = ox * fx; x < x1; ++x) sum += in.at(x, y);
      }
      const uint64_t count =
          static_cast<uint64_t>(x1 - ox * fx) * static_cast<uint64_t>(y1 - oy * fy);
      out.pixels[static_cast<size_t>(oy) * out.width + ox] =
          static_cast<uint8_t>((sum + count / 2) / count);
    }
  }
  return out;
}

// The resampler's work grows with the square of a large reduction: blocks are averaged
// first so that it never reduces by more than half.
bool scaled(const Grey& in, int width, int height, Grey& out) {
  const int fx = std::max(1, in.width / width);
  const int fy = std::max(1, in.height / height);
  const Grey reduced = fx > 1 || fy > 1 ? boxReduced(in, fx, fy) : Grey{};
  const Grey& from = fx > 1 || fy > 1 ? reduced : in;
  out = Grey{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
  return stbir_resize_uint8(from.pixels.data(), from.width, from.height, 0, out.pixels.data(),
                            width, height, 0, 1) != 0;
}

bool readPicture(const std::string& path, std::string& bytes, std::string& error) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    error = path + ": " + tr("cannot read");
    return false;
  }
  // A FIFO or a device would block or never end.
  if (!std::filesystem::is_regular_file(status)) {
    error = path + ": " + tr("not a regular file");
    return false;
  }
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) {
    error = path + ": " + (ec ? tr("cannot read") : tr("the picture is too large for a label"));
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  bytes.resize(static_cast<size_t>(size));
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size)) ||
      in.peek() != std::ifstream::traits_type::eof()) {
    error = path + ": " + tr("cannot read");
    return false;
  }
  return true;
}

}  // namespace

bool planLabel(int pictureWidth, int pictureHeight, const PictureOptions& options, LabelPlan& plan,
               std::string& error) {
  auto fits = [&](int64_t width, int64_t length) {
    if (width > kHeadWidthDots) {
      error = tr("the label is wider than 80 mm");
      return false;
    }
    if (length > kMaxLengthDots) {
      error = tr("the label is longer than 833.2 mm");
      return false;
    }
    return true;
  };
  if (!fits(options.widthDots, options.heightDots)) return false;
  const bool quarter = options.rotate == 90 || options.rotate == 270;
  int64_t width = quarter ? pictureHeight : pictureWidth;
  int64_t height = quarter ? pictureWidth : pictureHeight;
  if (options.fit) {
    const int64_t box = options.widthDots > 0 ? options.widthDots : kHeadWidthDots;
    double scale = static_cast<double>(box) / static_cast<double>(width);
    if (options.heightDots > 0 && static_cast<double>(height) * scale > options.heightDots) {
      scale = static_cast<double>(options.heightDots) / static_cast<double>(height);
    }
    // Wide enough for any picture stb reads times any label size.
    width = std::max<int64_t>(1, std::llround(static_cast<double>(width) * scale));
    height = std::max<int64_t>(1, std::llround(static_cast<double>(height) * scale));
  }
  const int64_t labelWidth = options.widthDots > 0 ? options.widthDots : width;
  const int64_t labelLength = options.heightDots > 0 ? options.heightDots : height;
  if (!fits(labelWidth, labelLength)) return false;
  plan.labelWidth = static_cast<int>(labelWidth);
  plan.labelLength = static_cast<int>(labelLength);
  plan.scaledWidth = options.fit ? static_cast<int>(width) : 0;
  plan.scaledHeight = options.fit ? static_cast<int>(height) : 0;
  return true;
}

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
  std::string bytes;
  if (!readPicture(path, bytes, error)) return nullptr;
  auto image = makeLabelImage(bytes, options, error);
  if (!image) error = path + ": " + error;
  return image;
}

std::unique_ptr<LabelImage> makeLabelImage(std::string_view bytes, const PictureOptions& options,
                                           std::string& error) {
  int width = 0;
  int height = 0;
  LabelPlan plan;
  if (!inspectPicture(bytes, width, height, error) ||
      !planLabel(width, height, options, plan, error)) {
    return nullptr;
  }
  Grey picture;
  if (!decodeGrey(bytes, picture, error)) return nullptr;
  Grey grey = turned(picture, options.rotate);
  picture = Grey{};
  if (options.fit) {
    Grey fitted;
    if (!scaled(grey, plan.scaledWidth, plan.scaledHeight, fitted)) {
      error = tr("the picture is too large for a label");
      return nullptr;
    }
    grey = std::move(fitted);
  }
  std::vector<uint8_t> dots =
      toDots(grey.pixels, grey.width, grey.height, options.threshold, options.dither);

  auto image = std::make_unique<LabelImage>();
  image->widthDots = plan.labelWidth;
  image->heightDots = plan.labelLength;
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
    error = tr("no bitmap for the label");
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
  std::string png;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
  };
  if (stbi_write_png_to_func(append, &png, image.widthDots, image.heightDots, 1, pixels.data(),
                             image.widthDots) == 0) {
    return false;
  }
  // Written, flushed and closed without a fault, or the preview is not there.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  out.close();
  return !out.fail();
}

}  // namespace ktprint
