// Highest print contrast the host may offer, from the print speed and the head's
// resistance rank: hotter heads and slower speeds need less energy per dot.
#include <algorithm>

#include "settings/printer_settings.h"

namespace nypr {
namespace {

constexpr int kRows = 9;     // 150, 140, ..., 70 mm/s
constexpr int kColumns = 8;  // head rank 0..7
constexpr int kMinSpeed = 70;
constexpr int kMaxSpeed = 150;

// Mode non-zero.
constexpr uint16_t kTableA[kRows][kColumns] = {
    {518, 539, 546, 567, 581, 602, 609, 637}, {497, 518, 525, 546, 560, 581, 588, 616},
    {469, 490, 497, 518, 532, 553, 560, 588}, {441, 462, 469, 490, 504, 525, 532, 560},
    {413, 434, 441, 462, 476, 497, 504, 532}, {385, 406, 413, 434, 448, 469, 476, 504},
    {448, 469, 476, 497, 511, 532, 539, 567}, {420, 441, 448, 469, 483, 504, 511, 539},
    {392, 413, 420, 441, 455, 476, 483, 511},
};

// Mode zero.
constexpr uint16_t kTableB[kRows][kColumns] = {
    {54, 56, 58, 59, 61, 63, 65, 66}, {53, 55, 56, 58, 60, 62, 63, 65},
    {52, 54, 55, 57, 59, 61, 62, 64}, {51, 53, 54, 56, 58, 59, 61, 63},
    {50, 52, 53, 55, 57, 58, 60, 61}, {49, 51, 52, 54, 55, 57, 59, 60},
    {48, 50, 51, 53, 54, 56, 57, 59}, {47, 49, 50, 52, 53, 55, 56, 58},
    {46, 47, 49, 51, 52, 54, 55, 57},
};

}  // namespace

uint16_t GetMaxContrastFnUW(uint16_t speedIn, uint8_t index, uint32_t mode) {
  if (!isValidSlotIndex(index)) return 0;
  const int speed = std::clamp<int>(speedIn, kMinSpeed, kMaxSpeed);
  const int c = std::min<int>(stKtRSE[index].HeadRankUB, kColumns - 1);
  const int r = 15 - speed / 10;
  const int f = speed - 10 * (speed / 10);

  // Between two rows the limit is interpolated towards the next slower row (r - 1 is
  // the faster neighbour's row index; at 150 mm/s no interpolation is needed).
  int v;
  if (mode != 0) {
    if (speed == 90 || speed == 150) {
      v = kTableA[r][c];
    } else {
      int hi = kTableA[r][c];
      if (speed > 90 && speed < 150) hi -= 9;
      const int lo = kTableA[r - 1][c];
      v = hi + (lo - hi) * f / 10;
    }
  } else if (speed == 150) {
    v = kTableB[r][c] * 10;
  } else {
    const int hi = kTableB[r][c] * 10;
    const int lo = kTableB[r - 1][c] * 10;
    v = hi + (lo - hi) * f / 10;
  }

  if (PrinterSettings[index][kSettingsFields[kFieldHistoryControl].offset] == '0') v /= 10;

  // History control t1 takes 2 % of the energy per percent; at 50 % or more nothing is
  // left to divide by, and the limit has already reached its top.
  const int divisor = 100 - 2 * settingsFieldInt(index, kFieldHistoryT1);
  if (divisor <= 0) return 99;
  v = v * 10 / divisor;
  return static_cast<uint16_t>(std::clamp(v, 0, 99));
}

}  // namespace nypr
