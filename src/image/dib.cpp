// Packed DIB helpers and the conversion of a device bitmap into one.
#include "image/dib.h"

#include <bit>
#include <cstring>
#include <limits>

#include "platform/gdi.h"

namespace nypr {

static_assert(std::endian::native == std::endian::little,
              "DIB headers are little-endian and are filled in place");

namespace {

constexpr uint32_t kCompressionBitFields = 3;

uint32_t headerWord(const void* dib, size_t offset) {
  uint32_t v;
  std::memcpy(&v, static_cast<const uint8_t*>(dib) + offset, sizeof v);
  return v;
}

uint16_t headerHalf(const void* dib, size_t offset) {
  uint16_t v;
  std::memcpy(&v, static_cast<const uint8_t*>(dib) + offset, sizeof v);
  return v;
}

bool isInfoHeader(const void* dib) {
  return headerWord(dib, 0) == platform::kDibInfoHeaderSize;
}

}  // namespace

void InitBitmapInfoHeader(void* infoHeader, uint32_t width, uint32_t height, int32_t bitsPerPixel) {
  platform::DibInfoHeader h{};
  h.size = platform::kDibInfoHeaderSize;
  h.width = static_cast<int32_t>(width);
  h.height = static_cast<int32_t>(height);
  h.planes = 1;
  if (bitsPerPixel <= 1) {
    h.bitCount = 1;
  } else if (bitsPerPixel <= 4) {
    h.bitCount = 4;
  } else if (bitsPerPixel <= 8) {
    h.bitCount = 8;
  } else {
    h.bitCount = 24;
  }
  // 32-bit unsigned arithmetic, as the header field holds it.
  h.imageSize = ((width * h.bitCount + 31u) / 32u) * 4u * height;
  std::memcpy(infoHeader, &h, sizeof h);
}

uint16_t DIBNumColors(const void* dib) {
  uint16_t bitCount;
  if (isInfoHeader(dib)) {
    const uint32_t colorsUsed = headerWord(dib, 32);
    if (colorsUsed != 0) return static_cast<uint16_t>(colorsUsed);
    if (headerWord(dib, 16) == kCompressionBitFields) return 3;
    bitCount = headerHalf(dib, 14);
  } else {
    bitCount = headerHalf(dib, 10);
  }
  switch (bitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

uint16_t PaletteSize(const void* dib) {
  const unsigned entrySize = isInfoHeader(dib) ? 4u : 3u;
  return static_cast<uint16_t>(DIBNumColors(dib) * entrySize);
}

uint8_t* FindDIBBits(void* dib) {
  return static_cast<uint8_t*>(dib) + headerWord(dib, 0) + PaletteSize(dib);
}

size_t packedDibSize(const void* dib) {
  if (!isInfoHeader(dib)) return 0;
  return size_t{platform::kDibInfoHeaderSize} + PaletteSize(dib) + headerWord(dib, 20);
}

NyHglobal BitmapToDIB(NyHbitmap bitmap, NyHpalette palette) {
  if (bitmap == nullptr) return nullptr;
  platform::BitmapDesc desc;
  if (!platform::gdiGetBitmapDesc(bitmap, &desc)) return nullptr;

  platform::DibInfoHeader header;
  InitBitmapInfoHeader(&header, static_cast<uint32_t>(desc.width),
                       static_cast<uint32_t>(desc.height), desc.planes * desc.bitsPixel);
  // A bitmap whose rows do not fit the header's 32-bit image size cannot be a DIB.
  const uint64_t stride = (uint64_t(desc.width) * header.bitCount + 31) / 32 * 4;
  if (stride * uint64_t(desc.height) != header.imageSize) return nullptr;
  const uint64_t total =
      uint64_t{platform::kDibInfoHeaderSize} + PaletteSize(&header) + header.imageSize;
  if (total > std::numeric_limits<size_t>::max()) return nullptr;

  NyHglobal block = platform::gdiGlobalAlloc(static_cast<size_t>(total));
  if (block == nullptr) return nullptr;
  void* dib = platform::gdiGlobalLock(block);
  if (dib == nullptr) {
    platform::gdiGlobalFree(block);
    return nullptr;
  }
  std::memcpy(dib, &header, sizeof header);
  const bool read = platform::gdiGetDIBits(bitmap, palette, dib, FindDIBBits(dib));
  platform::gdiGlobalUnlock(block);
  if (!read) {
    platform::gdiGlobalFree(block);
    return nullptr;
  }
  return block;
}

}  // namespace nypr
