// Packed device-independent bitmaps: the header, colour table and rows in one block, as
// the host and the label backup file hold them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// The exported functions of the public header carry the same names; code that sees both
// calls these as nypr::BitmapToDIB and so on (a NyBitmap argument finds the export too).

// Clears the 40-byte info header and fills size, width, height, planes 1, the bit count
// (1, 4, 8 or 24 from `bitsPerPixel`) and the image size of rows padded to 4 bytes.
void InitBitmapInfoHeader(void* infoHeader, uint32_t width, uint32_t height, int32_t bitsPerPixel);
// Colour-table entries of the DIB whose header `dib` points to (3 for bit-field masks).
uint16_t DIBNumColors(const void* dib);
// Bytes of the colour table: 4 per entry after an info header, 3 after a core header.
uint16_t PaletteSize(const void* dib);
// The first pixel row of a packed DIB: its header size plus the colour table.
uint8_t* FindDIBBits(void* dib);
// The bitmap as a packed DIB in a new movable global block (16- and 32-bit bitmaps
// become 24-bit DIBs); null when the bitmap cannot be read or the block not had.
NyHglobal BitmapToDIB(NyHbitmap bitmap, NyHpalette palette);

// Bytes of a packed DIB with an info header (header, colour table, image size); 0 when
// the header is not a 40-byte info header.
size_t packedDibSize(const void* dib);

}  // namespace nypr
