// Untrusted bytes into the image code. The first byte picks the target:
//   0: the "KT5_SW_TUNE" INI value (text, as the host's INI file may hold anything);
//   1: a packed DIB drawn into a monochrome bitmap (header fields, colour table and row
//      sizes must all be checked against the block), and the DIB size helpers;
//   2: a bitmap through the head-protection filter, which must match the dot-by-dot
//      filter bit for bit (byte 1: rows, byte 2: bytes per row, byte 3: threshold).
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "head_protect_reference.h"
#include "image/dib.h"
#include "image/head_protect.h"
#include "platform/gdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 3;
  const uint8_t* body = data + 1;
  const size_t length = size - 1;
  if (mode == 0) {
    const std::string text(reinterpret_cast<const char*>(body), std::min<size_t>(length, 255));
    const nypr::HeadProtectTuning t = nypr::parseHeadProtectTuning(text.c_str());
    (void)t;
  } else if (mode == 1) {
    NyHbitmap target = nypr::platform::gdiCreateMonochromeBitmap(40, 30);
    if (target == nullptr) return 0;
    std::vector<uint8_t> dib(body, body + length);  // exactly the bytes, for the sanitizer
    nypr::platform::gdiDrawDib(target, dib.data(), dib.size());
    if (dib.size() >= 40) {
      (void)nypr::DIBNumColors(dib.data());
      (void)nypr::PaletteSize(dib.data());
    }
    nypr::platform::gdiDeleteBitmap(target);
  } else if (length >= 3) {
    const int32_t rows = 1 + body[0] % 64;
    const int32_t bytesPerRow = 1 + body[1] % 80;
    const int threshold = body[2] % 8;
    std::vector<uint8_t> bits(static_cast<size_t>(rows) * bytesPerRow, 0xFF);
    std::memcpy(bits.data(), body + 3, std::min(bits.size(), length - 3));
    std::vector<uint8_t> expected = bits;
    const uint32_t seed = static_cast<uint32_t>(length) * 2654435761u;
    nypr::protectPrintHead(bits.data(), rows, bytesPerRow, {1, threshold}, seed);
    nypr::referenceProtect(expected.data(), rows, bytesPerRow, {1, threshold}, seed);
    if (bits != expected) std::abort();
  }
  return 0;
}
