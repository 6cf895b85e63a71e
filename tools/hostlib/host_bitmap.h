// The label as a host hands it to the driver: the host's own bitmap handle. On POSIX a
// NyBitmap record over the label's rows; on Windows a GDI bitmap (HBITMAP) holding the
// same pixels. One implementation per OS (host_bitmap_posix.cpp, host_bitmap_win32.cpp).
#pragma once

#include <cstdint>

#include "nyprkt3600r/platform_types.h"

namespace nypr::host {

class HostBitmap {
 public:
  HostBitmap() = default;
  ~HostBitmap();
  HostBitmap(const HostBitmap&) = delete;
  HostBitmap& operator=(const HostBitmap&) = delete;

  // A 1-bit bitmap of `rows`: top-down, `stride` bytes each (even), the leftmost dot in
  // the high bit, 1 = white. POSIX refers to `rows`, which must outlive the bitmap;
  // Windows copies them. False when the system gives no bitmap.
  bool make(int width, int height, const uint8_t* rows, int stride);

  NyHbitmap handle() const { return handle_; }

 private:
  NyHbitmap handle_ = nullptr;
};

}  // namespace nypr::host
