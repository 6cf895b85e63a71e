// A label picture (PNG, JPEG, BMP, GIF, PGM/PPM) turned into the host's 1-bit bitmap at
// the printer's 12 dots/mm.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host_bitmap.h"

namespace ktprint {

// The printer's head line: 80 mm at 12 dots/mm.
inline constexpr int kHeadWidthDots = 960;
// The longest label the print command describes: 833.2 mm, whose 0.1 mm count (8332)
// the driver turns back into at most 9999 dots.
inline constexpr int kMaxLengthDots = 9998;

struct PictureOptions {
  int widthDots = 0;    // label width; 0: the (turned, scaled) picture's
  int heightDots = 0;   // label length; 0: the picture's
  int threshold = 128;  // grey levels below it print (0-255 scale)
  bool dither = false;  // error diffusion instead of a plain threshold
  bool fit = false;     // scale to the label width (else the head width), keeping the aspect
  int rotate = 0;       // 0, 90, 180 or 270 degrees clockwise
};

struct LabelImage {
  int widthDots = 0;
  int heightDots = 0;
  int stride = 0;                 // bytes a row, padded to 2
  std::vector<uint8_t> bits;      // rows top-down, 1 = white
  nypr::host::HostBitmap bitmap;  // the host's handle of these rows

  LabelImage() = default;
  LabelImage(const LabelImage&) = delete;
  LabelImage& operator=(const LabelImage&) = delete;

  bool dot(int x, int y) const;  // true where the label prints
};

// The label a picture of this size gives with these options, or false with `error`
// naming the limit (width or length) it passes.
struct LabelPlan {
  int labelWidth = 0;
  int labelLength = 0;
  int scaledWidth = 0;  // with fit: the turned picture scaled to this size
  int scaledHeight = 0;
};
bool planLabel(int pictureWidth, int pictureHeight, const PictureOptions& options, LabelPlan& plan,
               std::string& error);

// Loads `path`: transparent parts become white, colours become grey, the picture is
// turned, scaled, and made 1-bit; by default one pixel is one dot. The picture sits at
// the top left of the label, cut or padded with white. Null with `error` set when the
// file cannot be read, is not a whole picture of those kinds, gives a label beyond the
// printer's limits, or the system gives no bitmap.
std::unique_ptr<LabelImage> loadLabelImage(const std::string& path, const PictureOptions& options,
                                           std::string& error);
// The same from the picture file's bytes (sized and checked before they are decoded).
std::unique_ptr<LabelImage> makeLabelImage(std::string_view bytes, const PictureOptions& options,
                                           std::string& error);

// The grey picture to 1-bit dots (1 = print), `width` x `height`, row by row.
std::vector<uint8_t> toDots(const std::vector<uint8_t>& grey, int width, int height, int threshold,
                            bool dither);

// Writes the label's dots as a black-and-white PNG, mirrored left to right when
// `mirror` is set (as the driver sends a mirrored label). False when it cannot be written.
bool writePreview(const LabelImage& image, bool mirror, const std::string& path);

}  // namespace ktprint
