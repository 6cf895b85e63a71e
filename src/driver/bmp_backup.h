// Optional backup of every printed label as a numbered BMP file below the host's
// program directory (LOG/KT0001.BMP ...), switched on in the host's INI file.
#pragma once

#include <cstdint>
#include <string>

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// The file of backup number `number` below the host's module directory.
std::string backupBmpPath(int number);

// When "BACKUPBMP" in section "Log" is non-zero, saves `bitmap` under the next number
// ("KTBakBmpNum", starting again at 1 once it reaches "MAXBmp") and moves the number on.
// A copy that cannot be saved is skipped silently: the label is printed all the same.
void backupLabelBitmap(uint8_t printerNo, NyHbitmap bitmap);

}  // namespace nypr
