// The image exports as the host calls them: through the shared module, with the host's
// INI file from the stand-in host library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "nyhost/nyhost_control.h"
#include "nyprkt3600r/nyprkt3600r.h"
#include "test_bitmap.h"

namespace {

using nypr::testing::TestBitmap;

class ImageExports : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("nypr_image_abi_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    ini_ = (dir_ / "host.ini").string();
    nyhostSetIniPath(ini_.c_str());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void writeTuning(const std::string& value) {
    std::ofstream(ini_) << "[Other]\nKT5_SW_TUNE=0\n[maintenance]\nkt5_sw_tune = " << value << "\n";
  }

  // A 1-byte-wide bitmap whose first column is printed in every row.
  static std::vector<uint8_t> solidColumn(int rows) { return std::vector<uint8_t>(rows, 0x7F); }
  static int droppedDots(const std::vector<uint8_t>& bits) {
    int n = 0;
    for (uint8_t b : bits) n += (b & 0x80) != 0 ? 1 : 0;
    return n;
  }

  std::filesystem::path dir_;
  std::string ini_;
};

TEST_F(ImageExports, HeadProtectionTunedByTheIniValue) {
  std::vector<uint8_t> bits = solidColumn(90);
  PrintHeadProtectFnV(bits.data(), 0, 0, 90, 1);  // no INI file: threshold 2
  EXPECT_GE(droppedDots(bits), 29);
  EXPECT_LE(droppedDots(bits), 30);

  writeTuning("0x1 1");  // every second dot
  bits = solidColumn(90);
  PrintHeadProtectFnV(bits.data(), 0, 0, 90, 1);
  EXPECT_GE(droppedDots(bits), 44);
  EXPECT_LE(droppedDots(bits), 45);

  for (const char* off : {"0", "1 0", "1 -2", "00 5"}) {
    writeTuning(off);
    bits = solidColumn(90);
    PrintHeadProtectFnV(bits.data(), 7, 9, 90, 1);
    EXPECT_EQ(droppedDots(bits), 0) << off;
  }

  writeTuning("junk");  // unreadable: defaults
  bits = solidColumn(90);
  PrintHeadProtectFnV(bits.data(), 0, 0, 90, 1);
  EXPECT_GE(droppedDots(bits), 29);

  PrintHeadProtectFnV(nullptr, 0, 0, 90, 1);  // refused, no crash
}

TEST_F(ImageExports, HeadProtectionLeavesTheHostsRandomSequence) {
  std::srand(42);
  const int first = std::rand();
  const int second = std::rand();
  std::srand(42);
  EXPECT_EQ(std::rand(), first);
  std::vector<uint8_t> bits = solidColumn(90);
  PrintHeadProtectFnV(bits.data(), 0, 0, 90, 1);
  EXPECT_GT(droppedDots(bits), 0);
  EXPECT_EQ(std::rand(), second);
}

TEST_F(ImageExports, CompareHandsOverAnArrayTheHostFrees) {
  TestBitmap a(100, 100, 1);
  TestBitmap b(a);
  b.flip(60, 20);
  DiffRectST* rects = nullptr;
  ASSERT_EQ(CompareBitmapFnSW(a.handle(), b.handle(), &rects), 1);
  ASSERT_NE(rects, nullptr);
  EXPECT_EQ(rects[0].x, 48);
  EXPECT_EQ(rects[0].y, 16);
  EXPECT_EQ(rects[0].cx, 16);
  EXPECT_EQ(rects[0].cy, 16);
  std::free(rects);
  EXPECT_EQ(CompareBitmapFnSW(a.handle(), b.handle(), nullptr), 1);  // count only
  EXPECT_EQ(CompareBitmapFnSW(nullptr, b.handle(), &rects), -1);
}

TEST_F(ImageExports, DibUtilitiesOnTheHostsMemory) {
  TestBitmap bm(10, 3, 8);
  NyHglobal dib = BitmapToDIB(bm.handle(), nullptr);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(DIBNumColors(dib), 256);
  EXPECT_EQ(PaletteSize(dib), 1024);
  EXPECT_EQ(FindDIBBits(dib), static_cast<uint8_t*>(dib) + 40 + 1024);
  std::free(dib);

  uint8_t header[40];
  InitBitmapInfoHeader(header, 1, 1, 1);
  uint32_t imageSize;
  std::memcpy(&imageSize, header + 20, 4);
  EXPECT_EQ(imageSize, 4u);

  EXPECT_EQ(BitmapToDIB(nullptr, nullptr), nullptr);
  EXPECT_EQ(DIBNumColors(nullptr), 0);
  EXPECT_EQ(PaletteSize(nullptr), 0);
  EXPECT_EQ(FindDIBBits(nullptr), nullptr);
  InitBitmapInfoHeader(nullptr, 1, 1, 1);
}

TEST_F(ImageExports, ContrastLimitRefusesUnknownPrinters) {
  EXPECT_EQ(NyPrGetMaxContrast2FnUB(8, 150, 0), 0);
  EXPECT_LE(NyPrGetMaxContrast2FnUB(0, 150, 0), 99);
}

}  // namespace
