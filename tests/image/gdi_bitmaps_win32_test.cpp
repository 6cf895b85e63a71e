// What only real GDI bitmaps show: the label's 1-bit copy is GDI's own colour-to-monochrome
// mapping (the same bitmap blitted into a 1-bit bitmap in a memory device context of the
// screen, as the host's other printer drivers get it), and a DIB section hands over its
// rows' padding as the host left it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "image/bitmap_compare.h"
#include "image/monochrome_copy.h"

namespace nypr {
namespace {

struct Picture {
  int width, height;
  uint32_t (*pixel)(int x, int y);  // 0x00RRGGBB
};

std::vector<uint8_t> monoRows(HBITMAP bitmap, int width, int height) {
  std::vector<uint8_t> rows(static_cast<size_t>((width + 15) / 16 * 2) * height);
  EXPECT_EQ(GetBitmapBits(bitmap, static_cast<LONG>(rows.size()), rows.data()),
            static_cast<LONG>(rows.size()));
  return rows;
}

TEST(MonochromeCopyOnWindows, EqualsGdisOwnConversion) {
  const Picture pictures[] = {
      {256, 8, [](int x, int) { return static_cast<uint32_t>(x) * 0x010101u; }},  // grey ramp
      {96, 64,
       [](int x, int y) {  // colours: red across, green down, blue on the diagonal
         return static_cast<uint32_t>(x * 255 / 95) << 16 | static_cast<uint32_t>(y * 4) << 8 |
                static_cast<uint32_t>((x + y) % 2 != 0 ? 255 : 0);
       }},
  };
  for (const Picture& p : pictures) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p.width;
    info.bmiHeader.biHeight = -p.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP label = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(label, nullptr);
    const int stride = (p.width * 3 + 3) / 4 * 4;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const uint32_t c = p.pixel(x, y);
        auto* px = static_cast<uint8_t*>(bits) + y * stride + x * 3;
        px[0] = static_cast<uint8_t>(c), px[1] = static_cast<uint8_t>(c >> 8);
        px[2] = static_cast<uint8_t>(c >> 16);
      }
    }
    GdiFlush();

    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP gdi = CreateBitmap(p.width, p.height, 1, 1, nullptr);
    HGDIOBJ oldFrom = SelectObject(from, label);
    HGDIOBJ oldTo = SelectObject(to, gdi);
    ASSERT_TRUE(BitBlt(to, 0, 0, p.width, p.height, from, 0, 0, SRCCOPY));
    SelectObject(to, oldTo);
    SelectObject(from, oldFrom);
    DeleteDC(to);
    DeleteDC(from);
    ReleaseDC(nullptr, screen);

    auto copy = static_cast<HBITMAP>(makeMonochromeCopy(label));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(monoRows(copy, p.width, p.height), monoRows(gdi, p.width, p.height)) << p.width;
    deleteMonochromeCopy(copy);
    DeleteObject(gdi);
    DeleteObject(label);
  }
}

TEST(CompareBitmapOnWindows, PaddingAfterWholeBlocksIsNoImage) {
  // 1-bit DIB sections 8 and 12 pixels wide: the byte after the first holds padding
  // (8 wide) or four more pixels (12 wide).
  struct Case {
    int width;
    int16_t expected;
  };
  for (const Case c : {Case{8, 0}, Case{12, 1}}) {
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colours[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = c.width;
    info.header.biHeight = -8;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colours[1] = {255, 255, 255, 0};
    HBITMAP bitmaps[2] = {};
    for (int i = 0; i < 2; ++i) {
      void* bits = nullptr;
      bitmaps[i] = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
      ASSERT_NE(bitmaps[i], nullptr);
      for (int y = 0; y < 8; ++y) {
        auto* row = static_cast<uint8_t*>(bits) + y * 4;
        row[0] = 0xA5;
        row[1] = i == 0 ? 0x00 : 0xF0;
      }
    }
    GdiFlush();
    DiffRectST* rects = nullptr;
    EXPECT_EQ(nypr::CompareBitmapFnSW(bitmaps[0], bitmaps[1], &rects), c.expected) << c.width;
    if (rects != nullptr) GlobalFree(rects);
    DeleteObject(bitmaps[0]);
    DeleteObject(bitmaps[1]);
  }
}

}  // namespace
}  // namespace nypr
