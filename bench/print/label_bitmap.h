// The label's rows as the host hands them to the driver: a device bitmap on Windows, a
// caller-owned NyBitmap elsewhere.
#pragma once

#include <cstdint>
#include <vector>

#include "nyprkt3600r/platform_types.h"

namespace nypr::bench {

// A 1-bit bitmap of `rows` (top-down, `width` / 8 bytes a row, an even count, 0 = black).
// `rows` must outlive the handle where the platform keeps no copy. Null on failure.
NyHbitmap makeLabelBitmap(std::vector<uint8_t>& rows, int width, int height);
void deleteLabelBitmap(NyHbitmap bitmap);

}  // namespace nypr::bench
