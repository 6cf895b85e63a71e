// BMP files of label bitmaps (the optional backup copy of each printed label).
#pragma once

#include <string>

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// Writes the bitmap as a BMP file (14-byte file header, then the packed DIB of
// BitmapToDIB). False when the bitmap cannot be converted or the file not written; a
// file that could not be written whole is removed.
bool saveBitmapAsBmp(NyHbitmap bitmap, const std::string& path);

}  // namespace nypr
