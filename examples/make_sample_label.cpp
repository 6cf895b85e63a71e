// Draws the sample label of the demo: 80 x 50 mm at 12 dots/mm (960 x 600 dots), with a
// frame, a title in block letters, lines of text-like strokes and a barcode-like pattern.
#include <stb_image_write.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 600;

struct Canvas {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kWidth * kHeight, 255);
  void fill(int x, int y, int w, int h) {
    for (int yy = y; yy < y + h; ++yy)
      for (int xx = x; xx < x + w; ++xx)
        if (xx >= 0 && yy >= 0 && xx < kWidth && yy < kHeight) pixels[yy * kWidth + xx] = 0;
  }
};

// 5 x 7 block letters for the title.
const char* glyph(char c) {
  switch (c) {
    case 'K':
      return "10001100101010011000101001001010001";
    case 'T':
      return "11111001000010000100001000010000100";
    case '3':
      return "11110000010000101110000010000111110";
    case '6':
      return "01110100001000011110100011000101110";
    case '8':
      return "01110100011000101110100011000101110";
    case '0':
      return "01110100011001110101110011000101110";
    case 'R':
      return "11110100011000111110101001001010001";
    case 'L':
      return "10000100001000010000100001000011111";
    case 'A':
      return "01110100011000111111100011000110001";
    case 'B':
      return "11110100011000111110100011000111110";
    case 'E':
      return "11111100001000011110100001000011111";
    case '-':
      return "00000000000000011111000000000000000";
    default:
      return "00000000000000000000000000000000000";
  }
}

void title(Canvas& c, const std::string& text, int x, int y, int scale) {
  for (char ch : text) {
    const char* g = glyph(ch);
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (g[row * 5 + col] == '1') c.fill(x + col * scale, y + row * scale, scale, scale);
    x += 6 * scale;
  }
}

// Lines of "words": short strokes of varying shape, like small print seen from afar.
void textLines(Canvas& c, int x, int y, int lines, uint32_t seed) {
  for (int line = 0; line < lines; ++line) {
    int cx = x;
    for (;;) {
      seed = seed * 1103515245u + 12345u;
      int letters = 2 + static_cast<int>((seed >> 16) % 7);
      if (cx + letters * 16 > kWidth - 40) break;
      for (int l = 0; l < letters; ++l) {
        seed = seed * 1103515245u + 12345u;
        int shape = static_cast<int>((seed >> 16) % 4);
        c.fill(cx, y, 3, 22);                       // stem
        if (shape == 0) c.fill(cx, y, 12, 3);       // top bar
        if (shape == 1) c.fill(cx, y + 10, 12, 3);  // middle bar
        if (shape == 2) c.fill(cx, y + 19, 12, 3);  // bottom bar
        if (shape == 3) c.fill(cx + 9, y, 3, 22);   // second stem
        cx += 16;
      }
      cx += 14;
    }
    y += 34;
  }
}

void barcode(Canvas& c, int x, int y, int height, uint32_t seed) {
  c.fill(x, y, 4, height);  // start guard
  x += 8;
  for (int bar = 0; bar < 60; ++bar) {
    seed = seed * 1664525u + 1013904223u;
    int w = 2 + static_cast<int>((seed >> 24) % 3) * 2;
    if (bar % 2 == 0) c.fill(x, y, w, height);
    x += w;
  }
  c.fill(x + 4, y, 4, height);  // end guard
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "sample-label.png";
  Canvas c;
  c.fill(0, 0, kWidth, 8);
  c.fill(0, kHeight - 8, kWidth, 8);
  c.fill(0, 0, 8, kHeight);
  c.fill(kWidth - 8, 0, 8, kHeight);
  title(c, "KT3600R LABEL", 40, 36, 8);
  textLines(c, 40, 130, 6, 7u);
  barcode(c, 40, 360, 150, 42u);
  title(c, "3600-80", 560, 400, 8);
  if (!stbi_write_png(path, kWidth, kHeight, 1, c.pixels.data(), kWidth)) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  std::printf("%s: %d x %d dots (80 x 50 mm)\n", path, kWidth, kHeight);
  return 0;
}
