// Packed DIB helpers, conversion of every bitmap depth into a DIB (checked with a real
// BMP decoder), the monochrome copy of a label and the BMP writer.
#include "image/dib.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "image/bmp_file.h"
#include "image/monochrome_copy.h"
#include "platform/gdi.h"
#include "test_bitmap.h"

namespace nypr {
namespace {

using platform::DibInfoHeader;
using testing::TestBitmap;

DibInfoHeader initHeader(uint32_t width, uint32_t height, int32_t bpp) {
  DibInfoHeader h;
  std::memset(&h, 0xAB, sizeof h);
  nypr::InitBitmapInfoHeader(&h, width, height, bpp);
  return h;
}

TEST(InitBitmapInfoHeader, ClearsAndFillsTheHeader) {
  const DibInfoHeader h = initHeader(1, 1, 1);
  EXPECT_EQ(h.size, 40u);
  EXPECT_EQ(h.width, 1);
  EXPECT_EQ(h.height, 1);
  EXPECT_EQ(h.planes, 1);
  EXPECT_EQ(h.bitCount, 1);
  EXPECT_EQ(h.imageSize, 4u);  // one pixel still takes a 4-byte row
  EXPECT_EQ(h.compression, 0u);
  EXPECT_EQ(h.xPelsPerMeter, 0);
  EXPECT_EQ(h.yPelsPerMeter, 0);
  EXPECT_EQ(h.colorsUsed, 0u);
  EXPECT_EQ(h.colorsImportant, 0u);
}

TEST(InitBitmapInfoHeader, RoundsTheDepthUpToADibDepth) {
  const std::pair<int32_t, int> cases[] = {{-3, 1}, {0, 1}, {1, 1},  {2, 4},   {4, 4},
                                           {5, 8},  {8, 8}, {9, 24}, {16, 24}, {32, 24}};
  for (const auto& [requested, expected] : cases) {
    EXPECT_EQ(initHeader(10, 1, requested).bitCount, expected) << requested;
  }
  EXPECT_EQ(initHeader(100, 3, 24).imageSize, 900u);  // 300-byte rows
  EXPECT_EQ(initHeader(33, 2, 1).imageSize, 16u);     // 33 bits need 8 bytes
}

TEST(DibSizes, ColourCountsAndTableSizes) {
  DibInfoHeader h = initHeader(8, 8, 8);
  EXPECT_EQ(nypr::DIBNumColors(&h), 256);
  EXPECT_EQ(nypr::PaletteSize(&h), 1024);
  h = initHeader(8, 8, 24);
  EXPECT_EQ(nypr::DIBNumColors(&h), 0);
  EXPECT_EQ(nypr::PaletteSize(&h), 0);
  h.compression = 3;  // bit-field masks in place of the colour table
  EXPECT_EQ(nypr::DIBNumColors(&h), 3);
  EXPECT_EQ(nypr::PaletteSize(&h), 12);
  h.colorsUsed = 300;
  EXPECT_EQ(nypr::DIBNumColors(&h), 300);
  EXPECT_EQ(nypr::PaletteSize(&h), 1200);
  h.colorsUsed = 0x10005;  // only the low 16 bits count
  EXPECT_EQ(nypr::DIBNumColors(&h), 5);
  h = initHeader(8, 8, 4);
  EXPECT_EQ(nypr::DIBNumColors(&h), 16);
  h = initHeader(8, 8, 1);
  EXPECT_EQ(nypr::DIBNumColors(&h), 2);
}

TEST(DibSizes, CoreHeaderUsesThreeByteEntries) {
  uint8_t core[12 + 768 + 16] = {};
  core[0] = 12;   // header size
  core[4] = 4;    // width
  core[6] = 4;    // height
  core[8] = 1;    // planes
  core[10] = 8;   // bit count
  core[32] = 99;  // would be "colours used" of an info header: ignored here
  EXPECT_EQ(nypr::DIBNumColors(core), 256);
  EXPECT_EQ(nypr::PaletteSize(core), 768);
  EXPECT_EQ(nypr::FindDIBBits(core), core + 12 + 768);
  core[10] = 24;
  EXPECT_EQ(nypr::DIBNumColors(core), 0);
  // Any header size other than 40 is read as a core header.
  core[0] = 108;
  core[10] = 4;
  EXPECT_EQ(nypr::DIBNumColors(core), 16);
}

TEST(DibSizes, FindDIBBitsSkipsHeaderAndTable) {
  uint8_t dib[40 + 8 + 4] = {};
  nypr::InitBitmapInfoHeader(dib, 1, 1, 1);
  EXPECT_EQ(nypr::FindDIBBits(dib), dib + 48);
  EXPECT_EQ(packedDibSize(dib), sizeof dib);
}

// ---- BitmapToDIB and the BMP file, read back with stb_image -----------------------------

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")";
}

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("nypr_image_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;
  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Decoded decodeBmp(const std::string& path) {
  Decoded d;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &d.width, &d.height, &channels, 3);
  if (data == nullptr) {
    ADD_FAILURE() << "stb_image cannot read " << path << ": " << stbi_failure_reason();
    return d;
  }
  d.pixels.resize(static_cast<size_t>(d.width) * d.height);
  std::memcpy(d.pixels.data(), data, d.pixels.size() * 3);
  stbi_image_free(data);
  return d;
}

// The DIB header of BitmapToDIB for the bitmap, and the file decoded.
struct Converted {
  DibInfoHeader header{};
  Decoded image;
};

Converted convert(TestBitmap& bm, const TempDir& dir) {
  Converted c;
  NyHglobal block = nypr::BitmapToDIB(bm.handle(), nullptr);
  if (block == nullptr) {
    ADD_FAILURE() << "BitmapToDIB failed";
    return c;
  }
  std::memcpy(&c.header, block, sizeof c.header);
  std::free(block);
  const std::string path = dir.file("label.bmp");
  EXPECT_TRUE(saveBitmapAsBmp(bm.handle(), path));
  c.image = decodeBmp(path);
  return c;
}

// Width 13 and an odd extra stride make every row padding case show.
constexpr int32_t kW = 13;
constexpr int32_t kH = 7;

template <typename Colour>
void expectPixels(const Converted& c, Colour expected) {
  ASSERT_EQ(c.image.width, kW);
  ASSERT_EQ(c.image.height, kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(c.image.at(x, y), expected(x, y)) << "pixel " << x << "," << y;
    }
  }
}

TEST(BitmapToDib, OneBitWithoutPaletteIsBlackAndWhite) {
  TempDir dir;
  TestBitmap bm(kW, kH, 1, 1);
  auto black = [](int x, int y) { return (x + 2 * y) % 3 == 0; };
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) bm.set(x, y, black(x, y) ? 0 : 1);
  const Converted c = convert(bm, dir);
  EXPECT_EQ(c.header.bitCount, 1);
  EXPECT_EQ(c.header.height, kH);  // positive: bottom-up rows
  expectPixels(c, [&](int x, int y) { return black(x, y) ? Rgb{0, 0, 0} : Rgb{255, 255, 255}; });
}

TEST(BitmapToDib, OneBitKeepsItsPalette) {
  TempDir dir;
  TestBitmap bm(kW, kH, 1);
  bm.setPalette({0x00FF0000, 0x000000FF});       // red, blue
  for (int x = 0; x < kW; ++x) bm.set(x, 0, 0);  // top row index 0
  const Converted c = convert(bm, dir);
  expectPixels(c, [](int, int y) { return y == 0 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; });
}

TEST(BitmapToDib, FourBitIndexesItsPalette) {
  TempDir dir;
  TestBitmap bm(kW, kH, 4, 3);
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < 16; ++i) palette.push_back((i * 16u) << 16 | (255u - i * 10u) << 8 | i);
  bm.setPalette(palette);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) bm.set(x, y, static_cast<uint32_t>(x + y) % 16);
  const Converted c = convert(bm, dir);
  EXPECT_EQ(c.header.bitCount, 4);
  expectPixels(c, [](int x, int y) {
    const auto i = static_cast<uint32_t>(x + y) % 16;
    return Rgb{static_cast<uint8_t>(i * 16), static_cast<uint8_t>(255 - i * 10),
               static_cast<uint8_t>(i)};
  });
}

TEST(BitmapToDib, EightBitWithoutPaletteIsGrey) {
  TempDir dir;
  TestBitmap bm(kW, kH, 8, 1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) bm.set(x, y, static_cast<uint32_t>(x * 19 + y * 3));
  const Converted c = convert(bm, dir);
  EXPECT_EQ(c.header.bitCount, 8);
  expectPixels(c, [](int x, int y) {
    const auto v = static_cast<uint8_t>(x * 19 + y * 3);
    return Rgb{v, v, v};
  });
}

TEST(BitmapToDib, SixteenBitBecomesTwentyFour) {
  TempDir dir;
  TestBitmap bm(kW, kH, 16);
  auto expand = [](uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); };
  auto r5 = [](int x, int) { return static_cast<uint32_t>(x * 2 % 32); };
  auto g5 = [](int, int y) { return static_cast<uint32_t>(31 - y * 4); };
  auto b5 = [](int x, int y) { return static_cast<uint32_t>((x + y) % 32); };
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) bm.set(x, y, r5(x, y) << 10 | g5(x, y) << 5 | b5(x, y));
  const Converted c = convert(bm, dir);
  EXPECT_EQ(c.header.bitCount, 24);
  expectPixels(c, [&](int x, int y) {
    return Rgb{expand(r5(x, y)), expand(g5(x, y)), expand(b5(x, y))};
  });
}

TEST(BitmapToDib, TwentyFourAndThirtyTwoBitKeepTheirColours) {
  for (int32_t bpp : {24, 32}) {
    TempDir dir;
    TestBitmap bm(kW, kH, bpp, 2);
    auto colour = [](int x, int y) {
      return Rgb{static_cast<uint8_t>(x * 20), static_cast<uint8_t>(y * 30),
                 static_cast<uint8_t>(200 - x - y)};
    };
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const Rgb c = colour(x, y);
        bm.set(x, y, uint32_t{c.b} | uint32_t{c.g} << 8 | uint32_t{c.r} << 16 | 0xEEu << 24);
      }
    }
    const Converted c = convert(bm, dir);
    EXPECT_EQ(c.header.bitCount, 24) << bpp;
    expectPixels(c, colour);
  }
}

TEST(BitmapToDib, RefusesWhatIsNotABitmap) {
  EXPECT_EQ(nypr::BitmapToDIB(nullptr, nullptr), nullptr);
  TestBitmap zeroWidth(1, 1, 1);
  zeroWidth.raw().width = 0;
  EXPECT_EQ(nypr::BitmapToDIB(zeroWidth.handle(), nullptr), nullptr);
  TestBitmap oddDepth(8, 1, 8);
  oddDepth.raw().bitsPerPixel = 2;
  EXPECT_EQ(nypr::BitmapToDIB(oddDepth.handle(), nullptr), nullptr);
  TestBitmap shortRows(16, 2, 8);
  shortRows.raw().stride = 15;
  EXPECT_EQ(nypr::BitmapToDIB(shortRows.handle(), nullptr), nullptr);
  TestBitmap noBits(8, 8, 1);
  noBits.raw().bits = nullptr;
  EXPECT_EQ(nypr::BitmapToDIB(noBits.handle(), nullptr), nullptr);
  TestBitmap huge(1, 1, 32);
  huge.raw().width = 0x7FFFFFFF;  // rows that no 32-bit image size can hold
  huge.raw().stride = 0x7FFFFFFF;
  EXPECT_EQ(nypr::BitmapToDIB(huge.handle(), nullptr), nullptr);
}

TEST(BmpFile, FileHeaderPointsAtThePixels) {
  TempDir dir;
  TestBitmap bm(kW, kH, 8);
  const std::string path = dir.file("grey.bmp");
  ASSERT_TRUE(saveBitmapAsBmp(bm.handle(), path));
  const auto size = std::filesystem::file_size(path);
  EXPECT_EQ(size, 14u + 40u + 1024u + 16u * kH);
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t head[14];
  ASSERT_EQ(std::fread(head, 1, 14, f), 14u);
  std::fclose(f);
  EXPECT_EQ(head[0], 'B');
  EXPECT_EQ(head[1], 'M');
  EXPECT_EQ(head[2] | head[3] << 8 | head[4] << 16, static_cast<int>(size));
  EXPECT_EQ(head[6] | head[7] | head[8] | head[9], 0);
  EXPECT_EQ(head[10] | head[11] << 8, 14 + 40 + 1024);
}

TEST(BmpFile, FailureLeavesNoFile) {
  TempDir dir;
  TestBitmap bm(8, 8, 1);
  const std::string missingDir = dir.file("no/such/dir/x.bmp");
  EXPECT_FALSE(saveBitmapAsBmp(bm.handle(), missingDir));
  const std::string path = dir.file("null.bmp");
  EXPECT_FALSE(saveBitmapAsBmp(nullptr, path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

// ---- Monochrome copy ----------------------------------------------------------------------

bool copyIsWhite(NyHbitmap copy, int x, int y) {
  return (copy->bits[static_cast<size_t>(y) * copy->stride + x / 8] >> (7 - x % 8)) & 1;
}

TEST(MonochromeCopy, ColoursBecomeTheNearerOfBlackAndWhite) {
  TestBitmap bm(4, 2, 24);
  // Sums 382 and below are nearer black, 383 and above nearer white.
  const uint32_t colours[4] = {0x7F7F80, 0x7F8080, 0xFF0000, 0xFFFF00};
  for (int x = 0; x < 4; ++x) {
    bm.set(x, 0, colours[x]);
    bm.set(x, 1, 0xFFFFFF - colours[x]);
  }
  NyHbitmap copy = makeMonochromeCopy(bm.handle());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->width, 4);
  EXPECT_EQ(copy->height, 2);
  EXPECT_EQ(copy->bitsPerPixel, 1);
  EXPECT_EQ(copy->stride, 2);
  const bool top[4] = {false, true, false, true};
  const bool bottom[4] = {true, false, true, false};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(copyIsWhite(copy, x, 0), top[x]) << x;
    EXPECT_EQ(copyIsWhite(copy, x, 1), bottom[x]) << x;
  }
  EXPECT_EQ(copy->bits[0] & 0x0F, 0);  // past the label's width: nothing drawn
  deleteMonochromeCopy(copy);
}

TEST(MonochromeCopy, OneBitRowsFollowThePalette) {
  TestBitmap plain(21, 3, 1, 1);
  for (int x = 0; x < 21; x += 2) plain.set(x, 1, 0);
  TestBitmap inverted(plain);
  inverted.setPalette({0xFFFFFF, 0x000000});
  NyHbitmap a = makeMonochromeCopy(plain.handle());
  NyHbitmap b = makeMonochromeCopy(inverted.handle());
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 21; ++x) {
      const bool white = !(y == 1 && x % 2 == 0);
      EXPECT_EQ(copyIsWhite(a, x, y), white) << x << "," << y;
      EXPECT_EQ(copyIsWhite(b, x, y), !white) << x << "," << y;
    }
  }
  deleteMonochromeCopy(a);
  deleteMonochromeCopy(b);
}

TEST(MonochromeCopy, GreyLevelsSplitAtTheMiddle) {
  TestBitmap bm(2, 1, 8);
  bm.set(0, 0, 127);
  bm.set(1, 0, 128);
  NyHbitmap copy = makeMonochromeCopy(bm.handle());
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(copyIsWhite(copy, 0, 0));
  EXPECT_TRUE(copyIsWhite(copy, 1, 0));
  deleteMonochromeCopy(copy);
  EXPECT_EQ(makeMonochromeCopy(nullptr), nullptr);
}

// ---- Drawing a DIB: the parts of a DIB the driver does not make itself -------------------

std::vector<uint8_t> coreDib24(int w, int h) {
  std::vector<uint8_t> dib(12 + static_cast<size_t>((w * 24 + 31) / 32 * 4) * h, 0);
  dib[0] = 12;
  dib[4] = static_cast<uint8_t>(w);
  dib[6] = static_cast<uint8_t>(h);
  dib[8] = 1;
  dib[10] = 24;
  return dib;
}

TEST(DrawDib, ReadsCoreHeadersTopDownRowsAndBitFields) {
  NyHbitmap target = platform::gdiCreateMonochromeBitmap(2, 2);
  ASSERT_NE(target, nullptr);
  // Core header, bottom-up: the white pixel stored first is the bottom-left one.
  std::vector<uint8_t> core = coreDib24(2, 2);
  std::memset(core.data() + 12, 0xFF, 3);
  ASSERT_TRUE(platform::gdiDrawDib(target, core.data(), core.size()));
  EXPECT_EQ(target->bits[0], 0x00);
  EXPECT_EQ(target->bits[2], 0x80);

  // Info header, top-down, 16-bit 5-6-5 bit fields: white stored first is top-left.
  std::vector<uint8_t> dib(40 + 12 + 4 * 2, 0);
  nypr::InitBitmapInfoHeader(dib.data(), 2, 2, 16);
  const int32_t minusTwo = -2;
  std::memcpy(dib.data() + 8, &minusTwo, 4);
  dib[14] = 16;
  dib[16] = 3;
  const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(dib.data() + 40, masks, 12);
  dib[52] = 0xFF;
  dib[53] = 0xFF;
  dib[54] = 0x1F;  // blue only: black
  ASSERT_TRUE(platform::gdiDrawDib(target, dib.data(), dib.size()));
  EXPECT_EQ(target->bits[0], 0x80);
  EXPECT_EQ(target->bits[2], 0x00);
  platform::gdiDeleteBitmap(target);
}

TEST(DrawDib, RefusesMalformedDibsAndLeavesTheTarget) {
  NyHbitmap target = platform::gdiCreateMonochromeBitmap(8, 2);
  ASSERT_NE(target, nullptr);
  std::vector<uint8_t> dib(40 + 8 + 8, 0xFF);
  nypr::InitBitmapInfoHeader(dib.data(), 8, 2, 1);
  EXPECT_FALSE(platform::gdiDrawDib(target, dib.data(), dib.size() - 1));  // rows cut short
  std::vector<uint8_t> rle = dib;
  rle[16] = 1;  // run-length encoded
  EXPECT_FALSE(platform::gdiDrawDib(target, rle.data(), rle.size()));
  std::vector<uint8_t> odd = dib;
  odd[0] = 64;  // neither an info nor a core header
  EXPECT_FALSE(platform::gdiDrawDib(target, odd.data(), odd.size()));
  std::vector<uint8_t> manyColours = dib;
  manyColours[32] = 200;  // a colour table longer than the block
  EXPECT_FALSE(platform::gdiDrawDib(target, manyColours.data(), manyColours.size()));
  EXPECT_EQ(target->bits[0], 0);
  EXPECT_EQ(target->bits[2], 0);
  EXPECT_TRUE(platform::gdiDrawDib(target, dib.data(), dib.size()));
  EXPECT_EQ(target->bits[0], 0xFF);
  platform::gdiDeleteBitmap(target);
}

}  // namespace
}  // namespace nypr
