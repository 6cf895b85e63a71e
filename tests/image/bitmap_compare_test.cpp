// Difference rectangles between two label bitmaps.
#include "image/bitmap_compare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "test_bitmap.h"

bool operator==(const DiffRectST& a, const DiffRectST& b) {
  return a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy;
}
std::ostream& operator<<(std::ostream& os, const DiffRectST& r) {
  return os << "{" << r.x << "," << r.y << "," << r.cx << "," << r.cy << "}";
}

namespace nypr {

std::ostream& operator<<(std::ostream& os, const BlockRect& r) {
  return os << "{" << r.x << "," << r.y << "," << r.cx << "," << r.cy << "}";
}

namespace {

using testing::TestBitmap;

struct Result {
  int16_t count = 0;
  std::vector<DiffRectST> rects;
};

Result compare(TestBitmap& a, TestBitmap& b) {
  Result r;
  DiffRectST* out = nullptr;
  r.count = nypr::CompareBitmapFnSW(a.handle(), b.handle(), &out);
  if (r.count > 0) {
    EXPECT_NE(out, nullptr);
    r.rects.assign(out, out + r.count);
    std::free(out);
  } else {
    EXPECT_EQ(out, nullptr);
  }
  return r;
}

DiffRectST onePixel(int x, int y) {
  TestBitmap a(100, 100, 1);
  TestBitmap b(a);
  b.flip(x, y);
  const Result r = compare(a, b);
  EXPECT_EQ(r.count, 1) << x << "," << y;
  return r.rects.empty() ? DiffRectST{} : r.rects[0];
}

TEST(CompareBitmap, OnePixelGivesOneRectangleOfWholeBlocks) {
  EXPECT_EQ(onePixel(60, 20), (DiffRectST{48, 16, 16, 16}));
  EXPECT_EQ(onePixel(20, 20), (DiffRectST{0, 16, 32, 16}));
  EXPECT_EQ(onePixel(0, 0), (DiffRectST{0, 0, 16, 16}));
  EXPECT_EQ(onePixel(99, 99), (DiffRectST{88, 96, 12, 4}));
}

TEST(CompareBitmap, EverythingDifferentIsOneRectangle) {
  TestBitmap a(100, 100, 1);
  TestBitmap b(100, 100, 1);
  for (int y = 0; y < 100; ++y) std::fill(b.row(y), b.row(y) + b.raw().stride, 0x00);
  const Result r = compare(a, b);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.rects[0], (DiffRectST{0, 0, 100, 100}));
}

TEST(CompareBitmap, RectanglesAtTheEdgesEndAtTheImage) {
  // 45 x 37: the last block column is 5 pixels wide, the last block row 5 rows high.
  TestBitmap a(45, 37, 1);
  TestBitmap b(a);
  b.flip(44, 10);
  Result r = compare(a, b);
  ASSERT_EQ(r.count, 1);
  // A lone block column grows down to the bottom (a quarter marked is dense enough).
  EXPECT_EQ(r.rects[0], (DiffRectST{32, 8, 13, 29}));

  TestBitmap c(a);
  c.flip(10, 36);
  r = compare(a, c);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.rects[0].y + r.rects[0].cy, 37);
  EXPECT_EQ(r.rects[0].x % 16, 0);
}

TEST(CompareBitmap, EqualBitmapsLeaveTheOutputAlone) {
  TestBitmap a(64, 64, 8);
  TestBitmap b(a);
  DiffRectST sentinel{};
  DiffRectST* out = &sentinel;
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), b.handle(), &out), 0);
  EXPECT_EQ(out, &sentinel);
}

TEST(CompareBitmap, RowPaddingIsNotPicture) {
  // Same pixels, different bytes in the caller's row padding and past the last pixel.
  TestBitmap a(12, 9, 1, 3);
  TestBitmap b(a);
  for (int y = 0; y < 9; ++y) {
    b.row(y)[1] = static_cast<uint8_t>(b.row(y)[1] ^ 0x0F);  // bits 12..15: no pixels
    b.row(y)[3] = 0x5A;
  }
  EXPECT_EQ(compare(a, b).count, 0);
}

TEST(CompareBitmap, DifferentGeometryOrNoBitmapFails) {
  TestBitmap a(32, 32, 1);
  TestBitmap taller(32, 33, 1);
  TestBitmap wider(33, 32, 1);
  TestBitmap deeper(32, 32, 8);
  DiffRectST* out = nullptr;
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), taller.handle(), &out), -1);
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), wider.handle(), &out), -1);
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), deeper.handle(), &out), -1);
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), nullptr, &out), -1);
  TestBitmap broken(32, 32, 1);
  broken.raw().stride = 1;
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), broken.handle(), &out), -1);
  EXPECT_EQ(out, nullptr);
}

// A grid of `blocks` differing blocks spread over a bitmap of 1000 x 1000 blocks' worth.
Result scatteredBlocks(int blocks) {
  TestBitmap a(808, 808, 1);  // 101 x 101 blocks
  TestBitmap b(a);
  for (int i = 0; i < blocks; ++i) b.flip((i % 101) * 8, (i / 101) * 8);
  return compare(a, b);
}

TEST(CompareBitmap, MoreThanTenThousandBlocksGivesUp) {
  EXPECT_EQ(scatteredBlocks(10001).count, -1);
  const Result atLimit = scatteredBlocks(10000);
  EXPECT_GT(atLimit.count, 0);
  // Every differing pixel lies in some rectangle.
  for (int i = 0; i < 10000; i += 37) {
    const int x = (i % 101) * 8;
    const int y = (i / 101) * 8;
    bool inside = false;
    for (const DiffRectST& r : atLimit.rects) {
      inside = inside || (x >= r.x && x < r.x + r.cx && y >= r.y && y < r.y + r.cy);
    }
    EXPECT_TRUE(inside) << x << "," << y;
  }
}

TEST(CompareBitmap, EightBitBlocksCompareEightBytes) {
  TestBitmap a(20, 16, 8);
  TestBitmap b(a);
  b.set(19, 15, 7);  // last block column (4 pixels wide), last block row
  const Result r = compare(a, b);
  ASSERT_EQ(r.count, 1);
  EXPECT_EQ(r.rects[0], (DiffRectST{8, 8, 12, 8}));
}

TEST(CompareBitmap, EveryDifferenceIsCoveredOnRandomLabels) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    const int w = 40 + static_cast<int>(rng() % 200);
    const int h = 40 + static_cast<int>(rng() % 200);
    TestBitmap a(w, h, 1);
    TestBitmap b(a);
    std::vector<std::pair<int, int>> flipped;
    const int n = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) {
      const int x = static_cast<int>(rng() % w);
      const int y = static_cast<int>(rng() % h);
      b.flip(x, y);
      flipped.emplace_back(x, y);
    }
    const Result r = compare(a, b);
    if (r.count == 0) continue;  // every pixel flipped back
    for (const DiffRectST& rect : r.rects) {
      EXPECT_GE(rect.x, 0);
      EXPECT_GE(rect.y, 0);
      EXPECT_LE(rect.x + rect.cx, w);
      EXPECT_LE(rect.y + rect.cy, h);
    }
    for (const auto& [x, y] : flipped) {
      if (((a.row(y)[x / 8] ^ b.row(y)[x / 8]) & (0x80 >> (x % 8))) == 0) continue;
      bool inside = false;
      for (const DiffRectST& rect : r.rects) {
        inside =
            inside || (x >= rect.x && x < rect.x + rect.cx && y >= rect.y && y < rect.y + rect.cy);
      }
      EXPECT_TRUE(inside) << "round " << round << " pixel " << x << "," << y;
    }
  }
}

// ---- The steps on the block grid ---------------------------------------------------------

std::vector<uint8_t> gridOf(int32_t bx, int32_t by,
                            std::initializer_list<std::pair<int, int>> marked) {
  std::vector<uint8_t> grid(static_cast<size_t>(bx) * by, 0);
  for (const auto& [x, y] : marked) grid[static_cast<size_t>(x) + static_cast<size_t>(y) * bx] = 1;
  return grid;
}

TEST(BlockRects, GrowthKeepsAFifthMarked) {
  // A 3-block horizontal stroke: grows right while dense enough, then down once.
  const auto grid = gridOf(10, 10, {{4, 4}, {5, 4}, {6, 4}});
  const auto rects = growBlockRects(grid, 10, 10);
  ASSERT_EQ(rects.size(), 1u);
  const BlockRect& r = rects[0];
  for (int x = 4; x <= 6; ++x) EXPECT_TRUE(x >= r.x && x < r.x + r.cx);
  EXPECT_GE(3.0 / (r.cx * r.cy), 0.2);
}

TEST(BlockRects, ExactlyAFifthIsDenseEnough) {
  // One marked block in a row of six: 1/5 is kept, 1/6 is not.
  const auto rects = growBlockRects(gridOf(6, 1, {{0, 0}}), 6, 1);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (BlockRect{0, 0, 5, 1}));
}

TEST(BlockRects, NeverSlidesOntoTheFirstColumn) {
  const auto rects = growBlockRects(gridOf(10, 10, {{1, 5}}), 10, 10);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (BlockRect{1, 5, 2, 2}));
}

TEST(BlockRects, EveryMarkedBlockEndsUpInsideTheGrid) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const int bx = 1 + static_cast<int>(rng() % 30);
    const int by = 1 + static_cast<int>(rng() % 30);
    std::vector<uint8_t> grid(static_cast<size_t>(bx) * by, 0);
    const unsigned density = 1 + rng() % 6;
    for (uint8_t& cell : grid) cell = rng() % density == 0 ? 1 : 0;
    const auto rects = growBlockRects(grid, bx, by);
    for (const BlockRect& r : rects) {
      EXPECT_GE(r.x, 0);
      EXPECT_GE(r.cx, 1);
      EXPECT_LE(r.x + r.cx, bx);
      EXPECT_LE(r.y + r.cy, by);
    }
    for (int y = 0; y < by; ++y) {
      for (int x = 0; x < bx; ++x) {
        if (grid[static_cast<size_t>(x) + static_cast<size_t>(y) * bx] == 0) continue;
        bool inside = false;
        for (const BlockRect& r : rects) {
          inside = inside || (x >= r.x && x < r.x + r.cx && y >= r.y && y < r.y + r.cy);
        }
        EXPECT_TRUE(inside) << "round " << round << " block " << x << "," << y;
      }
    }
  }
}

TEST(BlockRects, MergeJoinsNeighboursOnce) {
  std::vector<BlockRect> rects = {{0, 0, 2, 2}, {2, 0, 2, 2}, {10, 10, 1, 1}, {1, 2, 2, 2}};
  mergeBlockRects(rects);
  // A absorbs the last one first (moving nothing), then its right neighbour.
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0], (BlockRect{0, 0, 4, 4}));
  EXPECT_EQ(rects[1], (BlockRect{10, 10, 1, 1}));
}

TEST(BlockRects, MergeMovesTheLastIntoTheGap) {
  // B = {3,0} is within reach of A; the last rectangle takes its place, then the pass
  // continues below it, so the moved rectangle is not looked at again for this A.
  std::vector<BlockRect> rects = {{0, 0, 3, 1}, {20, 20, 1, 1}, {3, 0, 1, 1}, {40, 40, 1, 1}};
  mergeBlockRects(rects);
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_EQ(rects[0], (BlockRect{0, 0, 4, 1}));
  EXPECT_EQ(rects[1], (BlockRect{20, 20, 1, 1}));
  EXPECT_EQ(rects[2], (BlockRect{40, 40, 1, 1}));
}

TEST(BlockRects, PixelsStartOnSixteenPixelBoundaries) {
  // 200 x 100 pixels: 25 x 13 blocks.
  EXPECT_EQ(blockRectToPixels({3, 2, 2, 1}, 25, 13, 200, 100), (DiffRectST{16, 16, 32, 8}));
  EXPECT_EQ(blockRectToPixels({4, 2, 2, 1}, 25, 13, 200, 100), (DiffRectST{32, 16, 16, 8}));
  EXPECT_EQ(blockRectToPixels({4, 2, 3, 1}, 25, 13, 200, 100), (DiffRectST{32, 16, 32, 8}));
  EXPECT_EQ(blockRectToPixels({22, 12, 3, 1}, 25, 13, 200, 100), (DiffRectST{168, 96, 32, 4}));
  EXPECT_EQ(blockRectToPixels({23, 0, 2, 13}, 25, 13, 200, 100), (DiffRectST{168, 0, 32, 100}));
  // 125 pixels: the 16-pixel span next to the last block column stops at the edge.
  EXPECT_EQ(blockRectToPixels({14, 0, 1, 1}, 16, 13, 125, 100), (DiffRectST{112, 0, 13, 8}));
  EXPECT_EQ(blockRectToPixels({13, 0, 2, 1}, 16, 13, 125, 100), (DiffRectST{96, 0, 29, 8}));
}

}  // namespace
}  // namespace nypr
