// The print-head protection filter written dot by dot, straight from its description.
// The optimised filter must give exactly these bits; the benchmark shows what it saves.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/head_protect.h"

namespace nypr {

inline void referenceProtect(uint8_t* bits, int32_t rows, int32_t bytesPerRow,
                             const HeadProtectTuning& tuning, uint32_t seed) {
  if (rows <= 0 || bytesPerRow <= 0 || tuning.enable == 0 || tuning.threshold <= 0) return;
  const PhaseTable table = makePhaseTable(tuning.threshold, seed);
  int index = 0;
  auto nextPhase = [&]() -> int64_t {
    if (index < kPhaseTableSize) return table[index++];
    index = 0;
    return table[0];
  };
  const int32_t width = std::min(512, bytesPerRow);
  std::vector<int64_t> counter(static_cast<size_t>(width) * 8, -1);
  for (int32_t r = 0; r < rows; ++r) {
    uint8_t* row = bits + static_cast<size_t>(r) * bytesPerRow;
    for (int32_t j = 0; j < width; ++j) {
      for (int k = 0; k < 8; ++k) {
        const uint8_t mask = static_cast<uint8_t>(0x80 >> k);
        int64_t& c = counter[static_cast<size_t>(j) * 8 + k];
        if ((row[j] & mask) != 0) {
          c = -1;
        } else if (c < 0) {
          c = nextPhase();
        } else if (++c > tuning.threshold) {
          const bool belowBlank = r == rows - 1 || (row[j + bytesPerRow] & mask) != 0;
          if (!belowBlank) {
            row[j] |= mask;
            c = 0;
          }
        }
      }
    }
  }
}

}  // namespace nypr
