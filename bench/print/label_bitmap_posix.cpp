// On POSIX a bitmap handle is a NyBitmap pointing at the caller's rows.
#include "label_bitmap.h"

namespace nypr::bench {

NyHbitmap makeLabelBitmap(std::vector<uint8_t>& rows, int width, int height) {
  return new NyBitmap{width, height, 1, width / 8, rows.data(), nullptr, 0};
}

void deleteLabelBitmap(NyHbitmap bitmap) {
  delete bitmap;
}

}  // namespace nypr::bench
