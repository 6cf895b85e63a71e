// Packed DIB helpers, conversion of every bitmap depth into a DIB (checked with a real
// BMP decoder), the monochrome copy of a label and the BMP writer.
#include "image/dib.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "image/bmp_file.h"
#include "image/monochrome_copy.h"
#include "platform/gdi.h"
#include "test_bitmap.h"

namespace nypr {
namespace {

using platform::DibInfoHeader;
using testing::BitmapLayout;
using testing::TestBitmap;

DibInfoHeader initHeader(uint32_t width, uint32_t height, int32_t bpp) {
  DibInfoHeader h;
  std::memset(&h, 0xAB, sizeof h);
  nypr::InitBitmapInfoHeader(&h, width, height, bpp);
  return h;
}

TEST(InitBitmapInfoHeader, ClearsAndFillsTheHeaderWithADibDepth) {
  const DibInfoHeader h = initHeader(1, 1, 1);
  // One plane, no compression, one pixel still taking a 4-byte row, all else zero.
  const DibInfoHeader expected{40, 1, 1, 1, 1, 0, 4, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&h, &expected, sizeof h), 0);
  const std::pair<int32_t, int> depths[] = {{-3, 1}, {0, 1}, {1, 1},  {2, 4},   {4, 4},
                                            {5, 8},  {8, 8}, {9, 24}, {16, 24}, {32, 24}};
  for (const auto& [requested, expected] : depths) {
    EXPECT_EQ(initHeader(10, 1, requested).bitCount, expected) << requested;
  }
  EXPECT_EQ(initHeader(100, 3, 24).imageSize, 900u);  // 300-byte rows
  EXPECT_EQ(initHeader(33, 2, 1).imageSize, 16u);     // 33 bits need 8 bytes
}

TEST(DibSizes, ColourCountsTableSizesAndBits) {
  struct Case {
    int32_t bpp;
    uint32_t compression, colorsUsed;
    int colours, table;
  };
  const Case cases[] = {
      {8, 0, 0, 256, 1024},    {4, 0, 0, 16, 64},       {1, 0, 0, 2, 8},
      {24, 0, 0, 0, 0},        {24, 3, 0, 3, 12},        // bit-field masks in place of the table
      {24, 3, 300, 300, 1200}, {24, 3, 0x10005, 5, 20},  // only the low 16 bits count
  };
  for (const Case& c : cases) {
    DibInfoHeader h = initHeader(8, 8, c.bpp);
    h.compression = c.compression;
    h.colorsUsed = c.colorsUsed;
    EXPECT_EQ(nypr::DIBNumColors(&h), c.colours) << c.bpp << " " << c.colorsUsed;
    EXPECT_EQ(nypr::PaletteSize(&h), c.table) << c.bpp << " " << c.colorsUsed;
  }
  uint8_t dib[40 + 8 + 4] = {};
  nypr::InitBitmapInfoHeader(dib, 1, 1, 1);
  EXPECT_EQ(nypr::FindDIBBits(dib), dib + 48);
  EXPECT_EQ(packedDibSize(dib), sizeof dib);

  // A core header (any header size but 40) has three-byte entries and no "colours used".
  uint8_t core[12 + 768 + 16] = {12, 0, 0, 0, 4, 0, 4, 0, 1, 0, 8};
  core[32] = 99;  // would be "colours used" of an info header
  EXPECT_EQ(nypr::PaletteSize(core), 768);
  EXPECT_EQ(nypr::FindDIBBits(core), core + 12 + 768);
}

// ---- BitmapToDIB and the BMP file, read back with stb_image -----------------------------

using Rgb = std::array<int, 3>;

// A path in the temporary folder that no other test process uses.
std::string tempPath(const std::string& name) {
  static const std::string prefix = "nypr_image_" + std::to_string(std::random_device{}()) + "_";
  return (std::filesystem::temp_directory_path() / (prefix + name)).string();
}

TEST(BitmapToDib, EveryDepthDecodesToTheBitmapsColours) {
  // Width 13 and odd extra strides make every row padding case show. A 1-bit label
  // without a palette: the print suite's label backup, read back the same way.
  constexpr int32_t kW = 13;
  constexpr int32_t kH = 7;
  auto expand5 = [](uint32_t v) { return static_cast<int>((v << 3) | (v >> 2)); };
  std::vector<uint32_t> palette16;
  for (uint32_t i = 0; i < 16; ++i)
    palette16.push_back((i * 16u) << 16 | (255u - i * 10u) << 8 | i);
  auto true24 = [](int x, int y) { return Rgb{x * 20, y * 30, 200 - x - y}; };
  auto pack = [](Rgb c) { return uint32_t(c[2]) | uint32_t(c[1]) << 8 | uint32_t(c[0]) << 16; };
  struct Case {
    const char* name;
    int32_t bpp, extraStride, dibBits;
    std::vector<uint32_t> palette;
    std::function<uint32_t(int, int)> value;
    std::function<Rgb(int, int)> expected;
  };
  // clang-format off
  const Case cases[] = {
      {"1-bit keeps its palette", 1, 0, 1, {0x00FF0000, 0x000000FF},
       [](int, int y) { return y == 0 ? 0u : 1u; },
       [](int, int y) { return y == 0 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; }},
      {"4-bit indexes its palette", 4, 3, 4, palette16,
       [](int x, int y) { return static_cast<uint32_t>(x + y) % 16; },
       [](int x, int y) { return Rgb{(x + y) % 16 * 16, 255 - (x + y) % 16 * 10, (x + y) % 16}; }},
      {"8-bit without palette is grey", 8, 1, 8, {},
       [](int x, int y) { return static_cast<uint32_t>(x * 19 + y * 3); },
       [](int x, int y) { return Rgb{x * 19 + y * 3, x * 19 + y * 3, x * 19 + y * 3}; }},
      {"16-bit becomes 24", 16, 0, 24, {},
       [](int x, int y) { return uint32_t(x * 2 % 32) << 10 | uint32_t(31 - y * 4) << 5 | uint32_t((x + y) % 32); },
       [&](int x, int y) { return Rgb{expand5(x * 2 % 32), expand5(31 - y * 4), expand5((x + y) % 32)}; }},
      {"24-bit keeps its colours", 24, 2, 24, {}, [&](int x, int y) { return pack(true24(x, y)); }, true24},
      {"32-bit keeps its colours", 32, 2, 24, {},
       [&](int x, int y) { return pack(true24(x, y)) | 0xEEu << 24; }, true24},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBitmap bm(kW, kH, c.bpp, c.extraStride);
    if (!c.palette.empty()) bm.setPalette(c.palette);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) bm.set(x, y, c.value(x, y));
    NyHglobal block = nypr::BitmapToDIB(bm.handle(), nullptr);
    ASSERT_NE(block, nullptr);
    DibInfoHeader header;
    std::memcpy(&header, testing::lockHostBlock(block), sizeof header);
    testing::unlockHostBlock(block);
    testing::releaseHostBlock(block);
    EXPECT_EQ(header.bitCount, c.dibBits);
    EXPECT_EQ(header.height, kH);  // positive: bottom-up rows
    const std::string path = tempPath("label.bmp");
    ASSERT_TRUE(saveBitmapAsBmp(bm.handle(), path));
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 3);
    std::filesystem::remove(path);
    ASSERT_NE(data, nullptr) << stbi_failure_reason();
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    for (int i = 0; w == kW && h == kH && i < kW * kH; ++i) {
      EXPECT_EQ((Rgb{data[i * 3], data[i * 3 + 1], data[i * 3 + 2]}), c.expected(i % kW, i / kW))
          << "pixel " << i % kW << "," << i / kW;
    }
    stbi_image_free(data);
  }
}

TEST(BitmapToDib, RefusesWhatIsNotABitmap) {
  EXPECT_EQ(nypr::BitmapToDIB(nullptr, nullptr), nullptr);
  const std::pair<const char*, std::function<void(BitmapLayout&)>> broken[] = {
      {"zero width", [](BitmapLayout& b) { b.width = 0; }},
      {"2 bits a pixel", [](BitmapLayout& b) { b.bitsPerPixel = 2; }},
      {"short rows", [](BitmapLayout& b) { b.stride = 15; }},
      {"no bits", [](BitmapLayout& b) { b.bits = nullptr; }},
      // Rows that no 32-bit image size can hold.
      {"huge", [](BitmapLayout& b) { b.width = b.stride = 0x7FFFFFFF, b.bitsPerPixel = 32; }},
  };
  for (const auto& [name, breakIt] : broken) {
    TestBitmap bm(16, 2, 8);
    breakIt(bm.raw());
    EXPECT_EQ(nypr::BitmapToDIB(bm.handle(), nullptr), nullptr) << name;
  }
}

TEST(BmpFile, FileHeaderPointsAtThePixelsAndFailureLeavesNoFile) {
  TestBitmap bm(13, 7, 8);
  const std::string path = tempPath("grey.bmp");
  ASSERT_TRUE(saveBitmapAsBmp(bm.handle(), path));
  EXPECT_EQ(std::filesystem::file_size(path), 14u + 40u + 1024u + 16u * 7u);
  std::vector<uint8_t> head(14);
  std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(head.data()), 14);
  std::filesystem::remove(path);
  // "BM", the file's 1190 bytes, two reserved words, the pixels at 1078.
  EXPECT_EQ(head, (std::vector<uint8_t>{'B', 'M', 0xA6, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0}));

  EXPECT_FALSE(saveBitmapAsBmp(bm.handle(), tempPath("no/such/dir/x.bmp")));
  EXPECT_FALSE(saveBitmapAsBmp(nullptr, tempPath("null.bmp")));
  EXPECT_FALSE(std::filesystem::exists(tempPath("null.bmp")));
}

// ---- Monochrome copy ----------------------------------------------------------------------

// The copy's pixels as text, one row a line ('#' black), then the copy is deleted.
std::string copied(TestBitmap& bm) {
  NyHbitmap copy = makeMonochromeCopy(bm.handle());
  if (copy == nullptr) return "<none>";
  platform::BitmapDesc d{};
  std::vector<uint8_t> bytes;
  if (platform::gdiGetBitmapDesc(copy, &d)) {
    bytes.resize(static_cast<size_t>(d.widthBytes) * d.height);
    if (platform::gdiGetBitmapBits(copy, bytes.data(), bytes.size()) != bytes.size()) bytes.clear();
  }
  deleteMonochromeCopy(copy);
  if (bytes.empty()) return "<unreadable>";
  std::string text;
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < d.width; ++x) {
      text += (bytes[static_cast<size_t>(y) * d.widthBytes + x / 8] >> (7 - x % 8)) & 1 ? '.' : '#';
    }
    text += '\n';
  }
  EXPECT_EQ(d.bitsPixel, 1);
  EXPECT_EQ(d.widthBytes, (d.width + 15) / 16 * 2);
  if (d.width % 8 != 0) {
    EXPECT_EQ(bytes[d.width / 8] & (0xFF >> (d.width % 8)), 0);  // nothing drawn
  }
  return text;
}

TEST(MonochromeCopy, ColoursBecomeTheNearerOfBlackAndWhite) {
  TestBitmap colour(4, 2, 24);
  // Sums 382 and below are nearer black, 383 and above nearer white.
  const uint32_t colours[4] = {0x7F7F80, 0x7F8080, 0xFF0000, 0xFFFF00};
  for (int x = 0; x < 4; ++x) {
    colour.set(x, 0, colours[x]);
    colour.set(x, 1, 0xFFFFFF - colours[x]);
  }
  EXPECT_EQ(copied(colour), "#.#.\n.#.#\n");
  TestBitmap grey(2, 1, 8);  // grey levels split at the middle
  grey.set(0, 0, 127);
  grey.set(1, 0, 128);
  EXPECT_EQ(copied(grey), "#.\n");
  EXPECT_EQ(makeMonochromeCopy(nullptr), nullptr);
}

// A palette of white then black turns the bits round. Without a palette 0 is black: the
// print suite's labels (PrintLabelTest.ThePrintedLabelIsTheBitmap).
TEST(MonochromeCopy, OneBitRowsFollowThePalette) {
  TestBitmap inverted(21, 3, 1, 1);
  inverted.setPalette({0xFFFFFF, 0x000000});
  for (int x = 0; x < 21; x += 2) inverted.set(x, 1, 0);
  const std::string solid(21, '#');
  std::string dotted;
  for (int x = 0; x < 21; ++x) dotted += x % 2 == 0 ? '.' : '#';
  EXPECT_EQ(copied(inverted), solid + "\n" + dotted + "\n" + solid + "\n");
}

}  // namespace
}  // namespace nypr
