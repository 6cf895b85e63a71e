// BMP file writer: the file header in front of the packed DIB the bitmap converts to.
#include "image/bmp_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "image/dib.h"
#include "platform/gdi.h"

namespace nypr {

namespace {

constexpr uint32_t kFileHeaderSize = 14;

void putLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void putLe32(uint8_t* p, uint32_t v) {
  putLe16(p, v);
  putLe16(p + 2, v >> 16);
}

bool writeFile(const std::string& path, const uint8_t* header, const void* dib, size_t dibSize) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(header, 1, kFileHeaderSize, f) == kFileHeaderSize &&
            std::fwrite(dib, 1, dibSize, f) == dibSize;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace

bool saveBitmapAsBmp(NyHbitmap bitmap, const std::string& path) {
  NyHglobal block = BitmapToDIB(bitmap, nullptr);
  if (block == nullptr) return false;
  bool saved = false;
  if (const void* dib = platform::gdiGlobalLock(block); dib != nullptr) {
    const size_t dibSize = packedDibSize(dib);
    uint32_t headerSize;
    std::memcpy(&headerSize, dib, sizeof headerSize);
    const uint64_t fileSize = uint64_t{dibSize} + kFileHeaderSize;
    if (dibSize != 0 && fileSize <= UINT32_MAX) {
      uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
      putLe32(fileHeader + 2, static_cast<uint32_t>(fileSize));
      putLe32(fileHeader + 10, kFileHeaderSize + headerSize + PaletteSize(dib));
      saved = writeFile(path, fileHeader, dib, dibSize);
    }
    platform::gdiGlobalUnlock(block);
  }
  platform::gdiGlobalFree(block);
  return saved;
}

}  // namespace nypr
