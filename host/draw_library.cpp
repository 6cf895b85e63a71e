// The host's drawing library (NyDrw): the one image operation the driver uses. On
// Windows it is a DLL of its own, as the host ships it.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/host_api.h"

extern "C" {

void MirrorImageFnV(int32_t width, int32_t height, int32_t mode, uint8_t* bits,
                    int32_t bytesPerRow) {
  if (bits == nullptr || width <= 0 || height <= 0 || bytesPerRow <= 0 || width > bytesPerRow * 8) {
    return;
  }
  if (mode == 0) {
    // Left-right: dot x of each row changes place with dot width-1-x.
    for (int32_t y = 0; y < height; ++y) {
      uint8_t* row = bits + static_cast<size_t>(y) * bytesPerRow;
      for (int32_t a = 0, b = width - 1; a < b; ++a, --b) {
        int ba = (row[a >> 3] >> (7 - (a & 7))) & 1;
        int bb = (row[b >> 3] >> (7 - (b & 7))) & 1;
        if (ba != bb) {
          row[a >> 3] ^= static_cast<uint8_t>(0x80 >> (a & 7));
          row[b >> 3] ^= static_cast<uint8_t>(0x80 >> (b & 7));
        }
      }
    }
  } else {
    // Top-bottom: rows change place.
    for (int32_t a = 0, b = height - 1; a < b; ++a, --b) {
      uint8_t* ra = bits + static_cast<size_t>(a) * bytesPerRow;
      uint8_t* rb = bits + static_cast<size_t>(b) * bytesPerRow;
      for (int32_t i = 0; i < bytesPerRow; ++i) std::swap(ra[i], rb[i]);
    }
  }
}

}  // extern "C"
