// The host's label bitmap (the platform's own: a record on POSIX, GDI on Windows) through
// the print path's image steps: the monochrome copy and the raster rows. The geometry is random but
// the buffer is sized for it, as a host that keeps the bitmap contract hands it over (the stride
// may still be too short for the width: that bitmap must be refused, never read past). Input:
// depth, width (2 bytes), height, extra stride, palette size, label width (2 bytes), then the
// pixels (repeated to fill the rows) and the palette. Checks: the copy has the label's size; for
// 24- and 32-bit labels each copy pixel is black or white by the platform's mapping; each raster
// line is its row, bottom row first, with the dots past the edge cleared to the end of the edge's
// 16-dot group (so the row padding never prints) and blank lines once the rows run out.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "driver/raster.h"
#include "image/monochrome_copy.h"
#include "platform/gdi.h"
#include "test_bitmap.h"

namespace {

constexpr int32_t kDepths[] = {1, 4, 8, 16, 24, 32};

bool copyPixelWhite(const std::vector<uint8_t>& bits, int widthBytes, int x, int y) {
  return (bits[size_t(y) * size_t(widthBytes) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}

bool lineDot(const uint8_t* line, int bpl, int x) {
  const int pair = (x / 16) * 2;
  const uint8_t byte = line[bpl - 2 - pair + (x / 8) % 2];
  return (byte >> (x % 8)) & 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  nypr::testing::BitmapLayout label{};
  label.bitsPerPixel = kDepths[data[0] % 6];
  label.width = 1 + (data[1] | data[2] << 8) % 1400;
  label.height = 1 + data[3] % 24;
  const int32_t packedRow = (label.width * label.bitsPerPixel + 7) / 8;
  label.stride = packedRow + (data[4] % 9) - 1;  // one byte short now and then
  const int paletteCount = label.bitsPerPixel <= 8 ? data[5] % ((1 << label.bitsPerPixel) + 1) : 0;
  const int labelDots = (data[6] | data[7] << 8) % 1200;
  const uint8_t* body = data + 8;
  const size_t bodySize = size - 8;

  std::vector<uint8_t> pixels(static_cast<size_t>(label.stride) *
                              static_cast<size_t>(label.height));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = body[i % bodySize];
  std::vector<uint32_t> palette(static_cast<size_t>(paletteCount));
  for (size_t i = 0; i < palette.size(); ++i) palette[i] = body[(i * 3) % bodySize] * 0x010203u;
  label.bits = pixels.data();
  label.palette = palette.empty() ? nullptr : palette.data();
  label.paletteCount = paletteCount;

  const auto host = nypr::testing::makeHostBitmap(label);
  NyHbitmap copy = nypr::makeMonochromeCopy(static_cast<NyHbitmap>(host.get()));
  if (label.stride < packedRow) {
    if (copy != nullptr) std::abort();
    return 0;
  }
  nypr::platform::BitmapDesc desc;
  if (copy == nullptr || !nypr::platform::gdiGetBitmapDesc(copy, &desc)) std::abort();
  if (desc.width != label.width || desc.height != label.height || desc.bitsPixel != 1) {
    std::abort();
  }
  std::vector<uint8_t> bits(size_t(desc.widthBytes) * size_t(desc.height));
  if (nypr::platform::gdiGetBitmapBits(copy, bits.data(), bits.size()) != bits.size()) {
    std::abort();
  }
  nypr::deleteMonochromeCopy(copy);

  if (label.bitsPerPixel >= 24) {
    const int step = label.bitsPerPixel / 8;
    for (int y = 0; y < label.height; ++y) {
      for (int x = 0; x < label.width; ++x) {
        const uint8_t* p = pixels.data() + size_t(y) * size_t(label.stride) + size_t(x * step);
        // The platform's mapping (platform/gdi.h): GDI's blit keeps white only where the
        // pixel is white; POSIX takes the nearer of black and white.
#ifdef _WIN32
        const bool white = p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF;
#else
        const bool white = p[0] + p[1] + p[2] >= 383;
#endif
        if (copyPixelWhite(bits, desc.widthBytes, x, y) != white) std::abort();
      }
    }
  }

  if (desc.widthBytes > nypr::kMaxRowBytes) return 0;
  const int bpl = desc.widthBytes + 2 * (data[5] % 8);
  // Dots past the edge are cleared up to the end of its 16-dot group: with the bitmap's
  // own edge that is all of the row padding, which must never print.
  const int edge = labelDots < desc.width ? labelDots : desc.width;
  const int edgeGroupEnd = edge == 0 ? 0 : (edge + 15) / 16 * 16;
  nypr::RasterWalker walker(bits.data(), desc.widthBytes, desc.height, nypr::edgeMaskForDots(edge),
                            bpl);
  std::vector<uint8_t> frame(static_cast<size_t>(nypr::frameRasterBytes(bpl)));
  const int frames = (desc.height + nypr::kLinesPerFrame - 1) / nypr::kLinesPerFrame + 1;
  int row = desc.height - 1;
  for (int f = 0; f < frames; ++f) {
    walker.fillFrame(frame.data());
    for (int l = 0; l < nypr::kLinesPerFrame; ++l, --row) {
      const uint8_t* line = frame.data() + size_t(l) * size_t(bpl + nypr::kLinePrefixLen);
      if (line[0] != '0' || line[1] != '0') std::abort();
      const uint8_t* dots = line + nypr::kLinePrefixLen;
      for (int b = 0; b < bpl - desc.widthBytes; ++b) {
        if (dots[b] != 0) std::abort();
      }
      for (int x = 0; x < desc.widthBytes * 8; ++x) {
        const bool expected = row >= 0 && !(x >= edge && x < edgeGroupEnd) &&
                              !copyPixelWhite(bits, desc.widthBytes, x, row);
        if (lineDot(dots, bpl, x) != expected) std::abort();
      }
    }
  }
  return 0;
}
