// Bitmaps and global memory on Windows: a bitmap handle is the host's HBITMAP, a global
// memory block a GlobalAlloc block. GDI reads every bitmap and DIB format and maps colour
// to monochrome by its own rule (platform/gdi.h).
#include <windows.h>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/gdi.h"

namespace nypr::platform {
namespace {

bool supportedDepth(int32_t bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

int32_t evenRowBytes(int32_t width, int32_t bpp) {
  return static_cast<int32_t>((static_cast<int64_t>(width) * bpp + 15) / 16 * 2);
}

bool readBitmap(NyHbitmap bitmap, BITMAP* bm) {
  if (bitmap == nullptr) return false;
  if (GetObjectW(bitmap, sizeof(BITMAP), bm) != sizeof(BITMAP)) return false;
  const int32_t bpp = bm->bmBitsPixel * bm->bmPlanes;
  return bm->bmWidth > 0 && bm->bmHeight > 0 && supportedDepth(bpp) &&
         static_cast<int64_t>(evenRowBytes(bm->bmWidth, bpp)) * bm->bmHeight <
             std::numeric_limits<int32_t>::max();
}

uint32_t le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// What GDI needs of a packed DIB, checked against the bytes that are really there:
// header, colour table (or bit-field masks) and every row.
struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;  // rows, whatever their order
  bool topDown = false;
  uint32_t bpp = 0;
  uint32_t tableEntries = 0;
  size_t rowBytes = 0;
  size_t headerAndTable = 0;
  bool rgbQuads = false;  // colour table of RGBQUADs, no bit-field masks
};

bool checkDib(const uint8_t* dib, size_t dibSize, DibLayout* out) {
  if (dib == nullptr || dibSize < kDibCoreHeaderSize) return false;
  const uint32_t headerSize = le32(dib);
  int64_t width, height;
  uint32_t bpp, compression = 0, colorsUsed = 0, tableEntry;
  if (headerSize == kDibCoreHeaderSize) {
    width = le16(dib + 4);
    height = le16(dib + 6);
    bpp = le16(dib + 10);
    tableEntry = 3;
  } else if (headerSize >= kDibInfoHeaderSize && headerSize <= dibSize) {
    width = static_cast<int32_t>(le32(dib + 4));
    height = static_cast<int32_t>(le32(dib + 8));
    bpp = le16(dib + 14);
    compression = le32(dib + 16);
    colorsUsed = le32(dib + 32);
    tableEntry = 4;
  } else {
    return false;
  }
  const bool topDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return false;
  if (!supportedDepth(static_cast<int32_t>(bpp))) return false;
  uint64_t table = 0;
  if (bpp <= 8) {
    table = colorsUsed != 0 && colorsUsed < (1u << bpp) ? colorsUsed : (1u << bpp);
  } else if (compression == 3 && headerSize == kDibInfoHeaderSize) {
    table = 3;  // bit-field masks
  } else if (compression != 0 && compression != 3) {
    return false;
  }
  const uint64_t headerAndTable = headerSize + table * tableEntry;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
  if (headerAndTable + rowBytes * static_cast<uint64_t>(height) > dibSize) return false;
  out->width = static_cast<int32_t>(width);
  out->height = static_cast<int32_t>(height);
  out->topDown = topDown;
  out->bpp = bpp;
  out->tableEntries = static_cast<uint32_t>(table);
  out->rowBytes = static_cast<size_t>(rowBytes);
  out->headerAndTable = static_cast<size_t>(headerAndTable);
  out->rgbQuads = tableEntry == 4 && compression == 0;
  return true;
}

// A label that is already black and white (the host's usual 1-bit bitmap) maps the same
// under any colour rule: its rows go into the 1-bit bitmap as they are (inverted where the
// colour table starts with white), instead of GDI drawing every pixel through a 32-bit
// picture, which costs about 200 ms a 500 mm label under wine. False for any other DIB.
bool copyBlackAndWhiteRows(HBITMAP target, const BITMAP& bm, const uint8_t* dib,
                           const DibLayout& layout) {
  if (layout.bpp != 1 || layout.tableEntries != 2 || !layout.rgbQuads) return false;
  uint8_t white[2];  // a byte of that colour's pixels in the 1-bit bitmap (1 = white)
  for (int i = 0; i < 2; ++i) {
    const uint8_t* c = dib + le32(dib) + 4 * i;  // blue, green, red, unused
    const uint32_t rgb = c[0] | (c[1] << 8) | (c[2] << 16);
    if (rgb != 0 && rgb != 0xFFFFFF) return false;
    white[i] = rgb != 0 ? 0xFF : 0x00;
  }
  const size_t targetRow = static_cast<size_t>(evenRowBytes(bm.bmWidth, 1));
  std::vector<uint8_t> rows(targetRow * static_cast<size_t>(bm.bmHeight));
  if (GetBitmapBits(target, static_cast<LONG>(rows.size()), rows.data()) !=
      static_cast<LONG>(rows.size())) {
    return false;
  }
  // What a blit of the DIB would cover; the target's other bits stay as they are.
  const int32_t width = std::min<int32_t>(layout.width, bm.bmWidth);
  const int32_t height = std::min<int32_t>(layout.height, bm.bmHeight);
  const size_t wholeBytes = static_cast<size_t>(width / 8);
  const uint8_t lastMask = static_cast<uint8_t>(0xFF00 >> (width % 8));
  const uint8_t* bits = dib + layout.headerAndTable;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t from = layout.topDown ? y : layout.height - 1 - y;
    const uint8_t* in = bits + static_cast<size_t>(from) * layout.rowBytes;
    uint8_t* out = rows.data() + static_cast<size_t>(y) * targetRow;
    for (size_t i = 0; i < wholeBytes; ++i) {
      out[i] = static_cast<uint8_t>((in[i] & white[1]) | (~in[i] & white[0]));
    }
    if (lastMask != 0) {
      const uint8_t mapped =
          static_cast<uint8_t>((in[wholeBytes] & white[1]) | (~in[wholeBytes] & white[0]));
      out[wholeBytes] = static_cast<uint8_t>((mapped & lastMask) | (out[wholeBytes] & ~lastMask));
    }
  }
  return SetBitmapBits(target, static_cast<DWORD>(rows.size()), rows.data()) ==
         static_cast<LONG>(rows.size());
}

// GetDIBits of a 1-bit device bitmap (the host's usual label) into a 1-bit DIB, without
// GDI's per-pixel colour lookup (about 150 ms a 500 mm label under wine): such a bitmap is
// black and white, so the DIB's rows are its own, bottom-up, each padded to 4 bytes, with
// the black-and-white colour table GDI gives it. False when the bitmap is anything else.
bool monochromeDeviceRows(HBITMAP bitmap, const BITMAP& bm, BITMAPINFOHEADER* header, void* bits) {
  DIBSECTION section{};
  if (bm.bmBitsPixel != 1 || bm.bmPlanes != 1 || header->biBitCount != 1 ||
      header->biCompression != BI_RGB ||
      GetObjectW(bitmap, sizeof section, &section) == sizeof section) {
    return false;
  }
  const size_t deviceRow = static_cast<size_t>(evenRowBytes(bm.bmWidth, 1));
  const size_t dibRow = static_cast<size_t>((bm.bmWidth + 31) / 32 * 4);
  const size_t height = static_cast<size_t>(bm.bmHeight);
  std::vector<uint8_t> rows(deviceRow * height);
  if (GetBitmapBits(bitmap, static_cast<LONG>(rows.size()), rows.data()) !=
      static_cast<LONG>(rows.size())) {
    return false;
  }
  const size_t used = static_cast<size_t>((bm.bmWidth + 7) / 8);
  const uint8_t lastMask = static_cast<uint8_t>(0xFF00 >> ((bm.bmWidth - 1) % 8 + 1));
  auto* out = static_cast<uint8_t*>(bits);
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = out + (height - 1 - y) * dibRow;
    std::memcpy(row, rows.data() + y * deviceRow, used);
    row[used - 1] &= lastMask;
    std::memset(row + used, 0, dibRow - used);
  }
  header->biSizeImage = static_cast<DWORD>(dibRow * height);
  auto* colours = reinterpret_cast<RGBQUAD*>(header + 1);
  colours[0] = RGBQUAD{0, 0, 0, 0};
  colours[1] = RGBQUAD{255, 255, 255, 0};
  return true;
}

}  // namespace

bool gdiGetBitmapDesc(NyHbitmap bitmap, BitmapDesc* desc) {
  BITMAP bm{};
  if (desc == nullptr || !readBitmap(bitmap, &bm)) return false;
  desc->width = bm.bmWidth;
  desc->height = bm.bmHeight;
  desc->planes = 1;
  desc->bitsPixel = static_cast<uint16_t>(bm.bmBitsPixel * bm.bmPlanes);
  desc->widthBytes = evenRowBytes(bm.bmWidth, desc->bitsPixel);
  return true;
}

size_t gdiGetBitmapBits(NyHbitmap bitmap, void* bits, size_t size) {
  BitmapDesc desc;
  if (bits == nullptr || !gdiGetBitmapDesc(bitmap, &desc)) return 0;
  const size_t rows = std::min<size_t>(size / static_cast<size_t>(desc.widthBytes),
                                       static_cast<size_t>(desc.height));
  if (rows == 0) return 0;
  const LONG n = GetBitmapBits(bitmap, static_cast<LONG>(rows * desc.widthBytes), bits);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool gdiGetDIBits(NyHbitmap bitmap, NyHpalette palette, void* info, void* bits) {
  BITMAP bm{};
  if (info == nullptr || bits == nullptr || !readBitmap(bitmap, &bm)) return false;
  auto* header = static_cast<BITMAPINFOHEADER*>(info);
  if (header->biSize != sizeof(BITMAPINFOHEADER) || header->biWidth != bm.bmWidth ||
      header->biHeight != bm.bmHeight) {
    return false;
  }
  if (palette == nullptr && monochromeDeviceRows(bitmap, bm, header, bits)) return true;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HPALETTE previous = nullptr;
  if (palette != nullptr) {
    previous = SelectPalette(screen, palette, FALSE);
    RealizePalette(screen);
  }
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), bits,
                             static_cast<BITMAPINFO*>(info), DIB_RGB_COLORS);
  if (previous != nullptr) SelectPalette(screen, previous, FALSE);
  ReleaseDC(nullptr, screen);
  return rows == bm.bmHeight;
}

NyHbitmap gdiCreateMonochromeBitmap(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  const size_t bytes = static_cast<size_t>(evenRowBytes(width, 1)) * static_cast<size_t>(height);
  std::vector<uint8_t> black(bytes, 0);
  return CreateBitmap(width, height, 1, 1, black.data());
}

void gdiDeleteBitmap(NyHbitmap bitmap) {
  if (bitmap != nullptr) DeleteObject(bitmap);
}

bool gdiDrawDib(NyHbitmap target, const void* dib, size_t dibSize) {
  BITMAP bm{};
  DibLayout layout;
  if (!readBitmap(target, &bm) || bm.bmBitsPixel * bm.bmPlanes != 1) return false;
  const auto* bytes = static_cast<const uint8_t*>(dib);
  if (!checkDib(bytes, dibSize, &layout)) return false;
  if (copyBlackAndWhiteRows(target, bm, bytes, layout)) return true;

  // GDI renders the DIB, whatever its format, into a 32-bit picture...
  BITMAPINFO rgb{};
  rgb.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  rgb.bmiHeader.biWidth = layout.width;
  rgb.bmiHeader.biHeight = -layout.height;
  rgb.bmiHeader.biPlanes = 1;
  rgb.bmiHeader.biBitCount = 32;
  void* pixels = nullptr;
  HBITMAP canvas = CreateDIBSection(nullptr, &rgb, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (canvas == nullptr) return false;
  HDC screen = GetDC(nullptr);
  HDC source = screen != nullptr ? CreateCompatibleDC(screen) : nullptr;
  HDC mono = screen != nullptr ? CreateCompatibleDC(screen) : nullptr;
  bool done = false;
  if (source != nullptr && mono != nullptr) {
    HGDIOBJ oldSource = SelectObject(source, canvas);
    HGDIOBJ oldMono = SelectObject(mono, target);
    const int drawn = SetDIBitsToDevice(
        source, 0, 0, static_cast<DWORD>(layout.width), static_cast<DWORD>(layout.height), 0, 0, 0,
        static_cast<UINT>(layout.height), bytes + layout.headerAndTable,
        reinterpret_cast<const BITMAPINFO*>(bytes), DIB_RGB_COLORS);
    // ...which a blit into the 1-bit bitmap maps as Windows maps colour to monochrome for
    // every driver: the source's background colour (white) gives white, any other black.
    if (drawn > 0 && oldSource != nullptr && oldMono != nullptr) {
      SetBkColor(source, RGB(255, 255, 255));
      done = BitBlt(mono, 0, 0, std::min<int32_t>(layout.width, bm.bmWidth),
                    std::min<int32_t>(layout.height, bm.bmHeight), source, 0, 0, SRCCOPY) != FALSE;
    }
    if (oldMono != nullptr) SelectObject(mono, oldMono);
    if (oldSource != nullptr) SelectObject(source, oldSource);
  }
  if (mono != nullptr) DeleteDC(mono);
  if (source != nullptr) DeleteDC(source);
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  DeleteObject(canvas);
  return done;
}

NyHglobal gdiGlobalAlloc(size_t size) {
  return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
}

void* gdiGlobalLock(NyHglobal block) {
  return block != nullptr ? GlobalLock(block) : nullptr;
}

void gdiGlobalUnlock(NyHglobal block) {
  if (block != nullptr) GlobalUnlock(block);
}

void gdiGlobalFree(NyHglobal block) {
  if (block != nullptr) GlobalFree(block);
}

void* gdiAllocForHost(size_t size) {
  return GlobalAlloc(GPTR, size);
}

void gdiFreeForHost(void* block) {
  if (block != nullptr) GlobalFree(block);
}

}  // namespace nypr::platform
