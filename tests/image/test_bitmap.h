// Bitmaps for the image tests: a NyBitmap that owns its rows and palette.
#pragma once

#include <cstdint>
#include <vector>

#include "nyprkt3600r/platform_types.h"

namespace nypr::testing {

class TestBitmap {
 public:
  // Rows padded to 2 bytes like a GDI bitmap, plus `extraStride` bytes; 1-bit bitmaps
  // start all white (1 bits), others all zero.
  TestBitmap(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t extraStride = 0) : bm_{} {
    bm_.width = width;
    bm_.height = height;
    bm_.bitsPerPixel = bitsPerPixel;
    bm_.stride = (width * bitsPerPixel + 15) / 16 * 2 + extraStride;
    rows_.assign(static_cast<size_t>(bm_.stride) * static_cast<size_t>(height),
                 bitsPerPixel == 1 ? 0xFF : 0x00);
    bm_.bits = rows_.data();
  }
  TestBitmap(const TestBitmap& other)
      : bm_(other.bm_), rows_(other.rows_), palette_(other.palette_) {
    bm_.bits = rows_.data();
    bm_.palette = palette_.empty() ? nullptr : palette_.data();
  }
  TestBitmap& operator=(const TestBitmap&) = delete;

  NyHbitmap handle() { return &bm_; }
  NyBitmap& raw() { return bm_; }
  uint8_t* row(int32_t y) { return rows_.data() + static_cast<size_t>(y) * bm_.stride; }

  void setPalette(std::vector<uint32_t> colours) {
    palette_ = std::move(colours);
    bm_.palette = palette_.data();
    bm_.paletteCount = static_cast<int32_t>(palette_.size());
  }

  // Sets the raw pixel value (index or packed colour) at (x, y).
  void set(int32_t x, int32_t y, uint32_t value) {
    uint8_t* r = row(y);
    switch (bm_.bitsPerPixel) {
      case 1: {
        const auto mask = static_cast<uint8_t>(0x80u >> (x & 7));
        r[x / 8] = static_cast<uint8_t>(value != 0 ? (r[x / 8] | mask) : (r[x / 8] & ~mask));
        break;
      }
      case 4: {
        const int shift = (x & 1) != 0 ? 0 : 4;
        r[x / 2] = static_cast<uint8_t>((r[x / 2] & ~(0x0F << shift)) | ((value & 0x0F) << shift));
        break;
      }
      case 8:
        r[x] = static_cast<uint8_t>(value);
        break;
      default: {
        const int bytes = bm_.bitsPerPixel / 8;
        for (int i = 0; i < bytes; ++i) r[x * bytes + i] = static_cast<uint8_t>(value >> (8 * i));
      }
    }
  }
  void flip(int32_t x, int32_t y) { row(y)[x / 8] ^= static_cast<uint8_t>(0x80u >> (x & 7)); }

 private:
  NyBitmap bm_;
  std::vector<uint8_t> rows_;
  std::vector<uint32_t> palette_;
};

}  // namespace nypr::testing
