// The label's bitmap on Windows: a 1-bit DIB section, as a host builds the HBITMAP of a
// label it has drawn, with the colour table black, white.
#include <windows.h>

#include <cstring>

#include "host_bitmap.h"

namespace nypr::host {

HostBitmap::~HostBitmap() {
  if (handle_ != nullptr) DeleteObject(handle_);
}

bool HostBitmap::make(int width, int height, const uint8_t* rows, int stride) {
  if (handle_ != nullptr) DeleteObject(handle_);
  handle_ = nullptr;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;  // bottom-up, the usual DIB
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) DeleteObject(bitmap);
    return false;
  }
  // DIB rows: bottom row first, each padded to 4 bytes.
  const size_t dibStride = (static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t copied = static_cast<size_t>(stride) < dibStride ? stride : dibStride;
  auto* out = static_cast<uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = out + static_cast<size_t>(height - 1 - y) * dibStride;
    std::memcpy(row, rows + static_cast<size_t>(y) * stride, copied);
  }
  GdiFlush();
  handle_ = bitmap;
  return true;
}

}  // namespace nypr::host
