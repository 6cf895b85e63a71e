// Bitmaps for the image tests: pixels the test sets, handed to the driver as the host's
// bitmap handle of the platform (test_bitmap_posix.cpp: a NyBitmap record over the rows;
// test_bitmap_win32.cpp: a GDI bitmap with the same pixels, palette and depth).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "nyprkt3600r/platform_types.h"

namespace nypr::testing {

// The bitmap as the test describes it; the fields of the POSIX NyBitmap record, which a
// test may break to see a bad bitmap refused.
struct BitmapLayout {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t stride;
  uint8_t* bits;
  const uint32_t* palette;  // 0x00RRGGBB
  int32_t paletteCount;
};

// The host's bitmap of `layout`, released with the returned owner. A layout that no
// host could make into a bitmap gives a handle that is no bitmap (Windows) or the broken
// record itself (POSIX).
std::shared_ptr<void> makeHostBitmap(const BitmapLayout& layout);

// The bytes of a global memory block the driver handed to the host, while locked (on
// POSIX the block is its bytes; on Windows GlobalLock/GlobalUnlock).
void* lockHostBlock(NyHglobal block);
void unlockHostBlock(NyHglobal block);
// Releases a block the driver handed to the host (free() on POSIX, GlobalFree on
// Windows); null is ignored.
void releaseHostBlock(void* block);

class TestBitmap {
 public:
  // Rows padded to 2 bytes like a GDI bitmap, plus `extraStride` bytes; 1-bit bitmaps
  // start all white (1 bits), others all zero.
  TestBitmap(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t extraStride = 0)
      : layout_{} {
    layout_.width = width;
    layout_.height = height;
    layout_.bitsPerPixel = bitsPerPixel;
    layout_.stride = (width * bitsPerPixel + 15) / 16 * 2 + extraStride;
    rows_.assign(static_cast<size_t>(layout_.stride) * static_cast<size_t>(height),
                 bitsPerPixel == 1 ? 0xFF : 0x00);
    layout_.bits = rows_.data();
  }
  TestBitmap(const TestBitmap& other)
      : layout_(other.layout_), rows_(other.rows_), palette_(other.palette_) {
    layout_.bits = rows_.data();
    layout_.palette = palette_.empty() ? nullptr : palette_.data();
  }
  TestBitmap& operator=(const TestBitmap&) = delete;

  // The host's bitmap of the pixels as they are now; valid until the next call.
  NyHbitmap handle() {
    host_ = makeHostBitmap(layout_);
    return static_cast<NyHbitmap>(host_.get());
  }
  BitmapLayout& raw() { return layout_; }
  uint8_t* row(int32_t y) { return rows_.data() + static_cast<size_t>(y) * layout_.stride; }

  void setPalette(std::vector<uint32_t> colours) {
    palette_ = std::move(colours);
    layout_.palette = palette_.data();
    layout_.paletteCount = static_cast<int32_t>(palette_.size());
  }

  // Sets the raw pixel value (index or packed colour) at (x, y).
  void set(int32_t x, int32_t y, uint32_t value) {
    uint8_t* r = row(y);
    switch (layout_.bitsPerPixel) {
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
        const int bytes = layout_.bitsPerPixel / 8;
        for (int i = 0; i < bytes; ++i) r[x * bytes + i] = static_cast<uint8_t>(value >> (8 * i));
      }
    }
  }
  void flip(int32_t x, int32_t y) { row(y)[x / 8] ^= static_cast<uint8_t>(0x80u >> (x & 7)); }

 private:
  BitmapLayout layout_;
  std::vector<uint8_t> rows_;
  std::vector<uint32_t> palette_;
  std::shared_ptr<void> host_;
};

}  // namespace nypr::testing
