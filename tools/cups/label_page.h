// One label page as the raster filter hands it to the backend: the picture as the host's
// 1-bit bitmap and the print conditions chosen in CUPS.
//
// On the pipe between filter and backend each page is one text line
//   "KT3600R-PAGE 1 W H GAP COPIES SPEED DARKNESS TT PEEL CUT\n"
// followed by H rows of ((W + 15) / 16) * 2 bytes, top row first, a set bit white (the
// bitmap layout the driver reads). Every number is checked against the printer's limits
// when read: a bad or short record is refused, never guessed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace nypr::cups {

enum class CutMode {
  None = 0,
  EndOfJob = 1,    // one cut at the auto cutter after the last label
  EveryLabel = 2,  // auto-cut condition: every label is cut
};

struct LabelPage {
  static constexpr int kMaxWidthDots = 960;    // head width, 80 mm at 12 dots/mm
  static constexpr int kMaxHeightDots = 6000;  // 500 mm, the printer's longest label
  static constexpr int kMaxCopies = 999999;

  int widthDots = 0;
  int heightDots = 0;
  int gapTenths = 30;  // gap between labels, 0.1 mm
  int copies = 1;
  int speed = 0;     // mm/s, 70..150; 0: the printer's usual 100
  int darkness = 0;  // 1..99; 0: the highest the printer allows at this speed
  bool thermalTransfer = false;
  bool peel = false;
  CutMode cut = CutMode::None;
  std::vector<uint8_t> bits;  // rows top-down, stride() bytes each, 1 = white

  int stride() const { return (widthDots + 15) / 16 * 2; }
};

// Writes one page record; false when the stream fails.
bool writeLabelPage(std::FILE* out, const LabelPage& page);

enum class ReadResult { Page, End, Bad };

// Reads the next page record. End at a clean end of stream; Bad (with `error`) for a
// record that is malformed, outside the limits or cut short, and for a read error.
ReadResult readLabelPage(std::FILE* in, LabelPage& page, std::string& error);

}  // namespace nypr::cups
