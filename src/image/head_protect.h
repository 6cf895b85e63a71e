// Print-head protection: thins long vertical runs of printed dots so that no head element
// fires for more than `threshold` print lines in a row.
#pragma once

#include <array>
#include <cstdint>

namespace nypr {

// Dot columns looked at: the first 512 bytes of each row.
inline constexpr int32_t kHeadProtectMaxRowBytes = 512;
inline constexpr int kPhaseTableSize = 119;

// Tuning from the INI value "KT5_SW_TUNE" (section "Maintenance").
struct HeadProtectTuning {
  int enable = 1;
  int threshold = 2;
};

// Reads up to three integers as "%i %i %i" does (sign, decimal, 0x hexadecimal, leading-0
// octal, blanks between): the first sets `enable`, the second `threshold`; what is not
// there keeps its default. Values beyond the int range saturate.
HeadProtectTuning parseHeadProtectTuning(const char* text);

// The classic C library's rand(): state x 214013 + 2531011, value bits 16..30. Kept here
// so that the host's own srand()/rand() sequence is never disturbed.
class ClassicRand {
 public:
  explicit ClassicRand(uint32_t seed) : state_(seed) {}
  int next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }

 private:
  uint32_t state_;
};

// Phase of each new run: 0 .. threshold + 1 (wide enough for any threshold).
using PhaseTable = std::array<int64_t, kPhaseTableSize>;
PhaseTable makePhaseTable(int threshold, uint32_t seed);

// The filter over `rows` rows of `bytesPerRow` bytes (0 bit = printed dot, most
// significant bit leftmost), with the phases drawn from `seed`. Nothing changes when
// `enable` is 0, `threshold` is 0 or below, or the sizes are not positive.
void protectPrintHead(uint8_t* bits, int32_t rows, int32_t bytesPerRow,
                      const HeadProtectTuning& tuning, uint32_t seed);

// The host's call: tuning from the host's INI file, phases seeded with the time in seconds.
void PrintHeadProtectFnV(uint8_t* bits, int32_t spare1, int32_t spare2, int32_t rows,
                         int32_t bytesPerRow);

}  // namespace nypr
