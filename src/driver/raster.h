// The label's raster as the printer takes it: each bitmap row becomes one head line of
// `bpl` bytes, five lines go into one DTI frame, and the label travels bottom row first.
//
// A line holds the row's 16-dot groups as byte pairs from the end of the line backwards
// (the leftmost group in the last pair, each pair in its own byte order); within a byte
// bit 0 is the leftmost dot and a set bit prints. The monochrome copy the rows come from
// has 1 for white, so every byte is inverted on the way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nypr {

// Raster lines per DTI frame, and the "00" that opens every line.
inline constexpr int kLinesPerFrame = 5;
inline constexpr int kLinePrefixLen = 2;
// The longest row the line buffer takes (bytes).
inline constexpr int kMaxRowBytes = 512;

// The byte with its bit order reversed, for every byte.
inline constexpr std::array<uint8_t, 256> kBitReverse = [] {
  std::array<uint8_t, 256> table{};
  for (int b = 0; b < 256; ++b) {
    int r = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (b & (1 << bit)) r |= 0x80 >> bit;
    }
    table[static_cast<size_t>(b)] = static_cast<uint8_t>(r);
  }
  return table;
}();

// Clears the dots right of the label's edge inside the 16-dot group the edge falls in:
// `mask` has its top (dots mod 16) bits set (0: the edge is on a group boundary, nothing
// to clear), `maskByte` is the first byte of that group in the row.
struct EdgeMask {
  uint16_t mask = 0;
  int maskByte = 0;
};
EdgeMask edgeMaskForDots(int dots);

// Head line bytes for a head width in dots (rounded towards zero).
inline int bytesPerLineForHead(int headDots) {
  return headDots / 8;
}
// DTI raster bytes of one frame: five lines of "00" and bpl bytes.
inline int frameRasterBytes(int bpl) {
  return kLinesPerFrame * (bpl + kLinePrefixLen);
}
// DTI frames of a label `lengthTenthMm` long: its dots, five lines a frame, rounded up.
int frameCountForLength(int lengthTenthMm);

// One source row of `widthBytes` bytes (even; at most `bpl`) into one head line of `bpl`
// bytes. The first bpl - widthBytes bytes of `out` are set to 0.
void convertRow(const uint8_t* row, int widthBytes, EdgeMask mask, uint8_t* out, int bpl);

// Walks the monochrome copy's rows (top-down, `widthBytes` apart) from the bottom row up,
// five lines a frame. Once the rows are used up the lines stay blank; a bitmap taller
// than the frames hold simply has its top rows left over.
class RasterWalker {
 public:
  RasterWalker(const uint8_t* bits, int widthBytes, int height, EdgeMask mask, int bpl);

  // Writes one frame's raster (frameRasterBytes(bpl) bytes) to `out`.
  void fillFrame(uint8_t* out);
  int rowsLeft() const { return rowsLeft_; }

 private:
  const uint8_t* row_;  // next row to send, valid while rowsLeft_ > 0
  int widthBytes_;
  int rowsLeft_;
  EdgeMask mask_;
  int bpl_;
};

}  // namespace nypr
