// The label the print benchmarks send: 80 x 500 mm (3 mm gap) at 12 dots/mm on the
// 960-dot head, random dots, one copy. Shared by the Google Benchmark program and the
// portable timing program, so both measure the same label.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "nyprkt3600r/nyprkt3600r.h"

namespace nypr::bench {

inline constexpr int kWidthDots = 960;
inline constexpr int kLengthDots = 6000;
inline constexpr int kRowBytes = kWidthDots / 8;

// Rows of random bytes (the same every run).
inline std::vector<uint8_t> randomRows(int rowBytes, int rows) {
  std::vector<uint8_t> bits(static_cast<size_t>(rowBytes) * static_cast<size_t>(rows));
  std::mt19937 rng(42);
  for (auto& b : bits) b = static_cast<uint8_t>(rng());
  return bits;
}

// The host's job record for the label, sizes in 0.1 mm.
struct WholeLabelJob {
  LabelFormatST label{};
  PrintCondST cond{};
  PrintJobST job{};

  WholeLabelJob() {
    label.WidthUW = 800;    // the head's 960 dots
    label.LengthUW = 5000;  // 6000 lines
    label.GapUW = 30;
    cond.Cond2UW = 100;
    cond.CountUW = 1;
    job.lpLabelFormat = &label;
    job.lpPrintCond = &cond;
  }
  // The job points into itself.
  WholeLabelJob(const WholeLabelJob&) = delete;
  WholeLabelJob& operator=(const WholeLabelJob&) = delete;
};

}  // namespace nypr::bench
