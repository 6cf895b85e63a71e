#include "raster.h"

#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace ktsim::detail {

namespace {

PrintedLabel blank(int width, int height) {
  PrintedLabel label;
  label.width = std::max(width, 0);
  label.height = std::max(height, 0);
  label.pixels.assign(static_cast<size_t>(label.width) * static_cast<size_t>(label.height), 255);
  return label;
}

void setDot(PrintedLabel& label, int x, int y) {
  label.pixels[static_cast<size_t>(y) * static_cast<size_t>(label.width) + static_cast<size_t>(x)] =
      0;
}

}  // namespace

PrintedLabel renderLabel(const std::vector<std::vector<uint8_t>>& lines, int bytesPerLine,
                         int widthDots, int lengthDots) {
  // The eight pixels of one raster byte (bit 0 is the leftmost dot, a set bit prints): a
  // whole label is millions of dots, and the host waits for the last frame's answer.
  static const auto kByteDots = [] {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (int v = 0; v < 256; ++v) {
      for (int b = 0; b < 8; ++b) table[v][b] = (v >> b) & 1 ? 0 : 255;
    }
    return table;
  }();
  // The head cannot print wider than its line.
  const int width = std::min(widthDots, std::max(bytesPerLine, 0) * 8);
  PrintedLabel label = blank(width, lengthDots);
  const int used = std::min<int>(lengthDots, static_cast<int>(lines.size()));
  for (int j = 0; j < used; ++j) {
    const auto& line = lines[static_cast<size_t>(j)];
    const int y = lengthDots - 1 - j;
    uint8_t* row = label.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    // Dots come in groups of 16, the groups' byte pairs in reverse order from the line's end.
    for (int x = 0; x < width; x += 8) {
      const int index = bytesPerLine - 2 - 2 * (x / 16) + (x % 16) / 8;
      if (index < 0 || index >= static_cast<int>(line.size())) continue;
      const uint8_t byte = line[static_cast<size_t>(index)];
      if (byte == 0) continue;
      std::memcpy(row + x, kByteDots[byte].data(), static_cast<size_t>(std::min(8, width - x)));
    }
  }
  return label;
}

PrintedLabel testPattern(int pattern, int position, int headDots, int lengthDots) {
  PrintedLabel label = blank(headDots, lengthDots);
  int from = 0, to = headDots;
  if (position >= 1 && position <= 3) {
    from = headDots * (position - 1) / 3;
    to = headDots * position / 3;
  }
  for (int y = 0; y < lengthDots; ++y) {
    for (int x = from; x < to; ++x) {
      bool on = false;
      switch (pattern) {
        case 1:
          on = y % 8 == 0;
          break;  // fine lines
        case 2:
          on = y % 8 < 2;
          break;  // normal lines
        case 3:
          on = y % 8 < 4;
          break;  // thick lines
        case 4:
          on = std::abs(x - headDots / 2) < 4;
          break;  // centre vertical line
        case 5:
          on = (x + y) % 16 < 8;
          break;  // pattern A: diagonal stripes
        case 6:
          on = ((x / 8) + (y / 8)) % 2 == 1;
          break;  // pattern B: inverse checker
        default:
          on = ((x / 8) + (y / 8)) % 2 == 0;
          break;  // standard: checker
      }
      if (on) setDot(label, x, y);
    }
  }
  return label;
}

bool writePng(const std::string& path, const PrintedLabel& label) {
  if (label.width <= 0 || label.height <= 0) return false;
  return stbi_write_png(path.c_str(), label.width, label.height, 1, label.pixels.data(),
                        label.width) != 0;
}

}  // namespace ktsim::detail
