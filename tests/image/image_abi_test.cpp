// The image exports as the host calls them: through the shared module, with the host's
// INI file from the stand-in host library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "profile_fixture.h"
#include "test_bitmap.h"

namespace {

using nypr::testing::TestBitmap;

class ImageExports : public nypr::testing::ProfileFixture {
 protected:
  void SetUp() override {
    ProfileFixture::SetUp();
    nyhostSetIniPath(path_.c_str());
  }

  // Dots dropped from a 1-byte-wide bitmap whose first column is printed in all 90 rows.
  static int droppedFromSolidColumn() {
    std::vector<uint8_t> bits(90, 0x7F);
    PrintHeadProtectFnV(bits.data(), 7, 9, 90, 1);
    int n = 0;
    for (uint8_t b : bits) n += (b & 0x80) != 0 ? 1 : 0;
    return n;
  }
};

TEST_F(ImageExports, HeadProtectionTunedByTheIniValue) {
  struct Case {
    const char* tuning;  // nullptr: no INI file
    int fewest, most;
  };
  const Case cases[] = {
      {nullptr, 29, 30},  // threshold 2
      {"0x1 1", 44, 45},  // every second dot
      {"0", 0, 0},        // unreadable values: HeadProtectTuning.ParsedLikeScanfIntegers
  };
  for (const Case& c : cases) {
    if (c.tuning != nullptr) {
      write(std::string("[Other]\nKT5_SW_TUNE=0\n[maintenance]\nkt5_sw_tune = ") + c.tuning + "\n");
    }
    const int dropped = droppedFromSolidColumn();
    EXPECT_TRUE(dropped >= c.fewest && dropped <= c.most)
        << (c.tuning ? c.tuning : "no INI") << ": " << dropped;
  }
  PrintHeadProtectFnV(nullptr, 0, 0, 90, 1);  // refused, no crash
}

TEST_F(ImageExports, HeadProtectionLeavesTheHostsRandomSequence) {
  std::srand(42);
  const int first = std::rand();
  const int second = std::rand();
  std::srand(42);
  EXPECT_EQ(std::rand(), first);
  EXPECT_GT(droppedFromSolidColumn(), 0);
  EXPECT_EQ(std::rand(), second);
}

TEST_F(ImageExports, CompareHandsOverAnArrayTheHostFrees) {
  TestBitmap a(100, 100, 1);
  TestBitmap b(a);
  b.flip(60, 20);
  DiffRectST* rects = nullptr;
  ASSERT_EQ(CompareBitmapFnSW(a.handle(), b.handle(), &rects), 1);
  ASSERT_NE(rects, nullptr);  // the rectangle itself: CompareBitmap.WorkedRectangles
  nypr::testing::releaseHostBlock(rects);
  EXPECT_EQ(CompareBitmapFnSW(a.handle(), b.handle(), nullptr), 1);  // count only
  EXPECT_EQ(CompareBitmapFnSW(nullptr, b.handle(), &rects), -1);
}

TEST_F(ImageExports, DibUtilitiesAndContrastLimitOnTheHostsMemory) {
  TestBitmap bm(10, 3, 8);
  NyHglobal block = BitmapToDIB(bm.handle(), nullptr);
  ASSERT_NE(block, nullptr);
  void* dib = nypr::testing::lockHostBlock(block);
  EXPECT_EQ(DIBNumColors(dib), 256);
  EXPECT_EQ(PaletteSize(dib), 1024);
  EXPECT_EQ(FindDIBBits(dib), static_cast<uint8_t*>(dib) + 40 + 1024);
  nypr::testing::unlockHostBlock(block);
  nypr::testing::releaseHostBlock(block);

  uint8_t header[40];
  InitBitmapInfoHeader(header, 1, 1, 1);
  EXPECT_EQ(header[20], 4);  // image size: one 4-byte row

  EXPECT_EQ(BitmapToDIB(nullptr, nullptr), nullptr);
  EXPECT_EQ(DIBNumColors(nullptr), 0);
  EXPECT_EQ(PaletteSize(nullptr), 0);
  EXPECT_EQ(FindDIBBits(nullptr), nullptr);
  InitBitmapInfoHeader(nullptr, 1, 1, 1);

  EXPECT_LE(NyPrGetMaxContrast2FnUB(0, 150, 0), 99);
}

}  // namespace
