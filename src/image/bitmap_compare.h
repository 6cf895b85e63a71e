// Where two label bitmaps of the same geometry differ, as rectangles of whole 8 x 8
// blocks (the host redraws only those parts of its preview).
#pragma once

#include <cstdint>
#include <vector>

#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr {

// More differing blocks than this and the comparison gives up (result -1).
inline constexpr int kMaxDifferingBlocks = 10000;

// Number of rectangles (0 when equal, -1 on failure); with a result above 0 *rects gets a
// new array (gdiAllocForHost: released with free() on POSIX), otherwise it is untouched.
int16_t CompareBitmapFnSW(NyHbitmap first, NyHbitmap second, DiffRectST** rects);

// ---- The steps, on the block grid (one byte per block, 1 = differs) --------------------

// A rectangle in block units.
struct BlockRect {
  int32_t x;
  int32_t y;
  int32_t cx;
  int32_t cy;
  bool operator==(const BlockRect&) const = default;
};

// Grows a rectangle around every marked block not yet covered, block columns outer and
// block rows inner, keeping each growth step while at least a fifth of the rectangle is
// marked.
std::vector<BlockRect> growBlockRects(const std::vector<uint8_t>& grid, int32_t blocksX,
                                      int32_t blocksY);
// One pass that joins rectangles lying within a rectangle's own size of each other.
void mergeBlockRects(std::vector<BlockRect>& rects);
// Block rectangle to pixels: left edges on 16-pixel boundaries, and rectangles that reach
// the last block column or row end exactly at the image's edge.
DiffRectST blockRectToPixels(const BlockRect& r, int32_t blocksX, int32_t blocksY, int32_t width,
                             int32_t height);

}  // namespace nypr
