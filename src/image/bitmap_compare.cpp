// Bitmap comparison on a grid of 8 x 8 blocks.
#include "image/bitmap_compare.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/gdi.h"

namespace nypr {

namespace {

// Marked blocks of any rectangle in constant time: inclusive prefix sums of the grid.
class BlockCounter {
 public:
  BlockCounter(const std::vector<uint8_t>& grid, int32_t blocksX, int32_t blocksY)
      : stride_(static_cast<size_t>(blocksX) + 1),
        sums_(stride_ * (static_cast<size_t>(blocksY) + 1), 0) {
    for (int32_t by = 0; by < blocksY; ++by) {
      int32_t rowSum = 0;
      for (int32_t bx = 0; bx < blocksX; ++bx) {
        rowSum += grid[static_cast<size_t>(bx) + static_cast<size_t>(by) * blocksX];
        at(bx + 1, by + 1) = at(bx + 1, by) + rowSum;
      }
    }
  }
  // At least a fifth of the rectangle's blocks marked. Counted in integers: a quotient
  // of 1/5 held in the x87's wider registers (i686) falls short of the double 0.2.
  bool denseEnough(const BlockRect& r) const {
    const int32_t marked =
        at(r.x + r.cx, r.y + r.cy) - at(r.x, r.y + r.cy) - at(r.x + r.cx, r.y) + at(r.x, r.y);
    return int64_t{marked} * 5 >= int64_t{r.cx} * r.cy;
  }

 private:
  int32_t& at(int32_t x, int32_t y) { return sums_[static_cast<size_t>(x) + y * stride_]; }
  int32_t at(int32_t x, int32_t y) const { return sums_[static_cast<size_t>(x) + y * stride_]; }
  size_t stride_;
  std::vector<int32_t> sums_;
};

BlockRect growFrom(const BlockCounter& counter, int32_t bx, int32_t by, int32_t blocksX,
                   int32_t blocksY) {
  BlockRect r{bx, by, 1, 1};
  const int32_t rightEdge = bx + 1;
  bool kept = true;
  while (kept) {
    kept = false;
    if (r.x + r.cx < blocksX) {
      ++r.cx;
      if (!counter.denseEnough(r)) {
        --r.cx;
      } else {
        kept = true;
      }
    }
    if (r.y + r.cy < blocksY) {
      ++r.cy;
      if (!counter.denseEnough(r)) {
        --r.cy;
      } else {
        kept = true;
      }
    }
    // Shifting stops at column 1: the rectangle never slides onto the first column.
    if (r.x > 1) {
      --r.x;
      if (!counter.denseEnough(r)) {
        ++r.x;
      } else {
        kept = true;
      }
    }
  }
  // Sliding left may have left the seed block outside; take it back in.
  if (r.x + r.cx < rightEdge) r.cx = rightEdge - r.x;
  return r;
}

// Marks the blocks whose pixel bytes differ; false when more than the limit differ. The
// grid does not depend on the order blocks are looked at, so rows are walked in memory
// order and a whole equal row is skipped at once.
bool markDifferingBlocks(const uint8_t* a, const uint8_t* b, const platform::BitmapDesc& desc,
                         int32_t blocksX, std::vector<uint8_t>& grid, int* count) {
  const auto widthBytes = static_cast<size_t>(desc.widthBytes);
  const size_t bytesPerBlock = desc.bitsPixel;  // 8 pixels of bitsPixel bits
  // A row of whole blocks ends at its last block: the padding after it is no image. A
  // partial last block takes the rest of the row.
  const size_t compared = desc.width % 8 == 0
                              ? std::min(widthBytes, bytesPerBlock * static_cast<size_t>(blocksX))
                              : widthBytes;
  for (int32_t y = 0; y < desc.height; ++y) {
    const uint8_t* rowA = a + static_cast<size_t>(y) * widthBytes;
    const uint8_t* rowB = b + static_cast<size_t>(y) * widthBytes;
    if (std::memcmp(rowA, rowB, compared) == 0) continue;
    uint8_t* gridRow = grid.data() + static_cast<size_t>(y / 8) * static_cast<size_t>(blocksX);
    for (size_t i = 0; i < compared; ++i) {
      if (rowA[i] == rowB[i]) continue;
      // Bytes past the last whole block belong to the last block column.
      const auto bx = static_cast<int32_t>(std::min<size_t>(i / bytesPerBlock, blocksX - 1));
      if (gridRow[bx] != 0) continue;
      gridRow[bx] = 1;
      if (++*count > kMaxDifferingBlocks) return false;
    }
  }
  return true;
}

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

}  // namespace

std::vector<BlockRect> growBlockRects(const std::vector<uint8_t>& grid, int32_t blocksX,
                                      int32_t blocksY) {
  std::vector<BlockRect> rects;
  const BlockCounter counter(grid, blocksX, blocksY);
  std::vector<uint8_t> covered(grid.size(), 0);
  for (int32_t bx = 0; bx < blocksX; ++bx) {
    for (int32_t by = 0; by < blocksY; ++by) {
      const size_t index = static_cast<size_t>(bx) + static_cast<size_t>(by) * blocksX;
      if (grid[index] == 0 || covered[index] != 0) continue;
      const BlockRect r = growFrom(counter, bx, by, blocksX, blocksY);
      for (int32_t y = r.y; y < r.y + r.cy; ++y) {
        std::memset(covered.data() + static_cast<size_t>(y) * blocksX + r.x, 1,
                    static_cast<size_t>(r.cx));
      }
      rects.push_back(r);
    }
  }
  return rects;
}

void mergeBlockRects(std::vector<BlockRect>& rects) {
  size_t n = rects.size();
  for (size_t i = 1; i < n; ++i) {
    BlockRect& a = rects[i - 1];
    for (size_t j = n - 1; j >= i; --j) {
      const BlockRect& b = rects[j];
      const int32_t reachX = a.x <= b.x ? a.cx : b.cx;
      const int32_t reachY = a.y <= b.y ? a.cy : b.cy;
      if (std::abs(a.x - b.x) > reachX || std::abs(a.y - b.y) > reachY) continue;
      const int32_t left = std::min(a.x, b.x);
      const int32_t top = std::min(a.y, b.y);
      const int32_t right = std::max(a.x + a.cx, b.x + b.cx);
      const int32_t bottom = std::max(a.y + a.cy, b.y + b.cy);
      a = {left, top, right - left, bottom - top};
      if (j != n - 1) rects[j] = rects[n - 1];
      --n;
    }
  }
  rects.resize(n);
}

DiffRectST blockRectToPixels(const BlockRect& r, int32_t blocksX, int32_t blocksY, int32_t width,
                             int32_t height) {
  int32_t x = r.x;
  int32_t cx = r.cx;
  // Start on an even block: two bytes of a monochrome row.
  if (x % 2 != 0) {
    --x;
    ++cx;
  }
  const bool reachesRight = x + cx == blocksX;
  const bool reachesBottom = r.y + r.cy == blocksY;
  DiffRectST p{8 * x, 8 * r.y, 0, 0};
  if (cx % 2 != 0) {
    if (reachesRight) {
      p.x = std::max(0, p.x - 8);
      p.cx = width - p.x;
    } else {
      // One block column wider than the rectangle keeps it on 16-pixel spans, but next
      // to the last block column that would reach past the picture: stop at its edge.
      p.cx = std::min(8 * cx + 8, width - p.x);
    }
  } else {
    p.cx = reachesRight ? width - p.x : 8 * cx;
  }
  p.cy = reachesBottom ? height - p.y : 8 * r.cy;
  return p;
}

int16_t CompareBitmapFnSW(NyHbitmap first, NyHbitmap second, DiffRectST** rects) {
  platform::BitmapDesc descA;
  platform::BitmapDesc descB;
  if (!platform::gdiGetBitmapDesc(first, &descA) || !platform::gdiGetBitmapDesc(second, &descB)) {
    return -1;
  }
  if (descA.height != descB.height || descA.width != descB.width ||
      descA.bitsPixel != descB.bitsPixel || descA.planes != descB.planes) {
    return -1;
  }
  const uint64_t total = uint64_t(descA.widthBytes) * uint64_t(descA.height);
  if (total > SIZE_MAX) return -1;
  const auto bytes = static_cast<size_t>(total);
  std::unique_ptr<uint8_t[], FreeDeleter> bitsA(static_cast<uint8_t*>(std::malloc(bytes)));
  std::unique_ptr<uint8_t[], FreeDeleter> bitsB(static_cast<uint8_t*>(std::malloc(bytes)));
  if (!bitsA || !bitsB || platform::gdiGetBitmapBits(first, bitsA.get(), bytes) != bytes ||
      platform::gdiGetBitmapBits(second, bitsB.get(), bytes) != bytes) {
    return -1;
  }
  const int32_t blocksX = (descA.width + 7) / 8;
  const int32_t blocksY = (descA.height + 7) / 8;
  try {
    std::vector<uint8_t> grid(static_cast<size_t>(blocksX) * static_cast<size_t>(blocksY), 0);
    int marked = 0;
    if (!markDifferingBlocks(bitsA.get(), bitsB.get(), descA, blocksX, grid, &marked)) return -1;
    if (marked == 0) return 0;
    bitsA.reset();
    bitsB.reset();

    std::vector<BlockRect> found = growBlockRects(grid, blocksX, blocksY);
    mergeBlockRects(found);
    auto* out =
        static_cast<DiffRectST*>(platform::gdiAllocForHost(found.size() * sizeof(DiffRectST)));
    if (out == nullptr) return -1;
    for (size_t i = 0; i < found.size(); ++i) {
      out[i] = blockRectToPixels(found[i], blocksX, blocksY, descA.width, descA.height);
    }
    if (rects != nullptr) {
      *rects = out;
    } else {
      platform::gdiFreeForHost(out);
    }
    return static_cast<int16_t>(found.size());
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

}  // namespace nypr
