// Monochrome copy of a label: the label goes through a DIB, which is then drawn into a
// fresh 1-bit bitmap, so any colour depth the host renders ends up black or white.
#include "image/monochrome_copy.h"

#include <cstring>

#include "image/dib.h"
#include "platform/gdi.h"

namespace nypr {

NyHbitmap makeMonochromeCopy(NyHbitmap label) {
  NyHglobal block = BitmapToDIB(label, nullptr);
  if (block == nullptr) return nullptr;
  NyHbitmap copy = nullptr;
  if (void* dib = platform::gdiGlobalLock(block); dib != nullptr) {
    platform::DibInfoHeader header;
    std::memcpy(&header, dib, sizeof header);
    copy = platform::gdiCreateMonochromeBitmap(header.width, header.height);
    if (copy != nullptr && !platform::gdiDrawDib(copy, dib, packedDibSize(dib))) {
      platform::gdiDeleteBitmap(copy);
      copy = nullptr;
    }
    platform::gdiGlobalUnlock(block);
  }
  platform::gdiGlobalFree(block);
  return copy;
}

void deleteMonochromeCopy(NyHbitmap copy) {
  platform::gdiDeleteBitmap(copy);
}

}  // namespace nypr
