// Contrast limit by print speed.
#include "image/history_contrast_limit.h"

#include <algorithm>
#include <array>

#include "settings/printer_settings.h"

namespace nypr {

namespace {

// Head energy headroom per speed step, fastest first: row = 15 - speed / 10.
constexpr std::array<uint16_t, 9> kSpeedTable = {60918, 60314, 59454, 58319, 56885,
                                                 55125, 53006, 50489, 47524};

}  // namespace

uint8_t maxContrastForSpeed(uint8_t speed, const ContrastSettings& settings) {
  const int row = std::clamp(15 - speed / 10, 0, static_cast<int>(kSpeedTable.size()) - 1);
  const int v = kSpeedTable[static_cast<size_t>(row)];
  const int plain = v / 1000;
  if (!settings.historyControl) return static_cast<uint8_t>(plain);
  const int d = 100 - 2 * (settings.t1 + settings.t2) - settings.t3;
  if (d <= 0) return static_cast<uint8_t>(plain);
  const int q = (v * 100 / d) / (1000 + 25 * settings.rate);
  return static_cast<uint8_t>(std::min(q, 99));
}

ContrastSettings contrastSettingsOf(uint8_t index) {
  ContrastSettings s;
  s.historyControl = PrinterSettings[index][kSettingsFields[kFieldHistoryControl].offset] != '0';
  // Each field is held as an unsigned 8-bit value.
  s.t1 = static_cast<uint8_t>(settingsFieldInt(index, kFieldHistoryT1));
  s.t2 = static_cast<uint8_t>(settingsFieldInt(index, kFieldHistoryT2));
  s.t3 = static_cast<uint8_t>(settingsFieldInt(index, kFieldHistoryT3));
  s.rate = static_cast<uint8_t>(settingsFieldInt(index, kFieldDensityRateThermal));
  return s;
}

uint8_t NyPrGetMaxContrast2FnUB(uint8_t printerIndex, uint8_t speed, int32_t /*mode*/) {
  if (printerIndex >= kSlotCount) return 0;
  return maxContrastForSpeed(speed, contrastSettingsOf(printerIndex));
}

}  // namespace nypr
