// On Windows the host renders into a monochrome device bitmap; GDI keeps its own copy
// of the rows.
#include <windows.h>

#include "label_bitmap.h"

namespace nypr::bench {

NyHbitmap makeLabelBitmap(std::vector<uint8_t>& rows, int width, int height) {
  return CreateBitmap(width, height, 1, 1, rows.data());
}

void deleteLabelBitmap(NyHbitmap bitmap) {
  if (bitmap != nullptr) DeleteObject(bitmap);
}

}  // namespace nypr::bench
