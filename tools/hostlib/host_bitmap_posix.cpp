// The label's bitmap on POSIX: a NyBitmap record over the caller's rows.
#include "host_bitmap.h"

namespace nypr::host {

HostBitmap::~HostBitmap() {
  delete handle_;
}

bool HostBitmap::make(int width, int height, const uint8_t* rows, int stride) {
  delete handle_;
  // No palette: a 1-bit record reads 0 as black and 1 as white.
  handle_ = new NyBitmap{width, height, 1, stride, const_cast<uint8_t*>(rows), nullptr, 0};
  return true;
}

}  // namespace nypr::host
