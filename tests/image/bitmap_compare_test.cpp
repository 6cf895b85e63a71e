// Difference rectangles between two label bitmaps.
#include "image/bitmap_compare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "test_bitmap.h"

bool operator==(const DiffRectST& a, const DiffRectST& b) {
  return a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy;
}

namespace nypr {
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
  EXPECT_EQ(out != nullptr, r.count > 0);
  if (r.count > 0 && out != nullptr) r.rects.assign(out, out + r.count);
  testing::releaseHostBlock(out);
  return r;
}

template <typename Rect>
bool covered(const std::vector<Rect>& rects, int x, int y) {
  for (const Rect& r : rects) {
    if (x >= r.x && x < r.x + r.cx && y >= r.y && y < r.y + r.cy) return true;
  }
  return false;
}

TEST(CompareBitmap, WorkedRectangles) {
  struct Case {
    int w, h, bpp, x, y;
    DiffRectST expected;
  };
  // One pixel of a 100 x 100 label gives whole blocks; edge blocks end at the
  // image; a lone block column grows down to the bottom (a quarter marked is
  // dense enough); 8-bit blocks compare eight bytes.
  const Case cases[] = {
      {100, 100, 1, 60, 20, {48, 16, 16, 16}}, {100, 100, 1, 20, 20, {0, 16, 32, 16}},
      {100, 100, 1, 0, 0, {0, 0, 16, 16}},     {100, 100, 1, 99, 99, {88, 96, 12, 4}},
      {45, 37, 1, 44, 10, {32, 8, 13, 29}},    {45, 37, 1, 10, 36, {0, 32, 45, 5}},
      {20, 16, 8, 19, 15, {8, 8, 12, 8}},
  };
  for (const Case& c : cases) {
    TestBitmap a(c.w, c.h, c.bpp);
    TestBitmap b(a);
    if (c.bpp == 1) {
      b.flip(c.x, c.y);
    } else {
      b.set(c.x, c.y, 7);
    }
    const Result r = compare(a, b);
    ASSERT_EQ(r.count, 1) << c.x << "," << c.y;
    EXPECT_EQ(r.rects[0], c.expected) << c.x << "," << c.y;
  }
}

TEST(CompareBitmap, EqualOrOnlyPaddingDifferentFindsNothing) {
  TestBitmap a(64, 64, 8);
  TestBitmap b(a);
  DiffRectST sentinel{};
  DiffRectST* out = &sentinel;
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), b.handle(), &out), 0);
  EXPECT_EQ(out, &sentinel);  // the output is left alone
  // Same pixels, different bytes in the caller's row padding and past the last
  // pixel.
  TestBitmap c(12, 9, 1, 3);
  TestBitmap d(c);
  for (int y = 0; y < 9; ++y) {
    d.row(y)[1] = static_cast<uint8_t>(d.row(y)[1] ^ 0x0F);  // bits 12..15: no pixels
    d.row(y)[3] = 0x5A;
  }
  EXPECT_EQ(compare(c, d).count, 0);
}

TEST(CompareBitmap, AllDifferentIsOneRectangleAndMoreThan10000BlocksGivesUp) {
  TestBitmap a(100, 100, 1);
  TestBitmap b(100, 100, 1);
  for (int y = 0; y < 100; ++y) std::fill(b.row(y), b.row(y) + b.raw().stride, 0x00);
  const Result all = compare(a, b);
  ASSERT_EQ(all.count, 1);
  EXPECT_EQ(all.rects[0], (DiffRectST{0, 0, 100, 100}));

  // A grid of differing blocks spread over a bitmap of 101 x 101 blocks.
  auto scattered = [](int blocks) {
    TestBitmap c(808, 808, 1);
    TestBitmap d(c);
    for (int i = 0; i < blocks; ++i) d.flip((i % 101) * 8, (i / 101) * 8);
    return compare(c, d);
  };
  // That the rectangles cover every difference: the random labels below.
  EXPECT_EQ(scattered(10001).count, -1);
  EXPECT_GT(scattered(10000).count, 0);
}

TEST(CompareBitmap, DifferentGeometryOrNoBitmapFails) {
  TestBitmap a(32, 32, 1);
  TestBitmap others[] = {{32, 33, 1}, {33, 32, 1}, {32, 32, 8}, {32, 32, 1}};
  others[3].raw().stride = 1;  // no bitmap
  DiffRectST* out = nullptr;
  for (TestBitmap& other : others) {
    EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), other.handle(), &out), -1);
  }
  EXPECT_EQ(nypr::CompareBitmapFnSW(a.handle(), nullptr, &out), -1);
  EXPECT_EQ(out, nullptr);
}

TEST(CompareBitmap, EveryDifferenceIsCoveredOnRandomLabels) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const int w = 40 + static_cast<int>(rng() % 200);
    const int h = 40 + static_cast<int>(rng() % 200);
    TestBitmap a(w, h, 1);
    TestBitmap b(a);
    // From a few scattered dots to dense areas, so that rectangles grow every
    // way.
    for (int i = 1 + static_cast<int>(rng() % (round % 2 == 0 ? 60 : w * h / 20)); i > 0; --i) {
      b.flip(static_cast<int>(rng() % w), static_cast<int>(rng() % h));
    }
    const Result r = compare(a, b);
    for (const DiffRectST& rect : r.rects) {
      EXPECT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.x + rect.cx <= w && rect.y + rect.cy <= h)
          << "round " << round;
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (((a.row(y)[x / 8] ^ b.row(y)[x / 8]) & (0x80 >> (x % 8))) == 0) continue;
        EXPECT_TRUE(covered(r.rects, x, y)) << "round " << round << " pixel " << x << "," << y;
      }
    }
  }
}

// ---- The steps on the block grid
// ---------------------------------------------------------

std::vector<uint8_t> gridOf(int32_t bx, int32_t by,
                            std::initializer_list<std::pair<int, int>> marked) {
  std::vector<uint8_t> grid(static_cast<size_t>(bx) * by, 0);
  for (const auto& [x, y] : marked) grid[static_cast<size_t>(x) + static_cast<size_t>(y) * bx] = 1;
  return grid;
}

TEST(BlockRects, GrowthKeepsAFifthMarkedAndNeverSlidesOntoTheFirstColumn) {
  // One marked block in a row of six: 1/5 is kept, 1/6 is not.
  auto rects = growBlockRects(gridOf(6, 1, {{0, 0}}), 6, 1);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (BlockRect{0, 0, 5, 1}));
  rects = growBlockRects(gridOf(10, 10, {{1, 5}}), 10, 10);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0], (BlockRect{1, 5, 2, 2}));
  // A rectangle that can no longer grow still slides left, step after step,
  // while dense.
  EXPECT_EQ(growBlockRects(gridOf(9, 1, {{2, 0}, {7, 0}}), 9, 1),
            (std::vector<BlockRect>{{1, 0, 5, 1}, {1, 0, 8, 1}}));
}

TEST(BlockRects, MergeJoinsNeighboursOnceAndMovesTheLastIntoTheGap) {
  std::vector<BlockRect> rects = {{0, 0, 2, 2}, {2, 0, 2, 2}, {10, 10, 1, 1}, {1, 2, 2, 2}};
  mergeBlockRects(rects);
  // A absorbs the last one first (moving nothing), then its right neighbour.
  EXPECT_EQ(rects, (std::vector<BlockRect>{{0, 0, 4, 4}, {10, 10, 1, 1}}));
  // B = {3,0} is within reach of A; the last rectangle takes its place, then
  // the pass continues below it, so the moved rectangle is not looked at again
  // for this A.
  rects = {{0, 0, 3, 1}, {20, 20, 1, 1}, {3, 0, 1, 1}, {40, 40, 1, 1}};
  mergeBlockRects(rects);
  EXPECT_EQ(rects, (std::vector<BlockRect>{{0, 0, 4, 1}, {20, 20, 1, 1}, {40, 40, 1, 1}}));
}

TEST(BlockRects, PixelsStartOnSixteenPixelBoundaries) {
  struct Case {
    BlockRect block;
    int32_t bx, by, w, h;
    DiffRectST expected;
  };
  // 200 x 100 pixels: 25 x 13 blocks. At 125 pixels the 16-pixel span next to
  // the last block column stops at the edge.
  const Case cases[] = {
      {{3, 2, 2, 1}, 25, 13, 200, 100, {16, 16, 32, 8}},
      {{4, 2, 2, 1}, 25, 13, 200, 100, {32, 16, 16, 8}},
      {{4, 2, 3, 1}, 25, 13, 200, 100, {32, 16, 32, 8}},
      {{22, 12, 3, 1}, 25, 13, 200, 100, {168, 96, 32, 4}},
      {{23, 0, 2, 13}, 25, 13, 200, 100, {168, 0, 32, 100}},
      {{14, 0, 1, 1}, 16, 13, 125, 100, {112, 0, 13, 8}},
      {{13, 0, 2, 1}, 16, 13, 125, 100, {96, 0, 29, 8}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(blockRectToPixels(c.block, c.bx, c.by, c.w, c.h), c.expected) << c.block.x;
  }
}

}  // namespace
}  // namespace nypr
