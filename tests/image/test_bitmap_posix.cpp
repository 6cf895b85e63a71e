// The image tests' bitmaps on POSIX: the host's bitmap is a NyBitmap record over the
// test's rows, broken fields and all.
#include <cstdlib>

#include "test_bitmap.h"

namespace nypr::testing {

std::shared_ptr<void> makeHostBitmap(const BitmapLayout& layout) {
  return std::make_shared<NyBitmap>(NyBitmap{layout.width, layout.height, layout.bitsPerPixel,
                                             layout.stride, layout.bits, layout.palette,
                                             layout.paletteCount});
}

void* lockHostBlock(NyHglobal block) {
  return block;
}

void unlockHostBlock(NyHglobal) {}

void releaseHostBlock(void* block) {
  std::free(block);
}

}  // namespace nypr::testing
