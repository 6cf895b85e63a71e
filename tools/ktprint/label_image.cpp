#include "label_image.h"

#include <stb_image.h>

namespace ktprint {

std::unique_ptr<LabelImage> loadLabelImage(const std::string& path, int widthDots, int heightDots,
                                           std::string& error) {
  int w = 0;
  int h = 0;
  int channels = 0;
  unsigned char* grey = stbi_load(path.c_str(), &w, &h, &channels, 1);
  if (grey == nullptr) {
    error = path + ": " + (stbi_failure_reason() ? stbi_failure_reason() : "cannot read");
    return nullptr;
  }
  auto image = std::make_unique<LabelImage>();
  image->widthDots = widthDots > 0 ? widthDots : w;
  image->heightDots = heightDots > 0 ? heightDots : h;
  const int stride = (image->widthDots + 15) / 16 * 2;
  image->bits.assign(static_cast<size_t>(stride) * static_cast<size_t>(image->heightDots), 0xFF);
  for (int y = 0; y < image->heightDots && y < h; ++y) {
    uint8_t* row = image->bits.data() + static_cast<size_t>(y) * static_cast<size_t>(stride);
    for (int x = 0; x < image->widthDots && x < w; ++x) {
      if (grey[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] < 128) {
        row[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
      }
    }
  }
  stbi_image_free(grey);
  image->bitmap.width = image->widthDots;
  image->bitmap.height = image->heightDots;
  image->bitmap.bitsPerPixel = 1;
  image->bitmap.stride = stride;
  image->bitmap.bits = image->bits.data();
  image->bitmap.palette = nullptr;
  image->bitmap.paletteCount = 0;
  return image;
}

}  // namespace ktprint
