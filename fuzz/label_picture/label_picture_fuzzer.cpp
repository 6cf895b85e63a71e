// ktprint's picture loading and sizing: the bytes of a picture file and the label options
// in, a label within the printer's limits or an error out. Input: flags (bit 0 fit, bit 1
// dither, bits 2-3 the turn), threshold, label width and length in dots (2 bytes each,
// little-endian; 0 = the picture's, values beyond the limits included), then the file.
// Checks: a label has the planned size, within 80 mm x 833.2 mm, and rows of its stride;
// a refusal says why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "label_image.h"
#include "picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  ktprint::PictureOptions options;
  options.fit = (data[0] & 1) != 0;
  options.dither = (data[0] & 2) != 0;
  options.rotate = 90 * ((data[0] >> 2) & 3);
  options.threshold = data[1];
  options.widthDots = (data[2] | data[3] << 8) % 3000;
  options.heightDots = (data[4] | data[5] << 8) % 30000;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 6, size - 6);

  std::string error;
  auto image = ktprint::makeLabelImage(bytes, options, error);
  if (!image) {
    if (error.empty()) std::abort();
    return 0;
  }
  int width = 0;
  int height = 0;
  std::string why;
  ktprint::LabelPlan plan;
  if (!ktprint::inspectPicture(bytes, width, height, why) ||
      !ktprint::planLabel(width, height, options, plan, why)) {
    std::abort();  // a label from a picture its own checks refuse
  }
  if (image->widthDots != plan.labelWidth || image->heightDots != plan.labelLength) std::abort();
  if (image->widthDots < 1 || image->widthDots > ktprint::kHeadWidthDots) std::abort();
  if (image->heightDots < 1 || image->heightDots > ktprint::kMaxLengthDots) std::abort();
  if (image->stride != (image->widthDots + 15) / 16 * 2) std::abort();
  if (image->bits.size() != static_cast<size_t>(image->stride) * image->heightDots) std::abort();
  return 0;
}
