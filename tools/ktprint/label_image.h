// A label picture (PNG, or any format stb_image reads) rendered into the host's 1-bit
// bitmap at the printer's 12 dots/mm: one image pixel is one dot.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nyprkt3600r/platform_types.h"

namespace ktprint {

struct LabelImage {
  int widthDots = 0;
  int heightDots = 0;
  std::vector<uint8_t> bits;  // rows top-down, 1 = white, stride padded to 2 bytes
  NyBitmap bitmap{};          // points into `bits`

  LabelImage() = default;
  LabelImage(const LabelImage&) = delete;
  LabelImage& operator=(const LabelImage&) = delete;
};

// Loads `path` into a bitmap of the given size in dots (0: the image's own size); the
// picture sits at the top left, cut or padded with white. Pixels darker than mid-grey
// print. nullopt with `error` set when the file cannot be read.
std::unique_ptr<LabelImage> loadLabelImage(const std::string& path, int widthDots, int heightDots,
                                           std::string& error);

}  // namespace ktprint
