// Black-and-white pictures skip GDI's colour work on Windows: a 1-bit device bitmap read
// as a DIB, and a black-and-white DIB drawn into a 1-bit bitmap, straight from their rows.
// Each must give what GDI itself gives.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gdi.h"

namespace nypr::platform {
namespace {

constexpr int kWidth = 100;  // a last byte of 4 pixels and padding in every row
constexpr int kHeight = 7;

std::vector<uint8_t> packedDib(int height, uint16_t bitCount, size_t tableAndRows) {
  std::vector<uint8_t> dib(sizeof(DibInfoHeader) + tableAndRows);
  DibInfoHeader h{};
  h.size = kDibInfoHeaderSize;
  h.width = kWidth;
  h.height = height;
  h.planes = 1;
  h.bitCount = bitCount;
  std::memcpy(dib.data(), &h, sizeof h);
  return dib;
}

std::vector<uint8_t> drawn(const std::vector<uint8_t>& dib) {
  NyHbitmap target = gdiCreateMonochromeBitmap(kWidth, kHeight);
  std::vector<uint8_t> rows((kWidth + 15) / 16 * 2 * kHeight);
  EXPECT_TRUE(gdiDrawDib(target, dib.data(), dib.size()));
  EXPECT_EQ(gdiGetBitmapBits(target, rows.data(), rows.size()), rows.size());
  gdiDeleteBitmap(target);
  return rows;
}

TEST(DrawDibOnWindows, BlackAndWhiteRowsGiveWhatTheirColourPictureGives) {
  std::mt19937 rng(7);
  const uint32_t black = 0, white = 0xFFFFFF, red = 0xFF0000;
  struct Case {
    uint32_t colours[2];  // 0x00RRGGBB
    bool topDown;
  };
  for (const Case& c : {Case{{black, white}, false}, Case{{white, black}, true},
                        Case{{white, white}, false}, Case{{red, white}, true}}) {
    const int height = c.topDown ? -kHeight : kHeight;
    constexpr size_t kRow1 = 16, kRow24 = kWidth * 3;  // 4-byte rows
    std::vector<uint8_t> oneBit = packedDib(height, 1, 8 + kRow1 * kHeight);
    std::vector<uint8_t> rgb = packedDib(height, 24, kRow24 * kHeight);
    std::memcpy(oneBit.data() + 40, &c.colours[0], 4);
    std::memcpy(oneBit.data() + 44, &c.colours[1], 4);
    for (int y = 0; y < kHeight; ++y) {
      uint8_t* row = oneBit.data() + 48 + y * kRow1;
      for (size_t i = 0; i < kRow1; ++i) row[i] = static_cast<uint8_t>(rng());  // padding too
      for (int x = 0; x < kWidth; ++x) {
        const uint32_t colour = c.colours[(row[x / 8] >> (7 - x % 8)) & 1];
        std::memcpy(rgb.data() + 40 + y * kRow24 + x * 3, &colour, 3);
      }
    }
    EXPECT_EQ(drawn(oneBit), drawn(rgb)) << c.colours[0] << c.topDown;
  }
}

TEST(GetDIBitsOnWindows, OneBitDeviceBitmapReadsAsGdiReadsIt) {
  std::mt19937 rng(11);
  std::vector<uint8_t> rows((kWidth + 15) / 16 * 2 * kHeight);
  for (auto& b : rows) b = static_cast<uint8_t>(rng());  // padding bits too
  HBITMAP bitmap = CreateBitmap(kWidth, kHeight, 1, 1, rows.data());
  ASSERT_NE(bitmap, nullptr);
  struct Dib {
    std::vector<uint8_t> head = packedDib(kHeight, 1, 8);
    std::vector<uint8_t> bits = std::vector<uint8_t>(16 * kHeight, 0xAA);
  } ours, gdis;
  ASSERT_TRUE(gdiGetDIBits(bitmap, nullptr, ours.head.data(), ours.bits.data()));
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, bitmap, 0, kHeight, gdis.bits.data(),
                      reinterpret_cast<BITMAPINFO*>(gdis.head.data()), DIB_RGB_COLORS),
            kHeight);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(ours.head, gdis.head);
  EXPECT_EQ(ours.bits, gdis.bits);
  DeleteObject(bitmap);
}

}  // namespace
}  // namespace nypr::platform
