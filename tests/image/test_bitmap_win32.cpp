// The image tests' bitmaps on Windows, as a host makes them: a 1-bit bitmap without a
// palette is a monochrome device bitmap (CreateBitmap, 0 black, 1 white); every other
// one a DIB section of the same depth whose colour table is the palette, or for 4 and 8
// bits without one a grey ramp (the POSIX record's meaning). 16-bit pixels are 5-5-5 and
// 32-bit ones B,G,R,x in both. A layout that GDI would refuse (no size, 2 bits a pixel,
// rows shorter than the pixels, no pixels, beyond any memory) is what a host cannot hand
// over as a bitmap: it gets a handle of another kind (a brush) instead.
#include <windows.h>

#include <cstring>
#include <vector>

#include "test_bitmap.h"

namespace nypr::testing {
namespace {

bool gdiCanMake(const BitmapLayout& l) {
  const int32_t bpp = l.bitsPerPixel;
  if (l.width <= 0 || l.height <= 0 || l.bits == nullptr) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  const int64_t packed = (int64_t{l.width} * bpp + 7) / 8;
  return l.stride >= packed && packed * l.height < (int64_t{1} << 28);
}

std::shared_ptr<void> owned(HGDIOBJ object) {
  return std::shared_ptr<void>(object, [](void* o) {
    if (o != nullptr) DeleteObject(static_cast<HGDIOBJ>(o));
  });
}

// The caller's rows repacked to `stride` bytes each, bottom row first when `bottomUp`.
void copyRows(const BitmapLayout& l, uint8_t* out, size_t stride, bool bottomUp) {
  const size_t packed = (static_cast<size_t>(l.width) * l.bitsPerPixel + 7) / 8;
  for (int32_t y = 0; y < l.height; ++y) {
    const int32_t to = bottomUp ? l.height - 1 - y : y;
    std::memcpy(out + static_cast<size_t>(to) * stride,
                l.bits + static_cast<size_t>(y) * static_cast<size_t>(l.stride), packed);
  }
}

}  // namespace

std::shared_ptr<void> makeHostBitmap(const BitmapLayout& l) {
  if (!gdiCanMake(l)) return owned(CreateSolidBrush(RGB(0, 0, 0)));
  if (l.bitsPerPixel == 1 && l.palette == nullptr) {
    const size_t stride = (static_cast<size_t>(l.width) + 15) / 16 * 2;
    std::vector<uint8_t> rows(stride * static_cast<size_t>(l.height), 0);
    copyRows(l, rows.data(), stride, false);
    return owned(CreateBitmap(l.width, l.height, 1, 1, rows.data()));
  }
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = l.width;
  info.header.biHeight = l.height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(l.bitsPerPixel);
  info.header.biCompression = BI_RGB;
  if (l.bitsPerPixel <= 8) {
    const int entries = 1 << l.bitsPerPixel;
    const int given = l.palette != nullptr && l.paletteCount < entries ? l.paletteCount : entries;
    info.header.biClrUsed = static_cast<DWORD>(given);
    for (int i = 0; i < given; ++i) {
      const uint32_t c =
          l.palette != nullptr ? l.palette[i] : (i * 255u / (entries - 1u)) * 0x010101u;
      info.colours[i] =
          RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (bitmap != nullptr && bits != nullptr) {
    const size_t stride = (static_cast<size_t>(l.width) * l.bitsPerPixel + 31) / 32 * 4;
    copyRows(l, static_cast<uint8_t*>(bits), stride, true);
    GdiFlush();
  }
  return owned(bitmap);
}

void* lockHostBlock(NyHglobal block) {
  return block != nullptr ? GlobalLock(block) : nullptr;
}

void unlockHostBlock(NyHglobal block) {
  if (block != nullptr) GlobalUnlock(block);
}

void releaseHostBlock(void* block) {
  if (block != nullptr) GlobalFree(block);
}

}  // namespace nypr::testing
