// Bitmaps and global memory on POSIX: a bitmap handle is a NyBitmap the caller owns, a
// global memory block is heap memory. The reading rules are GDI's (see platform/gdi.h).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "platform/gdi.h"

namespace nypr::platform {

namespace {

struct Rgb {
  uint8_t r;
  uint8_t g;
  uint8_t b;
};

bool isWhite(Rgb c) {
  return int{c.r} + int{c.g} + int{c.b} >= 383;
}

uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool supportedDepth(int32_t bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// Bytes that hold the pixels of one row, without padding.
int64_t packedRowBytes(int64_t width, int64_t bpp) {
  return (width * bpp + 7) / 8;
}

// Everything the readers rely on: a bitmap that fails here is never touched.
bool validBitmap(const NyBitmap* bm) {
  if (bm == nullptr || bm->bits == nullptr) return false;
  if (bm->width <= 0 || bm->height <= 0 || !supportedDepth(bm->bitsPerPixel)) return false;
  const int64_t padded = (int64_t{bm->width} * bm->bitsPerPixel + 15) / 16 * 2;
  if (padded > std::numeric_limits<int32_t>::max()) return false;
  if (bm->stride < packedRowBytes(bm->width, bm->bitsPerPixel)) return false;
  const int64_t total = int64_t{bm->stride} * bm->height;
  return total <= std::numeric_limits<int64_t>::max() / 2 &&
         static_cast<uint64_t>(total) <= std::numeric_limits<size_t>::max();
}

int32_t gdiWidthBytes(const NyBitmap* bm) {
  return static_cast<int32_t>((int64_t{bm->width} * bm->bitsPerPixel + 15) / 16 * 2);
}

const uint8_t* rowOf(const NyBitmap* bm, int32_t y) {
  return bm->bits + static_cast<size_t>(y) * static_cast<size_t>(bm->stride);
}

// Copies the pixel bytes of a row and clears the bits past the last pixel, so that rows
// read alike whatever the caller left in its padding.
void copyPackedRow(const uint8_t* src, uint8_t* dst, int64_t width, int32_t bpp) {
  const int64_t bitsUsed = width * bpp;
  const size_t bytes = static_cast<size_t>((bitsUsed + 7) / 8);
  std::memcpy(dst, src, bytes);
  const int tail = static_cast<int>(bitsUsed % 8);
  if (tail != 0) dst[bytes - 1] &= static_cast<uint8_t>(0xFF << (8 - tail));
}

// Colour table of an indexed bitmap as GetDIBits reports it: the bitmap's palette, or
// black and white for 1 bit and grey levels for 4 and 8 bits; missing entries are black.
Rgb paletteEntry(const NyBitmap* bm, uint32_t index) {
  const uint32_t entries = 1u << bm->bitsPerPixel;
  if (bm->palette != nullptr && bm->paletteCount > 0) {
    if (index < static_cast<uint32_t>(bm->paletteCount) && index < entries) {
      const uint32_t c = bm->palette[index];
      return {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
    }
    return {0, 0, 0};
  }
  const auto grey = static_cast<uint8_t>(index * 255u / (entries - 1u));
  return {grey, grey, grey};
}

uint8_t expand5(uint32_t v) {
  return static_cast<uint8_t>((v << 3) | (v >> 2));
}

Rgb devicePixel(const NyBitmap* bm, const uint8_t* row, int32_t x) {
  switch (bm->bitsPerPixel) {
    case 1:
      return paletteEntry(bm, (row[x >> 3] >> (7 - (x & 7))) & 1u);
    case 4:
      return paletteEntry(bm, (row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0Fu);
    case 8:
      return paletteEntry(bm, row[x]);
    case 16: {
      const uint32_t v = le16(row + 2 * static_cast<size_t>(x));
      return {expand5((v >> 10) & 31u), expand5((v >> 5) & 31u), expand5(v & 31u)};
    }
    case 24: {
      const uint8_t* p = row + 3 * static_cast<size_t>(x);
      return {p[2], p[1], p[0]};
    }
    default: {
      const uint8_t* p = row + 4 * static_cast<size_t>(x);
      return {p[2], p[1], p[0]};
    }
  }
}

// A monochrome bitmap made here is one heap block: the NyBitmap, then its rows.
constexpr size_t kOwnedHeader = (sizeof(NyBitmap) + 15) / 16 * 16;

// ---- DIB reading (for drawing) ----------------------------------------------------------

struct DibView {
  int32_t width = 0;
  int32_t height = 0;  // rows, always positive
  bool topDown = false;
  int bitCount = 0;
  bool bitFields = false;
  uint32_t masks[3] = {0, 0, 0};
  int shifts[3] = {0, 0, 0};
  uint32_t maxima[3] = {0, 0, 0};
  Rgb table[256] = {};
  uint32_t tableCount = 0;
  const uint8_t* bits = nullptr;
  size_t stride = 0;
};

void prepareMask(DibView& v, int i, uint32_t mask) {
  v.masks[i] = mask;
  if (mask == 0) return;
  int shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  v.shifts[i] = shift;
  v.maxima[i] = mask >> shift;
}

uint8_t maskedChannel(const DibView& v, int i, uint32_t pixel) {
  if (v.masks[i] == 0) return 0;
  const uint64_t value = (pixel & v.masks[i]) >> v.shifts[i];
  return static_cast<uint8_t>(std::min<uint64_t>(255, value * 255 / v.maxima[i]));
}

bool parseDib(const uint8_t* dib, size_t dibSize, DibView* out) {
  DibView& v = *out;
  if (dibSize < 4) return false;
  const uint32_t headerSize = le32(dib);
  uint32_t entrySize = 0;
  uint32_t colorsUsed = 0;
  uint32_t compression = 0;
  int64_t height = 0;
  if (headerSize == kDibInfoHeaderSize) {
    if (dibSize < kDibInfoHeaderSize) return false;
    v.width = static_cast<int32_t>(le32(dib + 4));
    height = static_cast<int32_t>(le32(dib + 8));
    v.bitCount = le16(dib + 14);
    compression = le32(dib + 16);
    colorsUsed = le32(dib + 32);
    entrySize = 4;
  } else if (headerSize == kDibCoreHeaderSize) {
    if (dibSize < kDibCoreHeaderSize) return false;
    v.width = le16(dib + 4);
    height = le16(dib + 6);
    v.bitCount = le16(dib + 10);
    entrySize = 3;
  } else {
    return false;
  }
  if (!supportedDepth(v.bitCount) || v.width <= 0 || height == 0) return false;
  v.topDown = height < 0;
  height = height < 0 ? -height : height;
  if (height > std::numeric_limits<int32_t>::max()) return false;
  v.height = static_cast<int32_t>(height);

  uint64_t offset = headerSize;
  if (compression == 3) {
    if (v.bitCount != 16 && v.bitCount != 32) return false;
    if (dibSize < offset + 12) return false;
    v.bitFields = true;
    for (int i = 0; i < 3; ++i) prepareMask(v, i, le32(dib + offset + 4 * i));
    offset += 12;
  } else if (compression != 0) {
    return false;  // run-length and other encodings are not labels
  } else if (v.bitCount <= 8) {
    const uint32_t entries = 1u << v.bitCount;
    const uint32_t count = colorsUsed != 0 ? colorsUsed : entries;
    if (dibSize < offset + uint64_t{count} * entrySize) return false;
    v.tableCount = std::min(count, entries);
    for (uint32_t i = 0; i < v.tableCount; ++i) {
      const uint8_t* e = dib + offset + uint64_t{i} * entrySize;
      v.table[i] = {e[2], e[1], e[0]};
    }
    offset += uint64_t{count} * entrySize;
  } else {
    // A colour table may follow for display optimisation; the pixels do not use it.
    offset += uint64_t{colorsUsed} * entrySize;
  }
  const uint64_t stride = (uint64_t(v.width) * uint64_t(v.bitCount) + 31) / 32 * 4;
  if (offset > dibSize || stride * uint64_t(v.height) > dibSize - offset) return false;
  v.bits = dib + offset;
  v.stride = static_cast<size_t>(stride);
  return true;
}

// Row `y` counted from the top of the picture.
const uint8_t* dibRow(const DibView& v, int32_t y) {
  const size_t stored = v.topDown ? static_cast<size_t>(y) : static_cast<size_t>(v.height - 1 - y);
  return v.bits + stored * v.stride;
}

Rgb tableEntry(const DibView& v, uint32_t index) {
  return index < v.tableCount ? v.table[index] : Rgb{0, 0, 0};
}

Rgb dibPixel(const DibView& v, const uint8_t* row, int32_t x) {
  switch (v.bitCount) {
    case 1:
      return tableEntry(v, (row[x >> 3] >> (7 - (x & 7))) & 1u);
    case 4:
      return tableEntry(v, (row[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0Fu);
    case 8:
      return tableEntry(v, row[x]);
    case 16: {
      const uint32_t p = le16(row + 2 * static_cast<size_t>(x));
      if (v.bitFields)
        return {maskedChannel(v, 0, p), maskedChannel(v, 1, p), maskedChannel(v, 2, p)};
      return {expand5((p >> 10) & 31u), expand5((p >> 5) & 31u), expand5(p & 31u)};
    }
    case 24: {
      const uint8_t* p = row + 3 * static_cast<size_t>(x);
      return {p[2], p[1], p[0]};
    }
    default: {
      const uint8_t* p = row + 4 * static_cast<size_t>(x);
      if (v.bitFields) {
        const uint32_t px = le32(p);
        return {maskedChannel(v, 0, px), maskedChannel(v, 1, px), maskedChannel(v, 2, px)};
      }
      return {p[2], p[1], p[0]};
    }
  }
}

void setMono(uint8_t* row, int32_t x, bool white) {
  const auto bit = static_cast<uint8_t>(0x80u >> (x & 7));
  if (white) {
    row[x >> 3] |= bit;
  } else {
    row[x >> 3] &= static_cast<uint8_t>(~bit);
  }
}

// A 1-bit DIB maps whole bytes: each of its two colours is black or white.
void drawMonoRows(const DibView& v, NyBitmap* target, int32_t width, int32_t height) {
  const bool white0 = isWhite(tableEntry(v, 0));
  const bool white1 = isWhite(tableEntry(v, 1));
  const int32_t fullBytes = width / 8;
  const int tail = width % 8;
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = dibRow(v, y);
    uint8_t* dst = target->bits + static_cast<size_t>(y) * static_cast<size_t>(target->stride);
    auto map = [&](uint8_t b) -> uint8_t {
      if (white0 == white1) return white0 ? 0xFF : 0x00;
      return white1 ? b : static_cast<uint8_t>(~b);
    };
    for (int32_t i = 0; i < fullBytes; ++i) dst[i] = map(src[i]);
    if (tail != 0) {
      const auto keep = static_cast<uint8_t>(0xFFu >> tail);
      dst[fullBytes] =
          static_cast<uint8_t>((dst[fullBytes] & keep) | (map(src[fullBytes]) & ~keep));
    }
  }
}

}  // namespace

bool gdiGetBitmapDesc(NyHbitmap bitmap, BitmapDesc* desc) {
  if (desc == nullptr || !validBitmap(bitmap)) return false;
  desc->width = bitmap->width;
  desc->height = bitmap->height;
  desc->widthBytes = gdiWidthBytes(bitmap);
  desc->planes = 1;
  desc->bitsPixel = static_cast<uint16_t>(bitmap->bitsPerPixel);
  return true;
}

size_t gdiGetBitmapBits(NyHbitmap bitmap, void* bits, size_t size) {
  if (bits == nullptr || !validBitmap(bitmap)) return 0;
  const auto widthBytes = static_cast<size_t>(gdiWidthBytes(bitmap));
  const size_t rows = std::min(size / widthBytes, static_cast<size_t>(bitmap->height));
  auto* out = static_cast<uint8_t*>(bits);
  for (size_t y = 0; y < rows; ++y) {
    uint8_t* dst = out + y * widthBytes;
    std::memset(dst, 0, widthBytes);
    copyPackedRow(rowOf(bitmap, static_cast<int32_t>(y)), dst, bitmap->width, bitmap->bitsPerPixel);
  }
  return rows * widthBytes;
}

bool gdiGetDIBits(NyHbitmap bitmap, NyHpalette /*palette*/, void* info, void* bits) {
  // The palette only matters to a display device context; POSIX bitmaps carry their own.
  if (info == nullptr || bits == nullptr || !validBitmap(bitmap)) return false;
  DibInfoHeader header;
  std::memcpy(&header, info, sizeof header);
  if (header.size != kDibInfoHeaderSize || header.width != bitmap->width ||
      header.height != bitmap->height || header.compression != 0) {
    return false;
  }
  const int target = header.bitCount;
  const bool indexed = target == 1 || target == 4 || target == 8;
  if (indexed ? target != bitmap->bitsPerPixel : target != 24) return false;
  const uint64_t dibStride = (uint64_t(header.width) * uint64_t(target) + 31) / 32 * 4;
  if (dibStride * uint64_t(header.height) != header.imageSize) return false;

  auto* out = static_cast<uint8_t*>(bits);
  if (indexed) {
    auto* table = static_cast<uint8_t*>(info) + sizeof header;
    const uint32_t entries = 1u << target;
    for (uint32_t i = 0; i < entries; ++i) {
      const Rgb c = paletteEntry(bitmap, i);
      const uint8_t quad[4] = {c.b, c.g, c.r, 0};
      std::memcpy(table + 4 * i, quad, 4);
    }
  }
  for (int32_t y = 0; y < bitmap->height; ++y) {
    const uint8_t* src = rowOf(bitmap, y);
    uint8_t* dst = out + static_cast<size_t>(bitmap->height - 1 - y) * dibStride;
    std::memset(dst, 0, static_cast<size_t>(dibStride));
    if (indexed) {
      copyPackedRow(src, dst, bitmap->width, target);
    } else if (bitmap->bitsPerPixel == 24) {
      std::memcpy(dst, src, static_cast<size_t>(bitmap->width) * 3);
    } else {
      for (int32_t x = 0; x < bitmap->width; ++x) {
        const Rgb c = devicePixel(bitmap, src, x);
        uint8_t* p = dst + 3 * static_cast<size_t>(x);
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
      }
    }
  }
  return true;
}

NyHbitmap gdiCreateMonochromeBitmap(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  const int64_t widthBytes = (int64_t{width} + 15) / 16 * 2;
  const uint64_t bytes = uint64_t(widthBytes) * uint64_t(height);
  if (bytes > std::numeric_limits<size_t>::max() - kOwnedHeader) return nullptr;
  auto* block = static_cast<uint8_t*>(std::calloc(1, kOwnedHeader + static_cast<size_t>(bytes)));
  if (block == nullptr) return nullptr;
  auto* bitmap = new (block) NyBitmap{};
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bitsPerPixel = 1;
  bitmap->stride = static_cast<int32_t>(widthBytes);
  bitmap->bits = block + kOwnedHeader;
  return bitmap;
}

void gdiDeleteBitmap(NyHbitmap bitmap) {
  if (bitmap == nullptr) return;
  // The NyBitmap starts the block made by gdiCreateMonochromeBitmap.
  std::free(bitmap);
}

bool gdiDrawDib(NyHbitmap target, const void* dib, size_t dibSize) {
  if (dib == nullptr || !validBitmap(target) || target->bitsPerPixel != 1) return false;
  DibView v;
  if (!parseDib(static_cast<const uint8_t*>(dib), dibSize, &v)) return false;
  const int32_t width = std::min(target->width, v.width);
  const int32_t height = std::min(target->height, v.height);
  if (v.bitCount == 1) {
    drawMonoRows(v, target, width, height);
    return true;
  }
  bool white[256] = {};
  if (v.bitCount <= 8) {
    for (uint32_t i = 0; i < 256; ++i) white[i] = isWhite(tableEntry(v, i));
  }
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = dibRow(v, y);
    uint8_t* dst = target->bits + static_cast<size_t>(y) * static_cast<size_t>(target->stride);
    for (int32_t x = 0; x < width; ++x) {
      bool w;
      if (v.bitCount == 8) {
        w = white[src[x]];
      } else if (v.bitCount == 4) {
        w = white[(src[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 0x0F];
      } else {
        w = isWhite(dibPixel(v, src, x));
      }
      setMono(dst, x, w);
    }
  }
  return true;
}

NyHglobal gdiGlobalAlloc(size_t size) {
  return std::calloc(1, size != 0 ? size : 1);
}

void* gdiGlobalLock(NyHglobal block) {
  return block;
}

void gdiGlobalUnlock(NyHglobal /*block*/) {}

void gdiGlobalFree(NyHglobal block) {
  std::free(block);
}

void* gdiAllocForHost(size_t size) {
  return std::calloc(1, size != 0 ? size : 1);
}

void gdiFreeForHost(void* block) {
  std::free(block);
}

}  // namespace nypr::platform
