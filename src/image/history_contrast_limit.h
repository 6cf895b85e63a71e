// Highest contrast (print density) the host may offer at a print speed, from the speed
// table and the history-control settings of the printer's parameter record.
#pragma once

#include <cstdint>

namespace nypr {

// The settings fields the limit depends on, as the record holds them.
struct ContrastSettings {
  bool historyControl = true;  // field 0 other than "0"
  uint8_t t1 = 14;             // history control t1, %
  uint8_t t2 = 2;              // history control t2, %
  uint8_t t3 = 14;             // history control t3, %
  uint8_t rate = 7;            // density temperature change rate below 25 C, direct thermal
};

// Limit 0..99 at `speed` mm/s. Speeds outside 70..159 use the nearest end of the table;
// history-control values that leave no share of the energy (100 - 2 (t1 + t2) - t3 of 0
// or less) give the limit without history control.
uint8_t maxContrastForSpeed(uint8_t speed, const ContrastSettings& settings);

// The fields of printer `index` (0..7) from the settings record in memory.
ContrastSettings contrastSettingsOf(uint8_t index);

// The host's call; `mode` has no effect. An index above 7 gives 0.
uint8_t NyPrGetMaxContrast2FnUB(uint8_t printerIndex, uint8_t speed, int32_t mode);

}  // namespace nypr
