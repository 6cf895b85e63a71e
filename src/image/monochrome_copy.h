// The 1-bit copy of a label bitmap that the printer's raster is made from.
#pragma once

#include "nyprkt3600r/platform_types.h"

namespace nypr {

// A new 1-bit bitmap of the label's size (rows top-down, padded to 2 bytes, 1 = white),
// each pixel black or white by the platform's mapping (platform/gdi.h); null when the
// label cannot be read or the copy not made. Release it with deleteMonochromeCopy.
NyHbitmap makeMonochromeCopy(NyHbitmap label);
void deleteMonochromeCopy(NyHbitmap copy);

}  // namespace nypr
