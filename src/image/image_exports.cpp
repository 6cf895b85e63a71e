// Exported bitmap utilities, head protection and contrast limit: argument checks, then
// the image module. Nothing here throws into the host.
#include "image/bitmap_compare.h"
#include "image/dib.h"
#include "image/head_protect.h"
#include "image/history_contrast_limit.h"
#include "nyprkt3600r/nyprkt3600r.h"

extern "C" {

NYPR_API void NYPR_STDCALL InitBitmapInfoHeader(void* infoHeader, uint32_t width, uint32_t height,
                                                int32_t bitsPerPixel) {
  if (infoHeader == nullptr) return;
  nypr::InitBitmapInfoHeader(infoHeader, width, height, bitsPerPixel);
}

NYPR_API uint16_t NYPR_STDCALL DIBNumColors(const void* dib) {
  return dib == nullptr ? 0 : nypr::DIBNumColors(dib);
}

NYPR_API uint16_t NYPR_STDCALL PaletteSize(const void* dib) {
  return dib == nullptr ? 0 : nypr::PaletteSize(dib);
}

NYPR_API uint8_t* NYPR_STDCALL FindDIBBits(void* dib) {
  return dib == nullptr ? nullptr : nypr::FindDIBBits(dib);
}

NYPR_API NyHglobal NYPR_STDCALL BitmapToDIB(NyHbitmap bitmap, NyHpalette palette) {
  try {
    return nypr::BitmapToDIB(bitmap, palette);
  } catch (...) {
    return nullptr;
  }
}

NYPR_API int16_t NYPR_STDCALL CompareBitmapFnSW(NyHbitmap first, NyHbitmap second,
                                                DiffRectST** rects) {
  if (first == nullptr || second == nullptr) return -1;
  try {
    return nypr::CompareBitmapFnSW(first, second, rects);
  } catch (...) {
    return -1;
  }
}

NYPR_API void NYPR_STDCALL PrintHeadProtectFnV(uint8_t* bits, int32_t spare1, int32_t spare2,
                                               int32_t rows, int32_t bytesPerRow) {
  if (bits == nullptr || rows <= 0 || bytesPerRow <= 0) return;
  try {
    nypr::PrintHeadProtectFnV(bits, spare1, spare2, rows, bytesPerRow);
  } catch (...) {
    // An unreadable INI file leaves the label as the host made it.
  }
}

NYPR_API uint8_t NYPR_STDCALL NyPrGetMaxContrast2FnUB(uint8_t printerIndex, uint8_t speed,
                                                      int32_t mode) {
  return nypr::NyPrGetMaxContrast2FnUB(printerIndex, speed, mode);
}

}  // extern "C"
