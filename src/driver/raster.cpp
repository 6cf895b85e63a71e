#include "driver/raster.h"

#include <cstring>

namespace nypr {
namespace {

// White in the monochrome copy is 1 and a printed dot is a set bit: reversed and inverted
// in one look-up.
constexpr std::array<uint8_t, 256> kPrintDots = [] {
  std::array<uint8_t, 256> table{};
  for (size_t b = 0; b < table.size(); ++b) table[b] = static_cast<uint8_t>(~kBitReverse[b]);
  return table;
}();

}  // namespace

EdgeMask edgeMaskForDots(int dots) {
  EdgeMask m;
  if (dots <= 0) return m;
  const int r = dots % 16;
  m.mask = r == 0 ? 0 : static_cast<uint16_t>(0xFFFFu << (16 - r));
  m.maskByte = (dots / 16) * 2;
  return m;
}

int frameCountForLength(int lengthTenthMm) {
  if (lengthTenthMm <= 0) return 0;
  const int64_t dots = (int64_t{lengthTenthMm} * 12 + 5) / 10;
  return static_cast<int>((dots + kLinesPerFrame - 1) / kLinesPerFrame);
}

void convertRow(const uint8_t* row, int widthBytes, EdgeMask mask, uint8_t* out, int bpl) {
  const int lead = bpl - widthBytes;
  std::memset(out, 0, static_cast<size_t>(lead));
  // Pair k (row bytes 2k, 2k+1) lands at the end of the line minus 2(k+1), so the row's
  // first group ends up in the line's last two bytes.
  uint8_t* pair = out + bpl - 2;
  for (int k = 0; k < widthBytes; k += 2, pair -= 2) {
    pair[0] = kPrintDots[row[k]];
    pair[1] = kPrintDots[row[k + 1]];
  }
  if (mask.mask != 0 && mask.maskByte + 1 < widthBytes) {
    uint8_t* edge = out + bpl - mask.maskByte - 2;
    edge[0] &= kBitReverse[mask.mask >> 8];
    edge[1] &= kBitReverse[mask.mask & 0xFF];
  }
}

RasterWalker::RasterWalker(const uint8_t* bits, int widthBytes, int height, EdgeMask mask, int bpl)
    : row_(height > 0 ? bits + static_cast<size_t>(height - 1) * static_cast<size_t>(widthBytes)
                      : bits),
      widthBytes_(widthBytes),
      rowsLeft_(height > 0 ? height : 0),
      mask_(mask),
      bpl_(bpl) {}

void RasterWalker::fillFrame(uint8_t* out) {
  for (int line = 0; line < kLinesPerFrame; ++line) {
    out[0] = '0';
    out[1] = '0';
    uint8_t* dots = out + kLinePrefixLen;
    if (rowsLeft_ > 0) {
      convertRow(row_, widthBytes_, mask_, dots, bpl_);
      if (--rowsLeft_ > 0) row_ -= widthBytes_;
    } else {
      std::memset(dots, 0, static_cast<size_t>(bpl_));
    }
    out += kLinePrefixLen + bpl_;
  }
}

}  // namespace nypr
