// A label picture's bytes to grey pixels: only the kinds a label comes in (PNG, JPEG,
// BMP, GIF, binary PGM/PPM), each checked to be whole before it is decoded, and the
// decoder's memory bounded by the picture's declared size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ktprint {

// Far beyond any label (80 mm x 833 mm is 9.6 million dots), room for a photo that is
// to be fitted; larger pictures would only exhaust memory.
inline constexpr int64_t kMaxPicturePixels = int64_t{16} * 1024 * 1024;
// Progressive JPEG scans cost a pass over the picture each; encoders use about ten.
inline constexpr int kMaxJpegScans = 100;

struct Grey {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row by row, 0 black .. 255 white
  uint8_t at(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// The picture's declared size, without decoding it. False with `error` set when the bytes
// are not a whole picture of a kind ktprint reads (or a JPEG with too many scans).
bool inspectPicture(std::string_view bytes, int& width, int& height, std::string& error);

// Decodes a picture that inspectPicture() accepted: transparent parts become white,
// colours grey (ITU-R BT.601 weights).
bool decodeGrey(std::string_view bytes, Grey& grey, std::string& error);

}  // namespace ktprint
