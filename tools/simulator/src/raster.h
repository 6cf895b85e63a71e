// Raster lines as the printer receives them, turned back into the label the host drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ktsim/simulator.h"

namespace ktsim::detail {

// Renders `lines` (received bottom row first, each bytesPerLine bytes) into a label of
// widthDots x lengthDots. Within a line, dots come in 16-dot groups stored as byte pairs
// from the end of the line backwards (the first group in the last pair); in each byte
// bit 0 is the leftmost dot and a set bit prints. Lines beyond the label length (padding
// of the last frame) are ignored; dots beyond the line are blank.
PrintedLabel renderLabel(const std::vector<std::vector<uint8_t>>& lines, int bytesPerLine,
                         int widthDots, int lengthDots);

// The label the printer draws for a test print: pattern 0-6, position 0 whole / 1 left
// / 2 centre / 3 right third of the head.
PrintedLabel testPattern(int pattern, int position, int headDots, int lengthDots);

// Writes an 8-bit grey PNG; false when the file cannot be written.
bool writePng(const std::string& path, const PrintedLabel& label);

}  // namespace ktsim::detail
