// Bitmaps, device-independent bitmaps and global memory blocks.
//
// On Windows these are GDI objects and GlobalAlloc blocks. On POSIX a bitmap handle
// points to a caller-owned NyBitmap (include/nyprkt3600r/platform_types.h) and a global
// memory handle is plain heap memory released with free().
//
// Contract, as the GDI functions behave:
// - A device bitmap is read top row first, each row padded to an even number of bytes
//   (BITMAP.bmWidthBytes). Bits of a row past its last pixel read as 0.
// - A device-independent bitmap (DIB) stores its rows bottom row first, each row padded
//   to a multiple of 4 bytes; the colour table entries are blue, green, red, 0.
// - When a colour pixel is drawn into a 1-bit bitmap it becomes black or white by the
//   platform's rule: on Windows GDI's own colour-to-monochrome mapping of a blit (white
//   only where the pixel is the background colour, white; any other colour black), which
//   the host's other printer drivers get too; on POSIX the nearer of black and white
//   (white when red + green + blue >= 383).
// None of these functions shows a message or throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nyprkt3600r/platform_types.h"

namespace nypr::platform {

// BITMAPINFOHEADER as stored in a packed DIB (40 bytes, little-endian fields).
struct DibInfoHeader {
  uint32_t size;  // 40
  int32_t width;
  int32_t height;  // > 0: bottom-up rows
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;  // 0 plain RGB, 3 bit-field masks after the header
  uint32_t imageSize;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "BITMAPINFOHEADER is 40 bytes");

// BITMAPCOREHEADER (12 bytes), the older header a DIB may carry instead.
inline constexpr uint32_t kDibCoreHeaderSize = 12;
inline constexpr uint32_t kDibInfoHeaderSize = 40;

// What GetObject tells about a device bitmap (BITMAP).
struct BitmapDesc {
  int32_t width = 0;
  int32_t height = 0;
  int32_t widthBytes = 0;  // bytes per row as gdiGetBitmapBits delivers them (even)
  uint16_t planes = 0;
  uint16_t bitsPixel = 0;
};

// Fills `desc`. False for a null handle or a bitmap that cannot be read (zero or negative
// size, depth other than 1, 4, 8, 16, 24, 32, rows shorter than the pixels, no bits).
bool gdiGetBitmapDesc(NyHbitmap bitmap, BitmapDesc* desc);

// GetBitmapBits: copies the rows top-down, widthBytes each, into `bits` (at most `size`
// bytes, whole rows only). Returns the number of bytes copied, 0 on failure.
size_t gdiGetBitmapBits(NyHbitmap bitmap, void* bits, size_t size);

// GetDIBits of all rows with RGB colours, the palette (if any) selected into the screen
// device context and realised for the call. `info` is a DibInfoHeader filled for the
// bitmap's width and height with a bit count of 1, 4, 8 or 24, followed by room for its
// colour table (2, 16, 256 or no entries), which this call fills. `bits` receives the
// header's imageSize bytes. False when the bitmap cannot be read or the request does not
// fit it.
bool gdiGetDIBits(NyHbitmap bitmap, NyHpalette palette, void* info, void* bits);

// A new 1-bit bitmap (CreateBitmap), all black; null when it cannot be made. Release it
// with gdiDeleteBitmap.
NyHbitmap gdiCreateMonochromeBitmap(int32_t width, int32_t height);
// Releases a bitmap made by gdiCreateMonochromeBitmap; null is ignored.
void gdiDeleteBitmap(NyHbitmap bitmap);

// Draws the packed DIB `dib` (`dibSize` bytes: header, colour table, rows) at (0, 0) into
// the 1-bit bitmap `target`, clipped to it; each pixel becomes black or white as above.
// Accepts 40-byte and 12-byte headers, 1, 4, 8, 16, 24 and 32 bits per pixel,
// bottom-up or top-down rows, plain or bit-field 16/32-bit pixels. False (target left as
// it was) for a malformed DIB, one larger than `dibSize`, or a target that is not 1-bit.
bool gdiDrawDib(NyHbitmap target, const void* dib, size_t dibSize);

// GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT): null when it cannot be had.
NyHglobal gdiGlobalAlloc(size_t size);
// GlobalLock / GlobalUnlock: the block's address while locked.
void* gdiGlobalLock(NyHglobal block);
void gdiGlobalUnlock(NyHglobal block);
// GlobalFree; null is ignored.
void gdiGlobalFree(NyHglobal block);

// A fixed, zero-filled block handed to the host, which releases it with free() on POSIX
// (GlobalFree on Windows). Null when it cannot be had.
void* gdiAllocForHost(size_t size);
// Releases a block of gdiAllocForHost that never reached the host; null is ignored.
void gdiFreeForHost(void* block);

}  // namespace nypr::platform
